#include "codepage.h"
#include "conversionerror.h"
#include "integertext.h"

#include <gtest/gtest.h>

TEST(CodePage, EncodesWindows1252AndReplacesTheRest)
{
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {QStringLiteral("RECARGA MOVIL"), "RECARGA MOVIL"},
        {QStringLiteral("AÑADIDA ñ"), "A\xD1" "ADIDA \xF1"},
        {QStringLiteral("10,00 €"), "10,00 \x80"},
        {QStringLiteral("ł"), "?"},                      // outside the code page
        {QString::fromUtf8("\xF0\x9F\x98\x80x"), "?x"},  // a surrogate pair is one character
        {QString(QChar(0xD800)) + u'a', "?a"},           // a lone surrogate
        {QString(), QByteArray()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CodePage::fromUnicode(c.text), c.bytes) << c.text.toStdString();
}

TEST(CodePage, DecodesBackAndKeepsUndefinedBytes)
{
    EXPECT_EQ(CodePage::toUnicode("A\xD1\x80"), QStringLiteral("AÑ€"));
    // 0x81 has no character in Windows-1252: its value survives rather than vanishing.
    EXPECT_EQ(CodePage::toUnicode("a\x81z"), QString(u'a') + QChar(0x81) + u'z');
}

TEST(IntegerText, ParsesLikeTheSettingsAndPrintStringReaders)
{
    const struct {
        const char *text;
        std::optional<int> value;
    } cases[] = {
        {"0", 0},          {"42", 42},       {"-7", -7},         {"+3", 3},           {"  12", 12},
        {"$1F", 31},       {"0x10", 16},     {"0X1f", 31},       {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},    {"2147483648", std::nullopt},         {"", std::nullopt},
        {" ", std::nullopt}, {"12 ", std::nullopt}, {"1a", std::nullopt}, {"yes", std::nullopt},
        {"0x", std::nullopt}, {"$", std::nullopt}, {"1.5", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseInteger(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(IntegerText, ConversionErrorQuotesTheText)
{
    try {
        toInteger(QStringLiteral("abc"));
        FAIL() << "no error";
    } catch (const ConversionError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("''abc'' is not a valid integer value"));
        EXPECT_EQ(e.className(), QStringLiteral("ConversionError"));
    }
}

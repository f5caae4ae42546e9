#include "stringcipher.h"

#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("morvatinesca");

QString codes(std::initializer_list<char16_t> list)
{
    QString text;
    for (char16_t c : list)
        text.append(QChar(c));
    return text;
}

TEST(StringCipher, AdditiveFormWrapsAt255)
{
    // 'm' is 109: 200 + 109 = 309 - 255 = 54; 'o' is 111: 146 + 111 = 257 - 255 = 2; 1 + 'r' = 115.
    EXPECT_EQ(encriptarSuma(codes({200, 146, 1}), QStringLiteral("E"), kKey), codes({54, 2, 115}));
    EXPECT_EQ(encriptarSuma(codes({45}), QStringLiteral("D"), QStringLiteral("d")), codes({200}));
    // The key starts again after its twelfth character.
    EXPECT_EQ(encriptarSuma(QString(13, QChar(u'\x01')), QStringLiteral("E"), kKey).back(), QChar(u'\x01' + 'm'));
}

TEST(StringCipher, RoundTrips)
{
    QString allAdditive;
    for (char16_t c = 1; c <= 254; ++c)
        allAdditive.append(QChar(c));
    // Texts the additive form cannot hold take one character more: the leading code 0.
    const struct {
        QString text;
        int extra;
    } rows[] = {
        {QString(), 0},
        {allAdditive, 0},
        {QStringLiteral("caja 1 & clave=+%"), 0},
        {QStringLiteral("contraseña€"), 1}, // € is above 254
        {codes({0, 255, 256, 0xFFFF, 'a'}), 1},
    };
    for (const auto &row : rows) {
        const QString stored = encriptarSuma(row.text, QStringLiteral("E"), kKey);
        EXPECT_EQ(stored.size(), row.text.size() + row.extra);
        EXPECT_EQ(encriptarSuma(stored, QStringLiteral("D"), kKey), row.text);
        EXPECT_EQ(encriptarXor(encriptarXor(row.text, QStringLiteral("E"), kKey), QStringLiteral("D"), kKey), row.text);
    }
}

TEST(StringCipher, TheFormOtherTerminalsReadNeverStartsWithCodeZero)
{
    for (char16_t c = 1; c <= 254; ++c)
        for (const QChar k : kKey)
            ASSERT_NE(encriptarSuma(QString(QChar(c)), QStringLiteral("E"), QString(k)).at(0).unicode(), 0);
    EXPECT_EQ(encriptarSuma(QStringLiteral("€"), QStringLiteral("E"), kKey).at(0).unicode(), 0);
}

TEST(StringCipher, XorOfAddressCharactersIsPrintable)
{
    const QString address = QStringLiteral("192.168.10.200:8453-1");
    for (const QChar c : encriptarXor(address, QStringLiteral("E"), kKey))
        EXPECT_TRUE(c.unicode() >= 64 && c.unicode() <= 95) << int(c.unicode());
    EXPECT_EQ(encriptarXor(QStringLiteral("m"), QStringLiteral("E"), kKey), codes({0}));
}

TEST(StringCipher, LowerCaseModeIsNotEncipher)
{
    EXPECT_NE(encriptarSuma(QStringLiteral("abc"), QStringLiteral("e"), kKey),
              encriptarSuma(QStringLiteral("abc"), QStringLiteral("E"), kKey));
}

} // namespace

#include "urldecodeerror.h"
#include "urlencodedtext.h"

#include <gtest/gtest.h>

TEST(UrlEncodedText, Decodes)
{
    const struct {
        QString url;
        QString text;
    } cases[] = {
        {QStringLiteral("LIB&2&1&1&12345678901234567890&0&&1RECARGA%20MOVIL&0Importe%3A%2010%2C00&0Gracias"),
         QStringLiteral("LIB&2&1&1&12345678901234567890&0&&1RECARGA MOVIL&0Importe: 10,00&0Gracias")},
        {QStringLiteral("a+b%2Bc"), QStringLiteral("a b+c")},
        {QStringLiteral("100%%"), QStringLiteral("100%")},
        {QStringLiteral("%5c%5C"), QStringLiteral("\\\\")},
        {QStringLiteral("%C3%B1and%C3%BA"), QStringLiteral("ñandú")},
        {QStringLiteral("a%F1o"), QStringLiteral("a\uFFFDo")}, // a Latin-1 byte is not UTF-8
        {QStringLiteral("%E2%82%AC"), QStringLiteral("€")},
        {QStringLiteral("%F0%9F%98%80"), QString::fromUtf8("\xF0\x9F\x98\x80")}, // beyond 16 bits: a pair
        {QStringLiteral("ñ"), QStringLiteral("\uFFFD")}, // a raw code page byte F1
        {QStringLiteral("x%00y"), QStringLiteral("x") + QChar(0) + QStringLiteral("y")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UrlEncodedText::decode(c.url), c.text) << c.url.toStdString();
}

TEST(UrlEncodedText, MalformedEscapesNameTheirPlace)
{
    const struct {
        QString url;
        QString message;
    } cases[] = {
        {QStringLiteral("ab%G1"), QStringLiteral("Invalid URL encoded character (%G1) at position 3")},
        {QStringLiteral("%2x"), QStringLiteral("Invalid URL encoded character (%2x) at position 1")},
        {QStringLiteral("abc%4"), QStringLiteral("Error decoding URL style (%XX) encoded string at position 4")},
        {QStringLiteral("abc%"), QStringLiteral("Error decoding URL style (%XX) encoded string at position 4")},
    };
    for (const auto &c : cases) {
        try {
            UrlEncodedText::decode(c.url);
            ADD_FAILURE() << "no error for " << c.url.toStdString();
        } catch (const UrlDecodeError &e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
}

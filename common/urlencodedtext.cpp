#include "urlencodedtext.h"

#include "codepage.h"
#include "urldecodeerror.h"

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray UrlEncodedText::urlDecode(const QByteArray &encoded)
{
    QByteArray out;
    out.reserve(encoded.size());
    const qsizetype n = encoded.indexOf('\0') < 0 ? encoded.size() : encoded.indexOf('\0');
    for (qsizetype i = 0; i < n; ++i) {
        const char c = encoded[i];
        if (c == '+') {
            out.append(' ');
        } else if (c != '%') {
            out.append(c);
        } else if (i + 1 < n && encoded[i + 1] == '%') {
            out.append('%');
            ++i;
        } else {
            const qsizetype position = i + 1;
            if (i + 2 >= n)
                throw UrlDecodeError(
                    QStringLiteral("Error decoding URL style (%XX) encoded string at position %1").arg(position));
            const int high = hexValue(encoded[i + 1]);
            const int low = hexValue(encoded[i + 2]);
            if (high < 0 || low < 0)
                throw UrlDecodeError(QStringLiteral("Invalid URL encoded character (%1) at position %2")
                                         .arg(u'%' + CodePage::toUnicode(encoded.mid(i + 1, 2)),
                                              QString::number(position)));
            out.append(char(high * 16 + low));
            i += 2;
        }
    }
    return out;
}

QString UrlEncodedText::decode(const QString &text)
{
    return QString::fromUtf8(urlDecode(CodePage::fromUnicode(text)));
}

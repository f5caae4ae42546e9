#include "formencoding.h"

namespace {

bool keptAsIs(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-'
        || c == '.' || c == '_';
}

void appendEncoded(QByteArray &out, const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : text.toUtf8()) {
        if (c == ' ') {
            out += '+';
        } else if (keptAsIs(c)) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
}

} // namespace

QByteArray encodeForm(const QStringList &form)
{
    QByteArrayList lines;
    for (const QString &line : form) {
        QByteArray encoded;
        const qsizetype equals = line.indexOf(u'=');
        appendEncoded(encoded, equals < 0 ? line : line.left(equals));
        if (equals >= 0) {
            encoded += '=';
            appendEncoded(encoded, line.mid(equals + 1));
        }
        lines << encoded;
    }
    // The lines travel as one text, trimmed at both ends, whose line breaks become "&".
    QByteArray text = lines.join('\n').trimmed();
    text.replace('\n', '&');
    return text;
}

#pragma once

#include <QByteArray>
#include <QString>

// The "ZVR:" URL of a print request, as the desktop hands it to Ticketera.
class PrintUrl {
public:
    // Everything after the first ":" (the scheme); the whole argument when it has none.
    static QString withoutScheme(const QString &argument);
    // "+" is a space, "%%" one "%", "%XX" the byte XX; raises UrlDecodeError on a "%" not
    // followed by two hexadecimal digits.
    static QByteArray urlDecode(const QByteArray &encoded);
    // The print string: code page bytes, URL-decoded, read as UTF-8 (invalid bytes as U+FFFD).
    static QString decode(const QString &withoutScheme);
};

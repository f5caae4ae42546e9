#pragma once

#include <QByteArray>
#include <QString>

// Text that travels URL-encoded: a ticket's print string, the server's enrolment answer.
class UrlEncodedText {
public:
    // "+" is a space, "%%" one "%", "%XX" the byte XX; stops at a zero byte. Raises
    // UrlDecodeError on a "%" not followed by two hexadecimal digits.
    static QByteArray urlDecode(const QByteArray &encoded);
    // The text as code page bytes, URL-decoded, read as UTF-8 (invalid bytes as U+FFFD).
    static QString decode(const QString &text);
};

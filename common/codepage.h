#pragma once

#include <QByteArray>
#include <QString>

// The system's 8-bit "ANSI" code page: Windows-1252 unless ZELVORA_CODEPAGE names another
// iconv code page. Characters it cannot represent become "?".
class CodePage {
public:
    static QByteArray fromUnicode(QStringView text);
    static QString toUnicode(const QByteArray &bytes);
    static QString name();
};

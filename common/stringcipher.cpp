#include "stringcipher.h"

#include <algorithm>

namespace {

bool fitsAdditiveForm(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() >= 1 && c.unicode() <= 254; });
}

char16_t keyAt(const QString &key, qsizetype position)
{
    return key.at(position % key.size()).unicode();
}

} // namespace

QString encriptarSuma(const QString &text, const QString &mode, const QString &key)
{
    if (key.isEmpty())
        return text;
    QString result;
    result.reserve(text.size() + 1);
    if (mode == QLatin1String("E")) {
        if (fitsAdditiveForm(text)) {
            for (qsizetype p = 0; p < text.size(); ++p) {
                int y = text.at(p).unicode() + keyAt(key, p);
                if (y > 255)
                    y -= 255;
                result.append(QChar(char16_t(y)));
            }
        } else {
            result.append(QChar(u'\0'));
            for (qsizetype p = 0; p < text.size(); ++p)
                result.append(QChar(char16_t(text.at(p).unicode() + keyAt(key, p))));
        }
        return result;
    }
    if (text.startsWith(QChar(u'\0'))) {
        for (qsizetype p = 1; p < text.size(); ++p)
            result.append(QChar(char16_t(text.at(p).unicode() - keyAt(key, p - 1))));
        return result;
    }
    for (qsizetype p = 0; p < text.size(); ++p) {
        int y = int(text.at(p).unicode()) - keyAt(key, p);
        if (y < 0)
            y += 255;
        result.append(QChar(char16_t(y)));
    }
    return result;
}

QString encriptarXor(const QString &text, const QString &, const QString &key)
{
    if (key.isEmpty())
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype p = 0; p < text.size(); ++p)
        result.append(QChar(char16_t(text.at(p).unicode() ^ keyAt(key, p))));
    return result;
}

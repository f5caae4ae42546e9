#include "printlink.h"

#include <QUrl>

namespace printlink {

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A "%" that does not start an escape is what makes Qt's URL class rewrite every "%".
bool hasLonePercent(const QString &text)
{
    for (qsizetype i = text.indexOf(u'%'); i >= 0; i = text.indexOf(u'%', i + 1)) {
        if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))
            return true;
    }
    return false;
}

} // namespace

bool isPrintLink(const QString &text)
{
    return text.startsWith(QLatin1String("zvr:"), Qt::CaseInsensitive);
}

bool isPrintLink(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("zvr"), Qt::CaseInsensitive) == 0;
}

QString textOf(const QUrl &url)
{
    const QString encoded = url.toString(QUrl::FullyEncoded);
    if (encoded.count(u'%') != encoded.count(QLatin1String("%25")))
        return encoded;
    QString taken = encoded;
    taken.replace(QLatin1String("%25"), QLatin1String("%"));
    return hasLonePercent(taken) ? taken : encoded;
}

} // namespace printlink

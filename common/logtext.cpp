#include "logtext.h"

QString logText(QStringView outside)
{
    QString text;
    text.reserve(outside.size());
    for (const QChar c : outside) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || (u >= 0x7F && u <= 0x9F))
            text += u'%' + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else
            text += c;
    }
    return text;
}

QString logTextAtMost(QStringView outside, qsizetype limit)
{
    if (outside.size() <= limit)
        return logText(outside);
    return logText(outside.left(limit)) + QStringLiteral("... (%1 caracteres mas)").arg(outside.size() - limit);
}

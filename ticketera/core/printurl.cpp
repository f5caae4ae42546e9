#include "printurl.h"

QString PrintUrl::withoutScheme(const QString &argument)
{
    const qsizetype colon = argument.indexOf(u':');
    return colon < 0 ? argument : argument.mid(colon + 1);
}

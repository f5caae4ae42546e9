#include "regionalsettings.h"

#include <QStringList>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace platform {

QString abbreviatedMonthName(int month)
{
    static const QStringList names = [] {
        QStringList result;
        locale_t locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        if (!locale)
            locale = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
        const bool utf8 = strcmp(nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
        for (int m = 0; m < 12; ++m) {
            const char *name = nl_langinfo_l(ABMON_1 + m, locale);
            result << (utf8 ? QString::fromUtf8(name) : QString::fromLatin1(name));
        }
        freelocale(locale);
        return result;
    }();
    return month >= 1 && month <= 12 ? names.at(month - 1) : QString();
}

} // namespace platform

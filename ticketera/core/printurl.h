#pragma once

#include <QString>

// The "ZVR:" URL of a print request, as the desktop hands it to Ticketera; UrlEncodedText decodes
// what follows the scheme.
class PrintUrl {
public:
    // Everything after the first ":" (the scheme); the whole argument when it has none.
    static QString withoutScheme(const QString &argument);
};

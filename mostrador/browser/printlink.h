#pragma once

#include <QString>

class QUrl;

// The links of the ticket printer's scheme "ZVR", which the kiosk hands to the desktop.
namespace printlink {

// Whether the link's text (an href as the page wrote it) names the scheme, in any letter case.
bool isPrintLink(const QString &text);
bool isPrintLink(const QUrl &url);

// What the page wrote, as near as a URL that Qt has already parsed still tells. Qt's URL class
// writes every "%" as "%25" once one "%" of the text is not followed by two hexadecimal digits
// ("%%", "%G1", a "%" at the end): when every "%" of the URL is such a "%25" and taking them back
// gives a text with such a "%", the page wrote that text. A page that wrote only "%25" escapes
// and a "%25" followed by "%" or two hexadecimal digits ("%25%25", "%2541") cannot be told from
// one that wrote "%%" or "%41": it gets the second. Qt's other changes (the scheme in lower case,
// "%41" as "A", a blank as "%20") leave the print string as the ticket printer decodes it.
QString textOf(const QUrl &url);

} // namespace printlink

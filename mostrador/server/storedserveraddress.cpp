#include "storedserveraddress.h"

#include "addressbook.h"
#include "escribirlog.h"
#include "inifile.h"
#include "logtext.h"
#include "stringcipher.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace {

const QString kSection = QStringLiteral("CONNECTION");
const QString kKey = QStringLiteral("IP_CONFIG");
const QString kCipherKey = QStringLiteral("morvatinesca");

// The enciphered text of an address with lower-case letters holds control codes, and any
// enciphered text may begin or end with a blank or a quote: a settings line cannot hold
// those. Such a text is stored as this marker and four hexadecimal digits per character. An
// address of digits, ".", ":" and "-" enciphers to codes 64 to 95 and keeps its plain form,
// which can never begin with the marker.
const QChar kHexMarker = u'~';

bool fitsSettingsLine(const QString &stored)
{
    if (stored.isEmpty())
        return true;
    const auto printable = [](QChar c) { return c.unicode() >= 32 && c.unicode() < 127; };
    const auto trimmedAway = [](QChar c) { return c == u' ' || c == u'"' || c == u'\''; };
    return std::all_of(stored.cbegin(), stored.cend(), printable) && !trimmedAway(stored.front()) &&
           !trimmedAway(stored.back()) && stored.front() != kHexMarker;
}

QString toStoredForm(const QString &enciphered)
{
    if (fitsSettingsLine(enciphered))
        return enciphered;
    QString stored(kHexMarker);
    for (const QChar c : enciphered)
        stored += QStringLiteral("%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper();
    return stored;
}

QString fromStoredForm(const QString &stored)
{
    if (!stored.startsWith(kHexMarker) || (stored.size() - 1) % 4 != 0)
        return stored;
    QString enciphered;
    for (qsizetype i = 1; i < stored.size(); i += 4) {
        bool ok = false;
        const uint code = stored.mid(i, 4).toUInt(&ok, 16);
        if (!ok)
            return stored;
        enciphered.append(QChar(char16_t(code)));
    }
    return enciphered;
}

} // namespace

QString leerIpConfig(const QString &directory, const QString &fileName)
{
    const QString stored = IniFile(directory + fileName).readString(kSection, kKey, QString());
    if (stored.isEmpty())
        return {};
    const QString address = encriptarXor(fromStoredForm(stored), QStringLiteral("D"), kCipherKey);
    escribirLog(QStringLiteral("IP desencriptada: ") + logText(address));
    // No address holds a control character: such a value was put there by other means, and would
    // carry its line breaks into every log line and URL made from it.
    if (logText(address) != address)
        return {};
    return address;
}

void guardarIpConfig(const QString &directory, const QString &fileName, const QString &address)
{
    if (address.isEmpty())
        return;
    escribirLog(QStringLiteral("IP antes de encriptar: ") + logText(address));
    IniFile(directory + fileName)
        .writeString(kSection, kKey, toStoredForm(encriptarXor(address, QStringLiteral("E"), kCipherKey)));
}

QString direccionServidor(const QString &directory, const QString &fileName, const QString &fromSettings,
                          const QString &byDefault, MostradorLogSwitches logSwitches)
{
    const QString stored = leerIpConfig(directory, fileName);
    if (!stored.isEmpty()) {
        logSwitches.logGeneral(fromSettings + stored);
        return stored;
    }
    const QString address = addressbook::ipPorDefecto(addressbook::kIndice, addressbook::kConjunto);
    logSwitches.logGeneral(byDefault + address);
    return address;
}

bool esDireccionServidor(const QString &text)
{
    // A host name or IPv4 address, or an IPv6 address in brackets; then an optional port.
    static const QRegularExpression shape(QRegularExpression::anchoredPattern(
        QStringLiteral("(?:[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?|\\[([0-9A-Fa-f:.]+)\\])(?::([0-9]{1,5}))?")));
    if (text.size() > 255)
        return false;
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return false;
    const QString ipv6 = match.captured(1);
    if (!ipv6.isEmpty() && !QUrl(QStringLiteral("http://[%1]/").arg(ipv6), QUrl::StrictMode).isValid())
        return false;
    const QString port = match.captured(2);
    return port.isEmpty() || (port.toInt() >= 1 && port.toInt() <= 65535);
}

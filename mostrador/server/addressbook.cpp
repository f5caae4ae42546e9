#include "addressbook.h"

#include <array>

namespace addressbook {
namespace {

const QString kEnrolmentPath = QStringLiteral("/volumenhd/volumenhd");
const QString kLoginPath = QStringLiteral("/VANTO/Login.html");
const QString kRestEnrolmentPath = QStringLiteral("/rest/api/account/login");
const QString kRepositoryPath = QStringLiteral("/VANTO/apt/");
const QString kHttp = QStringLiteral("http://");
const QString kHttps = QStringLiteral("https://");
const QString kWww = QStringLiteral("www.");

// Host values of our own choosing, in the shapes the rows need; the public addresses lie in
// the ranges reserved for documentation, the internal ones in a private network.
const QString kLocalServer = QStringLiteral("127.0.0.1:8443");
const QString kSpainPublicIp = QStringLiteral("203.0.113.10:9443");
const QString kRestServer = QStringLiteral("198.51.100.7:10801");
constexpr int kRestIndex = 7;

const std::array<QString, 7> kDomains = {
    QStringLiteral("zelvora.es"),     QStringLiteral("zelvora.com.co"), QStringLiteral("zelvora.cl"),
    QStringLiteral("zelvora.com.ar"), QStringLiteral("zelvora.com.pe"), QStringLiteral("zelvora.com.ec"),
    QStringLiteral("zelvora.mx"),
};

struct InternalAddress {
    QString address;
    QString scheme;
};
const std::array<InternalAddress, 8> kInternal = {{
    {QStringLiteral("10.20.0.10:8443"), kHttp},
    {QStringLiteral("10.20.0.11:8453"), kHttps},
    {QStringLiteral("10.20.0.12:8453"), kHttps},
    {QStringLiteral("10.20.0.13:8443"), kHttps},
    {QStringLiteral("10.20.0.14"), kHttps},
    {QStringLiteral("10.20.0.15:8443"), kHttps},
    {QStringLiteral("10.20.0.16:8443"), kHttps},
    {kRestServer, kHttp},
}};

QString join(const QString &scheme, int kind, const QString &address, const QString &path)
{
    return scheme + (kind == 1 ? kWww : QString()) + address + path;
}

bool isCountry(int index)
{
    return index >= 0 && index < int(kDomains.size());
}

enum class Page { Enrolment, Login };

QString pathOf(Page page, int index)
{
    if (index == kRestIndex)
        return page == Page::Enrolment ? kRestEnrolmentPath : QString();
    return page == Page::Enrolment ? kEnrolmentPath : kLoginPath;
}

QString defaultUrl(Page page, int index, int set, int kind)
{
    if (index == kIndiceLocal)
        return kHttps + kLocalServer + pathOf(page, index);
    if (index < 0 || index >= int(kInternal.size()))
        return {};
    if (set == 0)
        return kInternal[index].scheme + kInternal[index].address + pathOf(page, index);
    if (set != 1)
        return {};
    if (index == kRestIndex)
        return kHttp + kRestServer + pathOf(page, index);
    const QString path = pathOf(page, index);
    switch (kind) {
    case 0:
        return kHttps + (index == 1 ? kWww : QString()) + kDomains[index] + path;
    case 1:
        return kHttps + kWww + kDomains[index] + path;
    case 2:
        if (index == 0)
            return kHttps + kSpainPublicIp + path;
        if (index == 5 && page == Page::Login)
            return {};
        return kHttps + kWww + kDomains[index] + path;
    default:
        return {};
    }
}

} // namespace

QString urlVolumenHD(const QString &scheme, int kind, const QString &address)
{
    return join(scheme, kind, address, kEnrolmentPath);
}

QString urlLoginRest(const QString &scheme, int kind, const QString &address)
{
    return join(scheme, kind, address, kRestEnrolmentPath);
}

QString urlLoginWeb(const QString &scheme, int kind, const QString &address)
{
    return join(scheme, kind, address, kLoginPath);
}

QString urlServidor(const QString &scheme, int kind, const QString &address)
{
    return join(scheme, kind, address, QString());
}

QString urlAltaDesdeIp(int index, const QString &scheme, int kind, const QString &address)
{
    if (index == kRestIndex)
        return urlLoginRest(scheme, kind, address);
    return urlVolumenHD(scheme, kind, index == kIndiceLocal ? kLocalServer : address);
}

QString urlLoginDesdeIp(int index, const QString &scheme, int kind, const QString &address)
{
    if (index == kRestIndex)
        return urlServidor(scheme, kind, address);
    return urlLoginWeb(scheme, kind, index == kIndiceLocal ? kLocalServer : address);
}

QString ipPorDefecto(int index, int set)
{
    if (index < 0 || index >= int(kInternal.size()))
        return {};
    if (set == 0)
        return kInternal[index].address;
    if (set != 1)
        return {};
    if (index == 0)
        return kSpainPublicIp;
    if (isCountry(index))
        return kWww + kDomains[index];
    return kRestServer;
}

QString urlAltaPorDefecto(int index, int set, int kind)
{
    return defaultUrl(Page::Enrolment, index, set, kind);
}

QString urlLoginPorDefecto(int index, int set, int kind)
{
    return defaultUrl(Page::Login, index, set, kind);
}

QString nombreTipoConexion(int kind)
{
    switch (kind) {
    case 0:
        return QStringLiteral("Conexion por dominio sin WWW");
    case 1:
        return QStringLiteral("Conexion por dominio con WWW");
    case 2:
        return QStringLiteral("Conexion por IP");
    default:
        return QStringLiteral("Conexion desconocida");
    }
}

QString urlRepositorio(const QString &address)
{
    return kHttp + address + kRepositoryPath;
}

} // namespace addressbook

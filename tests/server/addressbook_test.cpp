#include "addressbook.h"

#include <gtest/gtest.h>

namespace {

using namespace addressbook;

const QString kHttp = QStringLiteral("http://");

TEST(AddressBook, UrlsFromAStoredAddress)
{
    const struct {
        QString url;
        const char *expected;
    } rows[] = {
        {urlLoginDesdeIp(2, kHttp, 1, "10.1.2.3:81"), "http://www.10.1.2.3:81/VANTO/Login.html"},
        {urlLoginDesdeIp(2, kHttp, 0, "10.1.2.3:81"), "http://10.1.2.3:81/VANTO/Login.html"},
        {urlLoginDesdeIp(2, kHttp, 2, "10.1.2.3:81"), "http://10.1.2.3:81/VANTO/Login.html"},
        {urlAltaDesdeIp(2, kHttp, 1, "h"), "http://www.h/volumenhd/volumenhd"},
        {urlAltaDesdeIp(7, kHttp, 0, "h"), "http://h/rest/api/account/login"},
        {urlLoginDesdeIp(7, kHttp, 1, "h"), "http://www.h"},
        {urlAltaDesdeIp(999, kHttp, 2, "h"), "http://127.0.0.1:8443/volumenhd/volumenhd"},
        {urlLoginDesdeIp(999, kHttp, 1, "h"), "http://www.127.0.0.1:8443/VANTO/Login.html"},
        // Indexes without a row are treated like any country.
        {urlLoginDesdeIp(42, kHttp, 0, "h"), "http://h/VANTO/Login.html"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.url, QString::fromLatin1(row.expected));
}

TEST(AddressBook, DefaultUrlsFollowIndexSetAndKind)
{
    const struct {
        int index, set, kind;
        const char *enrolment; // urlAltaPorDefecto
        const char *login;     // urlLoginPorDefecto
    } rows[] = {
        {2, 1, 0, "https://zelvora.cl/volumenhd/volumenhd", "https://zelvora.cl/VANTO/Login.html"},
        {2, 1, 1, "https://www.zelvora.cl/volumenhd/volumenhd", "https://www.zelvora.cl/VANTO/Login.html"},
        // A domain row has no IP address of its own: kind 2 takes the "www." form.
        {2, 1, 2, "https://www.zelvora.cl/volumenhd/volumenhd", "https://www.zelvora.cl/VANTO/Login.html"},
        {1, 1, 0, "https://www.zelvora.com.co/volumenhd/volumenhd", "https://www.zelvora.com.co/VANTO/Login.html"},
        {0, 1, 2, "https://203.0.113.10:9443/volumenhd/volumenhd", "https://203.0.113.10:9443/VANTO/Login.html"},
        {0, 1, 0, "https://zelvora.es/volumenhd/volumenhd", "https://zelvora.es/VANTO/Login.html"},
        {5, 1, 2, "https://www.zelvora.com.ec/volumenhd/volumenhd", ""},
        {7, 1, 1, "http://198.51.100.7:10801/rest/api/account/login", "http://198.51.100.7:10801"},
        {7, 0, 2, "http://198.51.100.7:10801/rest/api/account/login", "http://198.51.100.7:10801"},
        {0, 0, 1, "http://10.20.0.10:8443/volumenhd/volumenhd", "http://10.20.0.10:8443/VANTO/Login.html"},
        {4, 0, 0, "https://10.20.0.14/volumenhd/volumenhd", "https://10.20.0.14/VANTO/Login.html"},
        {999, 0, 7, "https://127.0.0.1:8443/volumenhd/volumenhd", "https://127.0.0.1:8443/VANTO/Login.html"},
        {999, 5, -1, "https://127.0.0.1:8443/volumenhd/volumenhd", "https://127.0.0.1:8443/VANTO/Login.html"},
        {8, 1, 1, "", ""},
        {-1, 1, 1, "", ""},
        {2, 2, 1, "", ""},
        {2, 1, 3, "", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.index << "/" << row.set << "/" << row.kind);
        EXPECT_EQ(urlAltaPorDefecto(row.index, row.set, row.kind), QString::fromLatin1(row.enrolment));
        EXPECT_EQ(urlLoginPorDefecto(row.index, row.set, row.kind), QString::fromLatin1(row.login));
    }
}

TEST(AddressBook, DefaultAddressesAndKindNames)
{
    EXPECT_EQ(ipPorDefecto(kIndice, kConjunto), "www.zelvora.cl");
    EXPECT_EQ(ipPorDefecto(0, 1), "203.0.113.10:9443");
    EXPECT_EQ(ipPorDefecto(7, 0), ipPorDefecto(7, 1));
    EXPECT_EQ(ipPorDefecto(2, 0), "10.20.0.12:8453");
    for (const auto &[index, set] : {std::pair{8, 1}, {999, 1}, {2, 2}, {2, -1}})
        EXPECT_TRUE(ipPorDefecto(index, set).isEmpty()) << index << "/" << set;

    EXPECT_EQ(nombreTipoConexion(0), "Conexion por dominio sin WWW");
    EXPECT_EQ(nombreTipoConexion(1), "Conexion por dominio con WWW");
    EXPECT_EQ(nombreTipoConexion(2), "Conexion por IP");
    EXPECT_EQ(nombreTipoConexion(-1), "Conexion desconocida");
    EXPECT_EQ(nombreTipoConexion(3), "Conexion desconocida");
}

} // namespace

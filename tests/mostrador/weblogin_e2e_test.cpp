// The web login of the installed Mostrador under a private X server, with credentials in its
// registry store: the bytes the local central server received, and the page the kiosk shows.
#include "centralserver.h"
#include "codepage.h"
#include "processhelpers.h"
#include "storedlogin.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <httplib.h>
#include <optional>

namespace {

const QByteArray kContentType = "application/x-www-form-urlencoded";

class WebLoginE2eTest : public testing::Test {
protected:
    // Ticketera.ini with the autologin choice and the stored server address, when given; no file
    // when neither is.
    void writeSettings(std::optional<int> autologin, const QString &address) const
    {
        QFile::remove(copy.appDir() + QStringLiteral("Ticketera.ini"));
        if (!autologin && address.isEmpty())
            return;
        if (autologin)
            copy.writeSettings("[CONNECTION]\r\nAUTOL=" + QByteArray::number(*autologin) + "\r\n");
        if (!address.isEmpty())
            copy.storeServerAddress(address);
    }

    // The login the kiosk's browser posted, once the server has it; the connection probe's
    // posts to the same page come from the program's own HTTP client.
    static std::optional<RecordedRequest> browserLogin(const CentralServer &server,
                                                       QList<RecordedRequest> *probes = nullptr)
    {
        std::optional<RecordedRequest> login;
        waitUntil([&] {
            QList<RecordedRequest> seen;
            for (const RecordedRequest &request : server.requests()) {
                if (request.target() != "/VANTO/Login.html")
                    continue;
                if (request.header("User-Agent").contains("QtWebEngine/"))
                    login = request;
                else
                    seen << request;
            }
            if (probes)
                *probes = seen;
            return login.has_value();
        }, 30000);
        return login;
    }

    // The volume serial the program reads: that of the filesystem holding its current directory.
    QByteArray volumeSerial() const
    {
        const QString here = QDir::currentPath();
        QDir::setCurrent(copy.root());
        const QByteArray serial = numeroSerieVolumen(QString()).toLatin1();
        QDir::setCurrent(here);
        return serial;
    }

    InstalledCopy copy;
};

// Whether the kiosk shows the sales page: its header band and its print button are on screen.
bool showsSalesPage(const QImage &image)
{
    bool header = false, button = false;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb pixel = image.pixel(x, y) & 0xffffff;
            header |= pixel == 0x1f4e79;
            button |= pixel == 0x2e7d32;
        }
    return header && button;
}

TEST_F(WebLoginE2eTest, AutologinChoosesTheBodyThatReachesTheServer)
{
    const struct {
        const char *name;
        int autologin;
        QString user;
        QString password;
        QByteArray userSent; // empty: the Taquilla login, no body
    } cases[] = {
        {"not chosen", -1, QStringLiteral("caja 7"), QStringLiteral("a&b=c+d%e"), "caja 7"},
        // "Ł" is outside Windows-1252: it travels, and is signed, as "?".
        {"chosen", 1, QStringLiteral("Tienda Łódź"), QStringLiteral("%41+&=%"), "Tienda ?\xF3""d?"},
        {"off", 0, QStringLiteral("caja 7"), QStringLiteral("clave"), ""},
    };
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const CentralServer server;
        ASSERT_TRUE(storedlogin::storeCredentials(copy, c.user, c.password));
        writeSettings(c.autologin, QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
        Kiosk kiosk(copy, xvfb.display());
        const std::optional<RecordedRequest> login = browserLogin(server);
        ASSERT_TRUE(login) << kiosk.standardError().constData();

        EXPECT_EQ(login->method(), "POST");
        EXPECT_EQ(login->target(), "/VANTO/Login.html");
        int contentTypes = 0;
        for (const auto &[name, value] : login->headers())
            contentTypes += name.compare("Content-Type", Qt::CaseInsensitive) == 0;
        EXPECT_EQ(contentTypes, 1) << login->head.constData();
        EXPECT_EQ(login->header("Content-Type"), kContentType);
        EXPECT_EQ(login->header("Content-Length"), QByteArray::number(login->body.size()));
        QByteArray body;
        if (!c.userSent.isEmpty()) {
            const QByteArray password = CodePage::fromUnicode(c.password);
            const QByteArray signature =
                QCryptographicHash::hash(c.userSent + password + "KestIvoNR", QCryptographicHash::Sha1).toHex();
            body = "usuario=" + c.userSent + "&password=" + password + "&volumenhd=" + volumeSerial() +
                   "&zvkiosk=ZVKIOSK&firma=" + signature + "&version=" ZELVORA_VERSION_MAJOR_MINOR;
        }
        EXPECT_EQ(login->body.toStdString(), body.toStdString());

        // The kiosk shows the sales page the server answered with.
        QString window;
        ASSERT_TRUE(waitUntil([&] {
            const QStringList windows = x.visibleWindowsOf(kiosk.pid());
            window = windows.value(0);
            return !window.isEmpty() && showsSalesPage(x.capture(window));
        }, 30000));
    }
}

// The local central server's sales application, as the kiosk's browser would ask it: the
// signature over the bytes received, the page's links, and downloads named as attachments.
TEST(SalesApplication, TheLoginSignsInOnlyWithTheRightSignature)
{
    const CentralServer server;
    httplib::Client client(server.httpUrl().toStdString());
    const std::string user = "Tienda \xD1u\xF1oa", password = "a&b=c+d%e";
    const std::string signature =
        QCryptographicHash::hash(QByteArray::fromStdString(user + password + "KestIvoNR"), QCryptographicHash::Sha1)
            .toHex()
            .toStdString();
    const auto login = [&](const std::string &firma) {
        return "usuario=" + user + "&password=" + password + "&volumenhd=0A1B2C3D&zvkiosk=ZVKIOSK&firma=" + firma +
               "&version=2.5";
    };
    const struct {
        std::string body;
        int status;
        std::string shows;
    } cases[] = {
        {login(signature), 200, "<b id=\"usuario\">Tienda \xD1u\xF1oa</b>"},
        {login(std::string(40, '0')), 403, "Firma no v\xE1lida"},
        {"", 200, "<b id=\"usuario\">Taquilla Ormeza</b>"},
        {"usuario=x&password=y", 200, "<b id=\"usuario\">Taquilla Ormeza</b>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        const httplib::Result answer = client.Post("/VANTO/Login.html", c.body, kContentType.constData());
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, c.status);
        EXPECT_NE(answer->body.find(c.shows), std::string::npos) << answer->body;
        if (c.status != 200)
            continue;
        for (const char *link : {"href=\"/VANTO/informe.pdf\"", "href=\"/VANTO/informe.csv\"",
                                 "href=\"ZVR:LIB&amp;4&amp;1&amp;0&amp;12345678901234567890&amp;0&amp;&amp;"})
            EXPECT_NE(answer->body.find(link), std::string::npos) << link;
    }
    for (const auto &[path, type, name] : {std::tuple("/VANTO/informe.pdf", "application/pdf", "informe-ventas.pdf"),
                                           std::tuple("/VANTO/informe.csv", "text/csv", "informe-ventas.csv")}) {
        const httplib::Result answer = client.Get(path);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->get_header_value("Content-Disposition"), std::string("attachment; filename=\"") + name + '"');
        EXPECT_EQ(answer->get_header_value("Content-Type").rfind(type, 0), 0u);
    }
}

// Run through privatenetwork.sh: the names below lead to 127.0.0.1 and the server may take the
// default ports. The connection probe chooses the kind; a row fails the forms it needs failing
// (a name without "www." that does not resolve; a page answering 500 fails every form, which
// leaves kind 0). Chromium refuses a host that ends in a number but is no IP address, such as
// "www.127.0.0.1": the stored address of the "www." row is a name, in capitals, which the
// settings file's cipher keeps printable.
TEST_F(WebLoginE2eTest, TheLoginGoesToTheProbedFormInAPrivateNetwork)
{
    if (qEnvironmentVariableIsEmpty("ZELVORA_TEST_HOSTS"))
        GTEST_SKIP() << "runs only through privatenetwork.sh";
    const struct {
        const char *name;
        const char *address; // stored server address, "%1" the server's HTTP port; null: no settings file
        bool loginFails;     // the login page answers 500
        const char *scheme;
        const char *host;    // "%1" the port
        int probes;          // posts of the probe that reached the server
    } cases[] = {
        {"stored, IP address", "127.0.0.1:%1", false, "http", "127.0.0.1:%1", 1},
        {"stored, with www.", "CENTRAL.TEST:%1", false, "http", "www.central.test:%1", 1},
        {"stored, without www.", "127.0.0.1:%1", true, "http", "127.0.0.1:%1", 2},
        {"default, IP address", nullptr, false, "https", "www.zelvora.cl", 1},
        {"default, without www.", nullptr, true, "https", "zelvora.cl", 3},
    };
    const XvfbServer xvfb;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // The default URLs name no port; a stored address names the one the system chose.
        QByteArrayList options;
        if (!c.address)
            options << "--http-port" << "80" << "--https-port" << "443";
        if (c.loginFails)
            options << "--route" << "/VANTO/Login.html" << "--status" << "500";
        const CentralServer server(options);
        ASSERT_TRUE(storedlogin::storeCredentials(copy, QStringLiteral("caja 7"), QStringLiteral("clave")));
        const auto withPort = [&](const char *text) {
            return QString::fromLatin1(text).replace(QStringLiteral("%1"), QString::number(server.httpPort()));
        };
        writeSettings(c.address ? std::optional(1) : std::nullopt, c.address ? withPort(c.address) : QString());
        Kiosk kiosk(copy, xvfb.display());
        QList<RecordedRequest> probes;
        const std::optional<RecordedRequest> login = browserLogin(server, &probes);
        ASSERT_TRUE(login) << kiosk.standardError().constData();
        EXPECT_EQ(login->scheme, c.scheme);
        EXPECT_EQ(login->header("Host"), withPort(c.host).toLatin1());
        EXPECT_EQ(probes.size(), c.probes);
        EXPECT_TRUE(login->body.startsWith("usuario=caja 7&password=clave&"));
    }
}

} // namespace

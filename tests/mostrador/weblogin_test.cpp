// The web login in process: its log lines and the request it hands to the main frame, and what
// the real browser on the kiosk's profile makes of a POST as to its cache.
#include "browsercontrol.h"
#include "browserruntime.h"
#include "centralserver.h"
#include "mainframe.h"
#include "mostradorlog.h"
#include "mostradorstate.h"
#include "qtprint.h"
#include "storedserveraddress.h"
#include "weblogin.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineHttpRequest>
#include <gtest/gtest.h>

namespace {

const QString kVersion = QStringLiteral(ZELVORA_VERSION_MAJOR_MINOR);

class RecordingFrame : public MainFrame {
public:
    void loadRequest(const QWebEngineHttpRequest &request) override { requests << request; }
    QList<QWebEngineHttpRequest> requests;
};

class WebLoginTest : public testing::Test {
protected:
    void SetUp() override
    {
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path()));
        state.DirApp = m_dir.path() + u'/';
        state.Usuario = QStringLiteral("caja&1");
        state.Contrasenya = QStringLiteral("p=1%");
        state.DD = QStringLiteral("0A1B2C3D");
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    // As the refresh thread stores it; the line that logs is not this test's.
    void storeAddress(const QString &address) const
    {
        guardarIpConfig(state.DirApp, QStringLiteral("Ticketera.ini"), address);
        QFile::remove(m_dir.filePath(QStringLiteral("ZelvoraMostrador.log")));
    }

    QTemporaryDir m_dir;
    MostradorState state;
};

TEST_F(WebLoginTest, LogLinesAndTheRequestOfEachVariant)
{
    const QString stored = QStringLiteral("http://www.127.0.0.1:81/VANTO/Login.html");
    const QString defaultUrl = QStringLiteral("https://zelvora.cl/VANTO/Login.html");
    const QString vantoLog = QStringLiteral("Parametros de URL: usuario=caja&1&password=********&volumenhd=0A1B2C3D"
                                            "&zvkiosk=ZVKIOSK&firma=********&version=") + kVersion;
    const struct {
        const char *name;
        int autologin;
        bool storedAddress; // "127.0.0.1:81"
        int kind;
        bool logOn;         // the general switch
        QString url;
        QStringList log;
    } cases[] = {
        {"VANTO, stored", -1, true, 1, true, stored,
         {QStringLiteral("Inicio conexion con aplicacion Web."), QStringLiteral("IP desencriptada: 127.0.0.1:81"),
          QStringLiteral("Se recoge la URL de conexion a la aplicacion web desde el fichero INI. URL: ") + stored,
          QStringLiteral("Se prepara la conexion a la aplicacion Web: Zelvora VANTO"), vantoLog,
          QStringLiteral("Comienzo de conexion de Chromium con: ") + stored,
          QStringLiteral("Conexion de Chromium completada con: ") + stored}},
        {"Taquilla, default", 0, false, 0, true, defaultUrl,
         {QStringLiteral("Inicio conexion con aplicacion Web."),
          QStringLiteral("Se recoge la URL de conexion a la aplicacion web por defecto. URL: ") + defaultUrl,
          QStringLiteral("Se prepara la conexion a la aplicacion Web: Taquilla Ormeza"),
          QStringLiteral("Sin parametros para la URL."),
          QStringLiteral("Comienzo de conexion de Chromium con: ") + defaultUrl,
          QStringLiteral("Conexion de Chromium completada con: ") + defaultUrl}},
        // Any value but 0 is the VANTO login; the stored address logs whatever the switches say.
        {"VANTO, switch off", 7, true, 1, false, stored, {QStringLiteral("IP desencriptada: 127.0.0.1:81")}},
        // Only kind 1 puts "www." before a stored address; the default's IP form is its "www." one.
        {"stored, without www.", 1, true, 0, false, QStringLiteral("http://127.0.0.1:81/VANTO/Login.html"),
         {QStringLiteral("IP desencriptada: 127.0.0.1:81")}},
        {"stored, IP address", 1, true, 2, false, QStringLiteral("http://127.0.0.1:81/VANTO/Login.html"),
         {QStringLiteral("IP desencriptada: 127.0.0.1:81")}},
        {"default, IP address", 1, false, 2, false, QStringLiteral("https://www.zelvora.cl/VANTO/Login.html"), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(state.DirApp + QStringLiteral("Ticketera.ini"));
        QFile::remove(m_dir.filePath(QStringLiteral("ZelvoraMostrador.log")));
        if (c.storedAddress)
            storeAddress(QStringLiteral("127.0.0.1:81"));
        state.configPrinter.autologin = c.autologin;
        RecordingFrame frame;
        conectarAplicacionWeb(c.kind, state, frame, {c.logOn, c.logOn});

        EXPECT_EQ(mostradorLogLines(m_dir.path()), c.log);
        // SHA-1 of "caja&1p=1%KestIvoNR": user, password and the fixed text, nothing between them.
        const QByteArray signature = "c98b037c50a3dcee0791573e44bf182c89a130e2";
        EXPECT_EQ(state.firma, QString::fromLatin1(signature));
        ASSERT_EQ(frame.requests.size(), 1);
        const QWebEngineHttpRequest &request = frame.requests.first();
        EXPECT_EQ(request.url().toString(), c.url);
        EXPECT_EQ(request.method(), QWebEngineHttpRequest::Post);
        EXPECT_EQ(request.headers(), QList<QByteArray>{"Content-Type"});
        EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(request.postData().contains("&firma=" + signature + "&"), c.autologin != 0);
        EXPECT_EQ(request.postData().isEmpty(), c.autologin == 0);
    }
}

// The login asks for the cache to be bypassed. The browser never answers a POST from its cache:
// the login reaches the server each time, while a GET of the same page, which the server lets
// the browser keep for an hour, is fetched once.
TEST_F(WebLoginTest, APostReachesTheServerEvenWhenTheAnswerMayBeCached)
{
    const CentralServer server({"--route", "/VANTO/Login.html", "--header", "Cache-Control: max-age=3600"});
    storeAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
    const QUrl url(server.httpUrl() + QStringLiteral("/VANTO/Login.html"));
    BrowserRuntime runtime;
    BrowserControl view(runtime.profile());
    int loads = 0;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) { loads += ok; });
    const auto waitForLoads = [&](int count) { return QTest::qWaitFor([&] { return loads >= count; }, 30000); };
    const auto received = [&](const QByteArray &method) {
        int count = 0;
        for (const RecordedRequest &request : server.requests())
            count += request.method() == method && request.target() == "/VANTO/Login.html";
        return count;
    };

    ASSERT_TRUE(waitForLoads(1)); // about:blank
    for (const QUrl &page : {url, QUrl(QStringLiteral("about:blank")), url}) {
        view.load(page);
        ASSERT_TRUE(waitForLoads(loads + 1));
    }
    EXPECT_EQ(received("GET"), 1);

    state.configPrinter.autologin = 1;
    for (int i = 0; i < 2; ++i) {
        conectarAplicacionWeb(2, state, view, {false, false});
        ASSERT_TRUE(waitForLoads(loads + 1));
    }
    EXPECT_EQ(received("POST"), 2);
}

} // namespace

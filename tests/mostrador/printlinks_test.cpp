// The sales application's "ZVR:" links in the real browser, served by the local central server:
// what reaches the desktop's launcher from a click, from a script, and from a frame of another
// origin.
#include "browsercontrol.h"
#include "browserpage.h"
#include "browserruntime.h"
#include "centralserver.h"
#include "kioskpage.h"

#include "mostradorlog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <gtest/gtest.h>

namespace {

QByteArray attribute(const QByteArray &text)
{
    return QByteArray(text).replace("&", "&amp;").replace("\"", "&quot;");
}

// The kiosk's browser on the login page of a server whose login page is `body`.
class PrintLinksTest : public testing::Test {
protected:
    PrintLinksTest() { qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(work.path())); }
    ~PrintLinksTest() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    void open(const QByteArray &body, const QByteArrayList &moreRoutes = {})
    {
        openServer(QByteArrayList{"--route", "/VANTO/Login.html", "--body", body} + moreRoutes, "/VANTO/Login.html");
    }

    // The login of a server answering as `routes` say, loaded until the page at `path`.
    void openServer(const QByteArrayList &routes, const QString &path)
    {
        server = std::make_unique<CentralServer>(routes);
        view = std::make_unique<BrowserControl>(runtime.profile(), [this](const QString &url) {
            launched << url;
            return true;
        });
        view->resize(800, 600);
        view->show();
        bool loaded = false;
        const QMetaObject::Connection connection =
            QObject::connect(view.get(), &QWebEngineView::loadFinished, [&](bool ok) { loaded = ok; });
        view->loadRequest(QWebEngineHttpRequest(QUrl(server->httpUrl() + QStringLiteral("/VANTO/Login.html"))));
        const bool arrived = QTest::qWaitFor([&] { return loaded && view->url().path() == path; }, 30000);
        QObject::disconnect(connection);
        ASSERT_TRUE(arrived) << view->url().toString().toStdString();
    }

    QStringList log() const { return mostradorLogLines(work.path()); }

    // A login whose load ends, on a page or not.
    void logInAt(const QUrl &url)
    {
        bool ended = false;
        const QMetaObject::Connection connection =
            QObject::connect(view->page(), &QWebEnginePage::loadingChanged, [&](const QWebEngineLoadingInfo &info) {
                ended = ended || info.status() != QWebEngineLoadingInfo::LoadStartedStatus;
            });
        view->loadRequest(QWebEngineHttpRequest(url));
        const bool loginEnded = QTest::qWaitFor([&] { return ended; }, 20000);
        QObject::disconnect(connection);
        ASSERT_TRUE(loginEnded);
    }

    // A real click of the mouse on the element's middle.
    void click(const QString &id)
    {
        const QVariantList box =
            runScript(*view, QStringLiteral("(function(){var r=document.getElementById('%1').getBoundingClientRect();"
                                            "return [r.left+r.width/2, r.top+r.height/2];})()").arg(id)).toList();
        ASSERT_EQ(box.size(), 2);
        QWidget *target = view->focusProxy();
        ASSERT_TRUE(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
    }

    bool waitForLaunches(int count) { return QTest::qWaitFor([&] { return launched.size() >= count; }, 20000); }

    QTemporaryDir work;
    BrowserRuntime runtime;
    std::unique_ptr<CentralServer> server;
    std::unique_ptr<BrowserControl> view;
    QStringList launched;
};

// Qt's URL class would turn each "%" of the first and last rows into "%25". Each click hands its
// link over once.
TEST_F(PrintLinksTest, AClickHandsOverTheTextThePageWrote)
{
    const QByteArray hrefs[] = {
        "zvr:LIB&1&0&0&&0&&1100%%",
        "ZVR:LIB&1&0&0&&0&&1uno+dos%2Btres",
        "zvr:LIB&2&0&0&&0&&1A&1%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01B",
        "Zvr:LIB&2&0&0&&0&&1%G1%4&0%5c%41 %",
    };
    QByteArray page;
    for (qsizetype i = 0; i < qsizetype(std::size(hrefs)); ++i)
        page += "<a id=\"enlace" + QByteArray::number(i) + "\" href=\"" + attribute(hrefs[i]) +
                "\" style=\"display:block;padding:20px\">Imprimir</a>";
    open(page);
    for (qsizetype i = 0; i < qsizetype(std::size(hrefs)); ++i) {
        SCOPED_TRACE(hrefs[i].constData());
        click(QStringLiteral("enlace%1").arg(i));
        ASSERT_TRUE(waitForLaunches(int(i) + 1));
        EXPECT_EQ(launched.mid(i), QStringList{QString::fromLatin1(hrefs[i])});
    }
    EXPECT_EQ(view->url().path(), QStringLiteral("/VANTO/Login.html"));
}

// A link the application opens from a script after a server's answer comes as a URL that Qt has
// parsed: the rule of printlink::textOf takes back what Qt rewrote. The last row is the case it
// cannot tell apart: "%25%25" written by the page arrives as "%%". Only the application's own main
// frame prints: a frame of another origin (the same server named "localhost") opens its link, and
// is refused, before the page's own links are opened.
TEST_F(PrintLinksTest, LinksOpenedByAScriptComeFromTheApplicationsMainFrameOnly)
{
    const struct {
        const char *name;
        QByteArray written;
        QString arrives;
    } cases[] = {
        {"%%", "zvr:LIB&1&0&0&&0&&1100%%", QStringLiteral("zvr:LIB&1&0&0&&0&&1100%%")},
        {"+ and %5C", "ZVR:LIB&1&0&0&&0&&1a+b%5Cn", QStringLiteral("zvr:LIB&1&0&0&&0&&1a+b%5Cn")},
        {"malformed escape", "zvr:LIB&1&0&0&&0&&1%G1%5C", QStringLiteral("zvr:LIB&1&0&0&&0&&1%G1%5C")},
        {"%25%25, taken for %%", "zvr:LIB&1&0&0&&0&&1%25%25", QStringLiteral("zvr:LIB&1&0&0&&0&&1%%")},
    };
    const QByteArray frame = "<script>location.href = 'zvr:LIB&1&0&0&&0&&1ajeno%%';</script>";
    open("<iframe id=\"marco\"></iframe><script>"
         "document.getElementById('marco').src = 'http://localhost:' + location.port + '/VANTO/marco.html';"
         "</script>",
         {"--route", "/VANTO/marco.html", "--body", frame, "--route", "/VANTO/venta", "--body", "ok"});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return log().contains(QStringLiteral("Enlace ZVR rechazado, no viene de la aplicacion Web: zvr:LIB&1&0&0&&0&&1ajeno%%"));
    }, 20000)) << log().join(u'\n').toStdString();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype before = launched.size();
        runScript(*view, QStringLiteral("fetch('/VANTO/venta').then(function () { location.href = '%1'; })")
                             .arg(QString::fromLatin1(c.written)));
        ASSERT_TRUE(waitForLaunches(int(before) + 1)) << launched.join(u' ').toStdString();
        EXPECT_EQ(launched.mid(before), QStringList{c.arrives});
    }
}

// A real server answers the login at its "http://" address with a redirect to another origin. A
// clerk's click on a ticket link always prints, once; a link opened without one prints only when
// the main document opened it while the page is the application's (the origin the login ended at
// on a page). A frame of another origin never prints, wherever its link sits and however it
// navigates the page, even after the clerk's click in it; no other scheme leaves the browser and
// no second window opens. Each refusal is in the log, with the log switches off.
TEST_F(PrintLinksTest, AfterTheLoginsRedirectTheClerksClicksPrintAndNothingElseLeavesTheBrowser)
{
    const QByteArray link = " style=\"display:block;padding:20px\"";
    // The frame and the foreign page: the same server named "localhost", another origin.
    const QByteArray elsewhere = "'https://localhost:' + location.port + '/VANTO/";
    const QByteArray sales = "<a id=\"clic\" href=\"zvr:clic\"" + link + ">Imprimir</a>"
                             "<a id=\"guion\" href=\"zvr:guion\"" + link + ">Guion</a>"
                             "<a id=\"correo\" href=\"mailto:caja@example.org\"" + link + ">Correo</a>"
                             "<a id=\"unavez\" href=\"zvr:una-vez\" onclick=\"location.href=this.href\"" + link +
                             ">Una vez</a>"
                             "<iframe id=\"marco\" style=\"width:400px;height:150px;border:0\"></iframe><script>"
                             "document.getElementById('marco').src = " + elsewhere + "marco.html';</script>";
    // Five links of 30 pixels, one under the other: plain, in a closed shadow root, SVG, in a frame
    // without a URL that the frame wrote, and one whose click lets the frame's timers aim at the page.
    const QByteArray row = "display:block;width:400px;height:30px;border:0;margin:0";
    const QByteArray frame =
        "<body style=\"margin:0\"><a target=\"_top\" href=\"zvr:marco\" style=\"" + row + "\">Arriba</a>"
        "<div id=\"sombra\" style=\"" + row + "\"></div>"
        "<svg width=\"400\" height=\"30\" style=\"display:block\"><a xlink:href=\"zvr:marco-svg\" target=\"_top\">"
        "<rect width=\"400\" height=\"30\"/></a></svg>"
        "<iframe id=\"blanco\" style=\"" + row + "\"></iframe>"
        "<div id=\"reloj\" style=\"" + row + "\">Reloj</div><script>"
        "document.getElementById('sombra').attachShadow({mode: 'closed'}).innerHTML ="
        " '<a target=\"_top\" href=\"zvr:marco-sombra\" style=\"" + row + "\">Sombra</a>';"
        "var blanco = document.getElementById('blanco').contentDocument; blanco.open();"
        "blanco.write('<body style=\"margin:0\"><a target=\"_top\" href=\"zvr:marco-blanco\" style=\"" + row +
        "\">Blanco</a>'); blanco.close();"
        "document.getElementById('reloj').onclick = function () { var n = 0;"
        " var reloj = setInterval(function () { top.location = 'zvr:marco-reloj'; if (++n === 5) clearInterval(reloj); },"
        " 50); };</script>";
    openServer({"--route", "/VANTO/Login.html", "--scheme", "http", "--status", "302", "--redirect",
                "{https}/VANTO/venta.html", "--route", "/VANTO/venta.html", "--body", sales, "--route",
                "/VANTO/marco.html", "--body", frame, "--route", "/VANTO/ajena.html", "--body",
                "<a id=\"clic\" href=\"zvr:ajeno-clic\"" + link + ">Imprimir</a>", "--route", "/VANTO/vacio.html",
                "--scheme", "http", "--status", "302", "--redirect", "{https}/VANTO/nada", "--route", "/VANTO/nada",
                "--status", "204"},
               "/VANTO/venta.html");
    const QString refused = QStringLiteral("Enlace ZVR rechazado, no viene de la aplicacion Web: ");
    const QString notOpened = QStringLiteral("Enlace rechazado, el kiosco no abre otros programas: ");
    const auto script = [this](const char *code) { return [this, code] { runScript(*view, QString::fromLatin1(code)); }; };
    const auto clickOn = [this](const char *id) { return [this, id] { click(QString::fromLatin1(id)); }; };
    const auto clickInFrame = [this](int row) {
        return [this, row] {
            const QVariantList box = runScript(*view, QStringLiteral("(function(){var r=document.getElementById('marco')"
                                                                     ".getBoundingClientRect();return [r.left, r.top];})()"))
                                         .toList();
            ASSERT_EQ(box.size(), 2);
            QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {},
                              QPoint(box[0].toInt() + 200, box[1].toInt() + 15 + 30 * row));
        };
    };
    // A login to `login`, then a page of the application's script at `page`.
    const auto loginThenPage = [this](const char *login, const char *page) {
        return [this, login, page] {
            logInAt(QUrl(QString::fromLatin1(login)));
            view->setHtml(QStringLiteral("<script>location.href = 'zvr:origen';</script>"), QUrl(QString::fromLatin1(page)));
        };
    };
    const struct {
        const char *name;
        std::function<void()> act;
        QStringList launched; // or else this line in the log
        QString logLine = {};
    } steps[] = {
        {"the clerk's click", clickOn("clic"), {QStringLiteral("zvr:clic")}},
        {"a script's link on the page the login ended at", script("location.href = 'zvr:script'"),
         {QStringLiteral("zvr:script")}},
        {"a script's click() on a link", script("document.getElementById('guion').click()"), {QStringLiteral("zvr:guion")}},
        {"a script's click() on a mail link", script("document.getElementById('correo').click()"), {},
         notOpened + QStringLiteral("mailto:caja@example.org")},
        {"the clerk's click on a mail link", clickOn("correo"), {}, notOpened + QStringLiteral("mailto:caja@example.org")},
        // Its script follows the link as well: the same job. The script's link after it marks the end.
        {"the clerk's click on a link that a script follows",
         [&] {
             click(QStringLiteral("unavez"));
             script("location.href = 'zvr:despues'")();
         },
         {QStringLiteral("zvr:una-vez"), QStringLiteral("zvr:despues")}},
        {"two clicks on it",
         [&] {
             click(QStringLiteral("unavez"));
             click(QStringLiteral("unavez"));
             script("location.href = 'zvr:despues'")();
         },
         {QStringLiteral("zvr:una-vez"), QStringLiteral("zvr:una-vez"), QStringLiteral("zvr:despues")}},
        {"the application's print link in a new window", script("window.open('zvr:ventana')"),
         {QStringLiteral("zvr:ventana")}},
        {"the application's other page in a new window", script("window.open('about:blank')"), {},
         QStringLiteral("Ventana nueva rechazada, el kiosco tiene una sola vista: about:blank")},
        {"a frame's link aimed at the whole page", clickInFrame(0), {}, refused + QStringLiteral("zvr:marco")},
        {"a frame's link in a shadow root", clickInFrame(1), {}, refused + QStringLiteral("zvr:marco-sombra")},
        {"a frame's SVG link", clickInFrame(2), {}, refused + QStringLiteral("zvr:marco-svg")},
        {"a link in a frame that the frame wrote", clickInFrame(3), {}, refused + QStringLiteral("zvr:marco-blanco")},
        {"a frame's script after the clerk's click in the frame", clickInFrame(4), {},
         refused + QStringLiteral("zvr:marco-reloj")},
        {"the application's script, the frame still clicked", script("location.href = 'zvr:con-marco'"),
         {QStringLiteral("zvr:con-marco")}},
        // Its text carries a control character, which the log writes escaped.
        {"a page of another origin: a script's click() on a link",
         [this] {
             runScript(*view, QStringLiteral("location.href = 'https://localhost:' + location.port + '/VANTO/ajena.html'"));
             ASSERT_TRUE(QTest::qWaitFor([&] { return view->url().path() == u"/VANTO/ajena.html"; }, 20000));
             runScript(*view, QStringLiteral("var a = document.createElement('a'); a.href = 'zvr:aje\\x1bno';"
                                             "document.body.appendChild(a); a.click();"));
         },
         {}, refused + QStringLiteral("zvr:aje%1Bno")},
        {"a page of another origin: the clerk's click", clickOn("clic"), {QStringLiteral("zvr:ajeno-clic")}},
        // The login redirected to another origin that answered with no page.
        {"a login that ended on no page",
         [&] {
             logInAt(QUrl(server->httpUrl() + QStringLiteral("/VANTO/vacio.html")));
             runScript(*view, QStringLiteral("location.href = '%1/VANTO/venta.html'").arg(server->httpsUrl()));
             ASSERT_TRUE(QTest::qWaitFor([&] { return view->url().path() == u"/VANTO/venta.html"; }, 20000));
             script("location.href = 'zvr:sin-pagina'")();
         },
         {}, refused + QStringLiteral("zvr:sin-pagina")},
        // Origins: the logins go nowhere, so only the login's own origin is the application's.
        {"another port of the login's host", loginThenPage("http://127.0.0.1:1/VANTO/Login.html", "http://127.0.0.1:2/"),
         {}, refused + QStringLiteral("zvr:origen")},
        {"the host in capitals", loginThenPage("http://LOCALHOST:1/VANTO/Login.html", "http://localhost:1/"),
         {QStringLiteral("zvr:origen")}},
        {"the default port written out", loginThenPage("http://127.0.0.1:80/VANTO/Login.html", "http://127.0.0.1/"),
         {QStringLiteral("zvr:origen")}},
        {"two spellings of one IPv6 address", loginThenPage("http://[::1]:1/VANTO/Login.html", "http://[0:0:0::0:1]:1/"),
         {QStringLiteral("zvr:origen")}},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        const qsizetype launches = launched.size();
        const qsizetype logged = log().count(step.logLine);
        step.act();
        if (!step.launched.isEmpty()) {
            EXPECT_TRUE(waitForLaunches(int(launches + step.launched.size()))) << launched.join(u' ').toStdString();
            EXPECT_EQ(launched.mid(launches), step.launched);
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&] { return log().count(step.logLine) > logged; }, 20000))
                << log().join(u'\n').toStdString();
            EXPECT_EQ(launched.size(), launches);
        }
    }
}

} // namespace

// No scheme but the web's own and the ticket printer's leaves the kiosk, clicked or not.
TEST(KioskPageSchemes, NoOtherSchemeLeavesTheBrowser)
{
    struct Page : KioskPage {
        using KioskPage::KioskPage;
        using KioskPage::acceptNavigationRequest;
    };
    BrowserRuntime runtime;
    Page page(runtime.profile(), [](const QString &) { return true; }, MostradorLogSwitches{});
    const struct {
        const char *url;
        QWebEnginePage::NavigationType type;
        bool accepted;
    } cases[] = {
        {"mailto:caja@example.org", QWebEnginePage::NavigationTypeOther, false},
        {"sms:123", QWebEnginePage::NavigationTypeRedirect, false},
        {"mailto:caja@example.org", QWebEnginePage::NavigationTypeLinkClicked, false},
        {"ssh:caja@10.0.0.1", QWebEnginePage::NavigationTypeLinkClicked, false},
        {"HTTPS://example.org/", QWebEnginePage::NavigationTypeLinkClicked, true},
        {"https://example.org/", QWebEnginePage::NavigationTypeOther, true},
        {"about:blank", QWebEnginePage::NavigationTypeTyped, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(page.acceptNavigationRequest(QUrl(QString::fromLatin1(c.url)), c.type, true), c.accepted) << c.url;
}

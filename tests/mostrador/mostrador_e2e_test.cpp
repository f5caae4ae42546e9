// The installed Mostrador (and its test build, copied beside it) under a private X server, with
// the test's own central server as its stored server address.
#include "centralserver.h"
#include "configsys.h"
#include "credentialskey.h"
#include "filelock.h"
#include "installedcopy.h"
#include "kiosk.h"
#include "processtree.h"
#include "pseudoterminal.h"
#include "registrykey.h"
#include "stringcipher.h"
#include "testpageserver.h"
#include "workedexamples.h"
#include "xvfbserver.h"
#include "xwindows.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kCaption = QStringLiteral("Zelvora Mostrador");
const QString kConfiguration = QStringLiteral("Configuración aplicación");

class MostradorE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The test build runs from the installed copy, beside the real program.
        testShell = copy.addProgram(QStringLiteral(MOSTRADOR_TEST_SHELL));
        // Every request goes to the test's own central server, and the terminal is enrolled.
        copy.storeServerAddress(QStringLiteral("127.0.0.1:%1").arg(server.httpPort()));
        storeCredentials(QStringLiteral("caja 1"), QStringLiteral("clave"));
    }

    QString registryHive() const
    {
        return Kiosk::homeDir(copy) + QStringLiteral("/.config/zelvora/registry/HKEY_CLASSES_ROOT");
    }
    void storeCredentials(const QString &user, const QString &password) const
    {
        platform::RegistryKey key(registryHive());
        ASSERT_EQ(key.create(credentialskey::kName), 0);
        for (const auto &[name, text] : {std::pair(QString(), credentialskey::kDefaultText),
                                         std::pair(credentialskey::kProtocol, credentialskey::kProtocolText),
                                         std::pair(credentialskey::kUser, user), std::pair(credentialskey::kPassword, password)}) {
            const bool secret = name == credentialskey::kUser || name == credentialskey::kPassword;
            ASSERT_EQ(key.writeString(name, secret ? encriptarSuma(text, QStringLiteral("E"), credentialskey::kCipherKey) : text), 0);
        }
    }
    // Whether the central server received the web login with these first fields.
    bool loggedInAs(const QByteArray &fields) const
    {
        for (const QByteArray &body : posted("/VANTO/Login.html"))
            if (body.startsWith(fields))
                return true;
        return false;
    }
    // The bodies of the POSTs the central server received for `path`.
    QByteArrayList posted(const QByteArray &path) const
    {
        QByteArrayList bodies;
        for (const RecordedRequest &request : server.requests())
            if (request.method() == "POST" && request.target() == path)
                bodies << request.body;
        return bodies;
    }

    // The one mapped window of `pid`, once it is there.
    static QString waitForWindow(const XWindows &x, qint64 pid, const std::function<bool(const QString &)> &accept = {},
                                 int timeoutMs = kStateBoundMs)
    {
        QString found;
        waitUntil([&] {
            for (const QString &window : x.visibleWindowsOf(pid))
                if (!accept || accept(window))
                    found = window;
            return !found.isEmpty();
        }, timeoutMs);
        return found;
    }

    static bool isAllWhite(const QImage &image, QSize size)
    {
        if (image.size() != size)
            return false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xffffff) != 0xffffff)
                    return false;
        return true;
    }

    // Presses keys and types texts in the window that has the keyboard: "{Tab}" is a key.
    static void keyboard(const XWindows &x, const QString &window, const QStringList &input)
    {
        x.run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        for (const QString &item : input) {
            if (item.startsWith(u'{'))
                x.run(QStringLiteral("xdotool"), {QStringLiteral("key"), item.mid(1).chopped(1)});
            else
                x.run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), item});
        }
    }

    static bool lockIsFree(const InstalledCopy &copy)
    {
        return platform::FileLock(Kiosk::lockPath(copy), platform::FileLock::Wait::DontBlock).isLocked();
    }

    // At a first start, with no credentials stored, the configuration window is the kiosk's only
    // window: the main window waits behind it.
    QString configurationWindow(const XWindows &x, Kiosk &kiosk) const
    {
        const QString dialog = waitForWindow(x, kiosk.pid());
        EXPECT_FALSE(dialog.isEmpty()) << kiosk.standardError().constData();
        EXPECT_EQ(x.name(dialog), kConfiguration);
        EXPECT_EQ(x.visibleWindowsOf(kiosk.pid()), QStringList{dialog});
        return dialog;
    }

    // The kiosk's main window, once the start-up has run (slowly on a loaded machine).
    static QString mainWindow(const XWindows &x, const Kiosk &kiosk)
    {
        return waitForWindow(x, kiosk.pid(), [&](const QString &w) { return x.geometry(w).width() >= 1000; });
    }

    InstalledCopy copy;
    QString testShell; // the test build's name in the copy
    CentralServer server;
};

TEST_F(MostradorE2eTest, TheWindowTakesItsSizeAndLimitsFromTheFirstMonitor)
{
    struct Case {
        int width, height;
        bool windowManager;
        QRect window; // the outer window, frame included
        QSize minimum;
        QSize maximum;
    };
    const Case cases[] = {
        {1280, 1024, false, {128, 123, 1024, 777}, {1024, 777}, {1280, 1024}},
        {1024, 768, false, {0, 0, 1024, 768}, {1024, 768}, {1024, 768}},
        // A window manager's frame is part of the size: the page keeps the bottom of the screen.
        {1280, 1024, true, {128, 123, 1024, 777}, {1024, 777}, {1280, 1024}},
        {1024, 768, true, {0, 0, 1024, 768}, {1024, 768}, {1024, 768}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (c.windowManager ? " framed" : ""));
        const XvfbServer xvfb(c.width, c.height);
        const XWindows x(xvfb.display());
        std::unique_ptr<WindowManager> manager;
        if (c.windowManager) {
            manager = std::make_unique<WindowManager>(xvfb.display());
            ASSERT_TRUE(manager->isRunning());
        }
        Kiosk kiosk(copy, xvfb.display());
        const QString window = mainWindow(x, kiosk);
        ASSERT_FALSE(window.isEmpty());
        EXPECT_EQ(x.name(window), kCaption);
        EXPECT_EQ(x.windowClass(window), kCaption); // the application's name
        // The X window is the client area; the frame, when there is one, lies around it.
        QMargins frame;
        EXPECT_TRUE(waitUntil([&] {
            frame = x.frameExtents(window);
            return x.geometry(window).marginsAdded(frame) == c.window && frame.isNull() != c.windowManager;
        }, kStateBoundMs)) << x.geometry(window).x() << "," << x.geometry(window).y() << " " << x.geometry(window).width()
                  << "x" << x.geometry(window).height() << " frame top " << frame.top();
        const QSize border(frame.left() + frame.right(), frame.top() + frame.bottom());
        const QString hints = x.normalHints(window);
        for (const auto &[label, size] : {std::pair("minimum", c.minimum), std::pair("maximum", c.maximum)}) {
            const QSize client = size - border;
            EXPECT_TRUE(hints.contains(QStringLiteral("%1 size: %2 by %3").arg(QLatin1String(label)).arg(client.width()).arg(client.height())))
                << qPrintable(hints);
        }
        // The browser covers the whole client area with the web application, logged in with the
        // stored credentials (the central server's page is blank).
        EXPECT_TRUE(waitUntil([&] { return loggedInAs("usuario=caja 1&password=clave&"); }, kStateBoundMs));
        EXPECT_TRUE(waitUntil([&] { return isAllWhite(x.capture(window), c.window.size() - border); }, kStateBoundMs));

        // Closing the window ends the program, its browser processes and its lock.
        const QList<qint64> tree = processtree::liveTree(kiosk.pid());
        EXPECT_GE(tree.size(), 2) << "no browser sub-process";
        x.close(window);
        ASSERT_TRUE(kiosk.waitForExit(kStateBoundMs));
        EXPECT_EQ(kiosk.exitCode(), 0);
        EXPECT_TRUE(waitUntil([&] {
            for (qint64 pid : tree)
                if (processtree::isLive(pid))
                    return false;
            return true;
        }, kStateBoundMs));
        EXPECT_TRUE(lockIsFree(copy));
        // Both log switches are off in the program's build: only the stored address is logged.
        const QStringList lines = copy.log(QStringLiteral("ZelvoraMostrador.log")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        EXPECT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.filter(QStringLiteral("] IP desencriptada: 127.0.0.1:")), lines);
    }
}

TEST_F(MostradorE2eTest, ASecondCopyIsToldAndEndsWhileTheFirstKeepsItsWindow)
{
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    Kiosk first(copy, xvfb.display());
    const QString window = mainWindow(x, first);
    ASSERT_FALSE(window.isEmpty());

    Kiosk second(copy, xvfb.display());
    const QString box = waitForWindow(x, second.pid());
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(x.name(box), kCaption);
    EXPECT_LT(x.geometry(box).width(), 1000);
    // It has not started a browser just to say so.
    EXPECT_EQ(processtree::liveTree(second.pid()).size(), 1);
    x.close(box);
    ASSERT_TRUE(second.waitForExit(10000));
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(processtree::isLive(first.pid()));
    EXPECT_EQ(x.visibleWindowsOf(first.pid()), QStringList{window});
    EXPECT_FALSE(lockIsFree(copy));
}

TEST_F(MostradorE2eTest, ALockThatCannotBeTakenIsReported)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to start the program as another user";
    // The runtime directory belongs to root and is not writable by the user who starts Mostrador.
    const QString runtime = copy.root() + QStringLiteral("/root-only");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::Permissions(0x7755));
    chmod(QFile::encodeName(copy.workDir()).constData(), 01777);

    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("HOME"), copy.workDir());
    Kiosk kiosk(copy, xvfb.display(), QStringLiteral("Mostrador"), env,
                {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups")});
    const QString box = waitForWindow(x, kiosk.pid());
    ASSERT_FALSE(box.isEmpty()) << kiosk.standardError().constData();
    EXPECT_EQ(x.name(box), kCaption);
    EXPECT_FALSE(QFileInfo::exists(runtime + QStringLiteral("/ZelvoraMostrador.lock")));
    x.close(box);
    ASSERT_TRUE(kiosk.waitForExit(10000));
    EXPECT_EQ(kiosk.exitCode(), 0);
}

// The lock is free as soon as the killed program has ended, whatever its browser's processes
// still do. The next copy is judged by the lock it takes, not by a window: a window is a whole
// start-up, which takes as long as whatever runs beside the test lets it.
TEST_F(MostradorE2eTest, AKilledKioskLeavesNoLockBehind)
{
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    {
        Kiosk killed(copy, xvfb.display());
        ASSERT_FALSE(mainWindow(x, killed).isEmpty());
        EXPECT_FALSE(lockIsFree(copy));
        ASSERT_TRUE(killed.killMain());
        EXPECT_TRUE(lockIsFree(copy));
    }
    // A copy that found the lock busy would end after its box; this one takes the lock.
    Kiosk next(copy, xvfb.display());
    EXPECT_TRUE(waitUntil([&] { return processtree::holdsLock(next.pid(), Kiosk::lockPath(copy)); }, 60000));
}

TEST_F(MostradorE2eTest, TheBrowserShowsASelfSignedPageAndNoContextMenu)
{
    const TestPageServer server;
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    QProcessEnvironment env;
    env.insert(QStringLiteral("MOSTRADOR_TEST_URL"), server.url());
    Kiosk kiosk(copy, xvfb.display(), testShell, env);

    // The page's own script ran: no certificate warning stood in its place.
    ASSERT_TRUE(waitUntil([&] { return server.events().contains(QStringLiteral("loaded")); }, 30000))
        << kiosk.standardError().constData();
    const QString window = waitForWindow(x, kiosk.pid());
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(server.userAgent().contains("QtWebEngine/")) << server.userAgent().constData();
    EXPECT_TRUE(server.userAgent().contains("Chrome/")) << server.userAgent().constData();

    // A left click reaches the page, so the input path works...
    x.click(window, QPoint(512, 388), 1);
    ASSERT_TRUE(waitUntil([&] { return server.events().contains(QStringLiteral("mouseup0")); }, 10000))
        << server.events().join(u',').toStdString();
    // ...but a right click never does, and no menu window appears.
    const QStringList before = x.visibleTopLevels();
    x.click(window, QPoint(400, 300), 3);
    x.click(window, QPoint(400, 300), 1);
    ASSERT_TRUE(waitUntil([&] { return server.events().count(QStringLiteral("mouseup0")) == 2; }, 10000));
    const QStringList events = server.events();
    EXPECT_FALSE(events.contains(QStringLiteral("mousedown2"))) << events.join(u',').toStdString();
    EXPECT_FALSE(events.contains(QStringLiteral("contextmenu"))) << events.join(u',').toStdString();
    EXPECT_EQ(x.visibleTopLevels(), before);

    // The browser fills the client area and follows the window when it is resized.
    EXPECT_TRUE(events.contains(QStringLiteral("size1024x777"))) << events.join(u',').toStdString();
    x.run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), window, QStringLiteral("1200"), QStringLiteral("900")});
    EXPECT_TRUE(waitUntil([&] { return server.events().contains(QStringLiteral("size1200x900")); }, 10000))
        << server.events().join(u',').toStdString();

    // The whole start-up ran, logged by this build with both switches on.
    const QString log = copy.log(QStringLiteral("ZelvoraMostrador.log"));
    EXPECT_EQ(log.count(QStringLiteral("Inicio de la aplicacion de Mostrador. Ruta instalacion Mostrador: ") +
                        copy.appDir()),
              1);
    EXPECT_TRUE(log.contains(QStringLiteral("Configuracion de Autologin: -1")));
    EXPECT_TRUE(log.contains(QStringLiteral("Fin de la aplicacion de Mostrador. OK.")));

    // The browser's sub-processes are this same program, and none of them holds the lock.
    const QString program = QFileInfo(copy.appDir() + testShell).canonicalFilePath();
    const QString lock = Kiosk::lockPath(copy);
    const QList<qint64> tree = processtree::liveTree(kiosk.pid());
    ASSERT_GE(tree.size(), 2);
    EXPECT_TRUE(processtree::holdsFile(kiosk.pid(), lock));
    for (qint64 pid : tree.mid(1)) {
        SCOPED_TRACE(pid);
        EXPECT_EQ(processtree::executable(pid), program);
        EXPECT_TRUE(processtree::arguments(pid).filter(QStringLiteral("--type=")).size() == 1);
        EXPECT_FALSE(processtree::holdsFile(pid, lock));
    }

    x.close(window);
    ASSERT_TRUE(kiosk.waitForExit());
    EXPECT_EQ(kiosk.exitCode(), 0);
    // The runtime's logging is off, and nothing of the browser stayed on disk. Two stores that
    // are not the browser's own may appear: the user's NSS certificate database, which
    // Chromium's TLS opens (created empty), and the GL driver's shader cache; the registry
    // store is the test's.
    const QByteArray errors = kiosk.standardError();
    EXPECT_FALSE(errors.contains(":ERROR:") || errors.contains(":WARNING:") || errors.contains(":INFO:"))
        << errors.constData();
    QStringList stored;
    QDirIterator files(Kiosk::homeDir(copy), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString relative = file.mid(Kiosk::homeDir(copy).size() + 1);
        if (!relative.startsWith(QStringLiteral(".pki/nssdb/")) && !relative.startsWith(QStringLiteral(".config/zelvora/")) &&
            !relative.startsWith(QStringLiteral(".cache/mesa_shader_cache/")))
            stored << file;
    }
    EXPECT_TRUE(stored.isEmpty()) << stored.join(u'\n').toStdString();
    EXPECT_TRUE(lockIsFree(copy));
}

TEST_F(MostradorE2eTest, TheShopPageIgnoresBackspaceAndOpensItsReportWithTheDesktopsViewer)
{
    // A stand-in viewer, the desktop's choice for PDF files in this user's own desktop database.
    const auto write = [](const QString &path, const QByteArray &content) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size()) << qPrintable(path);
    };
    const QByteArray seen = QFile::encodeName(copy.root() + QStringLiteral("/seen"));
    const QString viewer = copy.root() + QStringLiteral("/viewer");
    write(viewer, "#!/bin/sh\ncp \"$1\" " + seen + ".pdf\necho \"$1\" > " + seen + ".tmp\nmv " + seen + ".tmp " + seen +
                      ".txt\n");
    QFile::setPermissions(viewer, QFileDevice::Permissions(0x7755));
    const QString home = Kiosk::homeDir(copy);
    write(home + QStringLiteral("/.local/share/applications/viewer.desktop"),
          "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + QFile::encodeName(viewer) +
              " %f\nMimeType=application/pdf;\n");
    write(home + QStringLiteral("/.config/mimeapps.list"), "[Default Applications]\napplication/pdf=viewer.desktop\n");
    QDir().mkpath(copy.root() + QStringLiteral("/tmp"));

    const TestPageServer server;
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    QProcessEnvironment env;
    env.insert(QStringLiteral("MOSTRADOR_TEST_URL"), server.url() + QStringLiteral("tienda"));
    env.insert(QStringLiteral("TMPDIR"), copy.root() + QStringLiteral("/tmp"));
    Kiosk kiosk(copy, xvfb.display(), testShell, env);
    ASSERT_TRUE(waitUntil([&] { return server.events().contains(QStringLiteral("shop")); }, 30000))
        << kiosk.standardError().constData();
    const QString window = waitForWindow(x, kiosk.pid());
    ASSERT_FALSE(window.isEmpty());

    // Backspace outside the text field never reaches the page; the next key does.
    x.click(window, QPoint(900, 700), 1);
    x.key(window, {QStringLiteral("BackSpace"), QStringLiteral("shift")});
    ASSERT_TRUE(waitUntil([&] { return !server.events().filter(QStringLiteral("Shift")).isEmpty(); }, 10000))
        << server.events().join(u',').toStdString();
    EXPECT_TRUE(server.events().filter(QStringLiteral("Backspace")).isEmpty()) << server.events().join(u',').toStdString();

    // The report: the question, "Abrir" (the button with the focus), then the viewer.
    x.click(window, QPoint(512, 350), 1);
    const QString question = waitForWindow(x, kiosk.pid(), [&](const QString &w) { return w != window; });
    ASSERT_FALSE(question.isEmpty());
    EXPECT_EQ(x.name(question), QStringLiteral("Descargar fichero"));
    EXPECT_EQ(x.geometry(question).size(), QSize(424, 164));
    x.key(question, {QStringLiteral("Return")});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(QFile::decodeName(seen + ".txt")); }, 30000))
        << kiosk.standardError().constData();

    const QString dir = copy.root() + QStringLiteral("/tmp/ZelvoraMostrador-%1").arg(geteuid());
    QFile seenPath(QFile::decodeName(seen + ".txt"));
    ASSERT_TRUE(seenPath.open(QIODevice::ReadOnly));
    EXPECT_EQ(seenPath.readAll().trimmed(), QFile::encodeName(dir + QStringLiteral("/report.pdf")));
    QFile seenFile(QFile::decodeName(seen + ".pdf"));
    ASSERT_TRUE(seenFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(seenFile.readAll(), TestPageServer::downloadContent(QStringLiteral("report.pdf")));
    EXPECT_EQ(QFileInfo(dir).permissions() & 0x7000, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The question and the progress window are gone; the kiosk goes on.
    EXPECT_TRUE(waitUntil([&] { return x.visibleWindowsOf(kiosk.pid()) == QStringList{window}; }, 10000));

    x.close(window);
    ASSERT_TRUE(kiosk.waitForExit());
    EXPECT_EQ(kiosk.exitCode(), 0);
}

TEST_F(MostradorE2eTest, TheFirstStartEnrolsThroughTheConfigurationWindowAndTheNextGoesStraightPastIt)
{
    // The port typed in the window is mapped to a pseudo-terminal.
    QDir(registryHive()).removeRecursively();
    PseudoTerminal terminal;
    copy.writeSettings(copy.readFile(QStringLiteral("Ticketera.ini")) + "[PORTS]\r\nCOM7=" + terminal.devicePath().toUtf8() +
                       "\r\n");
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    {
        Kiosk kiosk(copy, xvfb.display());
        const QString dialog = configurationWindow(x, kiosk);
        ASSERT_FALSE(dialog.isEmpty());
        keyboard(x, dialog, {QStringLiteral("Tienda 7"), QStringLiteral("{Tab}"), QStringLiteral("clave & 1"),
                             QStringLiteral("{Tab}"), QStringLiteral("{Down}"), QStringLiteral("{Tab}"),
                             QStringLiteral("COM7"), QStringLiteral("{Return}")});

        // The server's sentence in a box; once it is closed, the web application in the main window.
        const QString box = waitForWindow(x, kiosk.pid(), [&](const QString &w) { return x.name(w) == kCaption; });
        ASSERT_FALSE(box.isEmpty());
        EXPECT_LT(x.geometry(box).width(), 1000);
        const QByteArrayList enrolments = posted("/volumenhd/volumenhd");
        ASSERT_EQ(enrolments.size(), 1);
        EXPECT_TRUE(enrolments[0].startsWith("usuario=Tienda+7&password=clave+%26+1&volumenhd=")) << enrolments[0].constData();
        x.close(box);
        const QString window = mainWindow(x, kiosk);
        ASSERT_FALSE(window.isEmpty());
        EXPECT_TRUE(waitUntil([&] { return loggedInAs("usuario=Tienda 7&password=clave & 1&"); }));
        x.close(window);
        ASSERT_TRUE(kiosk.waitForExit());
    }
    // The printer settings, for Ticketera, which prints to that port; the credentials, enciphered.
    TConfigSys printer;
    leerConfigSys(copy.appDir(), QStringLiteral("Ticketera.ini"), printer);
    EXPECT_TRUE(printer.imprimirPuerto);
    EXPECT_EQ(printer.puerto, QStringLiteral("COM7"));
    QProcessEnvironment display;
    display.insert(QStringLiteral("DISPLAY"), xvfb.display());
    EXPECT_EQ(copy.run(QStringLiteral("Ticketera"), {workedexamples::kUrl1}, display).exitCode, 0);
    EXPECT_EQ(terminal.read(), workedexamples::kTextBytes1);
    platform::RegistryKey key(registryHive());
    ASSERT_EQ(key.openFullAccess(credentialskey::kName), 0);
    EXPECT_EQ(encriptarSuma(credentialskey::readString(key, credentialskey::kUser), QStringLiteral("D"), credentialskey::kCipherKey),
              QStringLiteral("Tienda 7"));

    // The next start goes straight to the web application.
    Kiosk next(copy, xvfb.display());
    const QString first = waitForWindow(x, next.pid(), {}, 60000); // the start-up runs first
    EXPECT_GE(x.geometry(first).width(), 1000) << x.name(first).toStdString();
    EXPECT_EQ(posted("/volumenhd/volumenhd").size(), 1);
}

TEST_F(MostradorE2eTest, CancellingTheConfigurationWindowAtTheFirstStartEndsTheProgramWithNothingStored)
{
    QDir(registryHive()).removeRecursively();
    const QByteArray settings = copy.readFile(QStringLiteral("Ticketera.ini"));
    const XvfbServer xvfb;
    const XWindows x(xvfb.display());
    Kiosk kiosk(copy, xvfb.display());
    const QString dialog = configurationWindow(x, kiosk);
    ASSERT_FALSE(dialog.isEmpty());
    keyboard(x, dialog, {QStringLiteral("caja"), QStringLiteral("{Escape}")});

    bool mainWindowShown = false;
    EXPECT_TRUE(waitUntil([&] {
        for (const QString &w : x.visibleWindowsOf(kiosk.pid()))
            mainWindowShown |= w != dialog;
        return kiosk.waitForExit(0);
    }, kStateBoundMs));
    EXPECT_FALSE(mainWindowShown);
    EXPECT_EQ(kiosk.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(registryHive() + u'/' + credentialskey::kName));
    EXPECT_EQ(copy.readFile(QStringLiteral("Ticketera.ini")), settings);
    EXPECT_TRUE(posted("/volumenhd/volumenhd").isEmpty());
    EXPECT_TRUE(lockIsFree(copy));
}

} // namespace

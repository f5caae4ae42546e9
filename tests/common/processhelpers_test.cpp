#include "applicationwindows.h"
#include "paths.h"
#include "processhelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CountingWindows : public ApplicationWindows {
public:
    int repaints = 0;
    int broughtToFront = 0;
    void processEvents() override { ++repaints; }
    void bringToFront() override { ++broughtToFront; }
};

QString script(const QTemporaryDir &dir, const QByteArray &body)
{
    const QString path = dir.filePath(QStringLiteral("program"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(QFileDevice::Permissions(0x7755));
    return path;
}

} // namespace

TEST(ProcessHelpers, ElevatedStartWaitsKeepingWindowsAlive)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "without root the start goes through pkexec, which needs a person to answer it";
    QTemporaryDir dir;
    CountingWindows windows;
    EXPECT_EQ(ejecutarComoAdministrador(script(dir, "sleep 0.5\nexit 3\n"), &windows), 3);
    EXPECT_GE(windows.repaints, 3); // one per 100 ms slice while it ran
    EXPECT_EQ(windows.broughtToFront, 1);

    CountingWindows refused;
    EXPECT_EQ(ejecutarComoAdministrador(dir.filePath(QStringLiteral("missing")), &refused), -1);
    EXPECT_EQ(refused.broughtToFront, 0);
    EXPECT_EQ(ejecutarComoAdministrador(script(dir, "kill -9 $$\n"), nullptr), -1);
}

TEST(ProcessHelpers, SystemFacts)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}$")).match(numeroSerieVolumen(QStringLiteral("C"))).hasMatch());
    EXPECT_EQ(numeroSerieVolumen(QStringLiteral("C")), numeroSerieVolumen(QStringLiteral("D")));
    EXPECT_EQ(versionEjecutable(), QStringLiteral(EXPECTED_VERSION));

    const QByteArray saved = qgetenv("TMPDIR");
    QTemporaryDir dir;
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    EXPECT_EQ(directorioTemporal(), dir.path() + u'/');
    qputenv("TMPDIR", QFile::encodeName(dir.path() + u'/'));
    EXPECT_EQ(directorioTemporal(), dir.path() + u'/');
    qputenv("TMPDIR", saved);
}

TEST(ProcessHelpers, OpenedDownloadsGoToADirectoryOnlyTheUserCanEnter)
{
    // What may already be under the user's name in the shared temporary directory.
    struct Case {
        const char *planted;
        std::function<void(const QByteArray &name, const QString &elsewhere)> plant;
        bool keepsTheName;
        bool needsRoot = false;
    };
    const Case cases[] = {
        {"nothing", [](const QByteArray &, const QString &) {}, true},
        {"own directory open to all", [](const QByteArray &name, const QString &) {
             mkdir(name.constData(), 0777);
             chmod(name.constData(), 0777);
         }, true},
        {"link to another directory", [](const QByteArray &name, const QString &elsewhere) {
             QFile::link(elsewhere, QFile::decodeName(name));
         }, false},
        {"file", [](const QByteArray &name, const QString &) { QFile(QFile::decodeName(name)).open(QIODevice::WriteOnly); },
         false},
        {"directory of another user", [](const QByteArray &name, const QString &) {
             mkdir(name.constData(), 0777);
             ASSERT_EQ(chown(name.constData(), 65534, 65534), 0);
         }, false, true},
    };
    const QByteArray saved = qgetenv("TMPDIR");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.planted);
        if (c.needsRoot && geteuid() != 0)
            continue;
        QTemporaryDir tmp;
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        const QString name = tmp.filePath(QStringLiteral("ZelvoraMostrador-%1").arg(geteuid()));
        const QString elsewhere = tmp.filePath(QStringLiteral("elsewhere"));
        QDir().mkdir(elsewhere);
        c.plant(QFile::encodeName(name), elsewhere);

        const QString dir = platform::userTemporaryDirectory();
        EXPECT_TRUE(dir.startsWith(tmp.path() + QStringLiteral("/ZelvoraMostrador-"))) << qPrintable(dir);
        EXPECT_EQ(dir == name + u'/', c.keepsTheName) << qPrintable(dir);
        struct stat st;
        ASSERT_EQ(lstat(QFile::encodeName(dir).constData(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_uid, geteuid());
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        EXPECT_EQ(platform::userTemporaryDirectory(), dir); // the same one for the whole run
        EXPECT_TRUE(QDir(elsewhere).isEmpty());
    }
    qputenv("TMPDIR", saved);
}

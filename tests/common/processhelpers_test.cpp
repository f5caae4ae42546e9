#include "applicationwindows.h"
#include "paths.h"
#include "processhelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

TEST(ProcessHelpers, VolumeSerialNamesTheFilesystemOfTheCurrentDirectory)
{
    // What the system says of the filesystem: the start of its UUID, else its two id words
    // (as stat prints them) folded into one.
    const auto expected = [] {
        QProcess findmnt;
        findmnt.start(QStringLiteral("findmnt"), {QStringLiteral("-n"), QStringLiteral("-o"), QStringLiteral("UUID"),
                                                  QStringLiteral("-T"), QStringLiteral(".")});
        findmnt.waitForFinished();
        const QString uuid = QString::fromLatin1(findmnt.readAllStandardOutput()).trimmed().remove(u'-');
        if (!uuid.isEmpty())
            return uuid.left(8).toUpper();
        QProcess stat;
        stat.start(QStringLiteral("stat"), {QStringLiteral("-f"), QStringLiteral("-c"), QStringLiteral("%i"), QStringLiteral(".")});
        stat.waitForFinished();
        const quint64 id = QString::fromLatin1(stat.readAllStandardOutput()).trimmed().toULongLong(nullptr, 16);
        return QStringLiteral("%1").arg(quint32(id >> 32) ^ quint32(id), 8, 16, QLatin1Char('0')).toUpper();
    };
    const QString saved = QDir::currentPath();
    QStringList serials;
    for (const QString &dir : {QDir::tempPath(), QStringLiteral("/dev/shm"), saved}) {
        SCOPED_TRACE(dir.toStdString());
        ASSERT_TRUE(QDir::setCurrent(dir));
        const QString serial = numeroSerieVolumen(QStringLiteral("C"));
        EXPECT_EQ(serial, expected());
        EXPECT_EQ(numeroSerieVolumen(QStringLiteral("D")), serial); // the drive letter means nothing here
        serials << serial;
    }
    QDir::setCurrent(saved);
    EXPECT_NE(serials[0], serials[1]); // a disk and shared memory are two filesystems
}

TEST(ProcessHelpers, VersionIsMajorAndMinorOfTheBuild)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9]+\\.[0-9]+$")).match(versionEjecutable()).hasMatch());
    EXPECT_TRUE(QStringLiteral(PROJECT_VERSION).startsWith(versionEjecutable() + u'.'));
}

TEST(ProcessHelpers, TemporaryDirectoryEndsInASeparator)
{
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

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

TEST(ProcessHelpers, ElevatedStartRunsOnlyWhatNobodyButRootCanChange)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "files of another user are made as root";
    constexpr uid_t kNobody = 65534;
    const char *const notRoots = " no pertenece a root";
    const char *const writable = " lo pueden modificar otros usuarios";
    // <temporary>/above/dir/program, each with the owner and mode of the row.
    const struct {
        const char *name;
        mode_t above, dir, program;
        uid_t dirOwner, programOwner;
        const char *faultAt; // "program", "dir", "above"; null: it runs
        const char *why;
    } rows[] = {
        {"root's program in root's directory", 0755, 0755, 0755, 0, 0, nullptr, nullptr},
        {"another user's program", 0755, 0755, 0755, 0, kNobody, "program", notRoots},
        {"a program its group may write", 0755, 0755, 0775, 0, 0, "program", writable},
        {"a program everybody may write", 0755, 0755, 0757, 0, 0, "program", writable},
        {"in another user's directory", 0755, 0755, 0755, kNobody, 0, "dir", notRoots},
        {"in a world-writable directory", 0755, 0777, 0755, 0, 0, "dir", writable},
        {"in a world-writable directory with the sticky bit", 0755, 01777, 0755, 0, 0, "dir", writable},
        {"below a world-writable directory", 0777, 0755, 0755, 0, 0, "above", writable},
        {"below a world-writable directory with the sticky bit", 01777, 0755, 0755, 0, 0, nullptr, nullptr},
    };
    for (const auto &row : rows) {
        QTemporaryDir base;
        chmod(QFile::encodeName(base.path()).constData(), 0755);
        const QString above = base.filePath(QStringLiteral("above"));
        const QString dir = above + QStringLiteral("/dir");
        const QString program = dir + QStringLiteral("/program");
        QDir().mkpath(dir);
        QFile f(program);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\nexit 3\n");
        f.close();
        const std::pair<QString, std::pair<mode_t, uid_t>> settings[] = {
            {above, {row.above, 0}}, {dir, {row.dir, row.dirOwner}}, {program, {row.program, row.programOwner}}};
        for (const auto &[path, ownerMode] : settings) {
            chown(QFile::encodeName(path).constData(), ownerMode.second, 0);
            chmod(QFile::encodeName(path).constData(), ownerMode.first);
        }
        QStringList lines;
        const int result = ejecutarComoAdministrador(program, nullptr, [&](const QString &line) { lines << line; });
        EXPECT_EQ(result, row.faultAt ? -1 : 3) << row.name;
        if (row.faultAt) {
            const QString at = QLatin1String(row.faultAt) == u"program" ? program
                               : QLatin1String(row.faultAt) == u"dir" ? dir
                                                                        : above;
            EXPECT_EQ(lines, QStringList{QStringLiteral("ERROR: No se ejecuta como administrador ") + program +
                                         QStringLiteral(": ") + at + QLatin1String(row.why)})
                << row.name;
        } else {
            EXPECT_TRUE(lines.isEmpty()) << row.name;
        }
    }

    // A link is judged where it lies as well as where it leads.
    QTemporaryDir base;
    chmod(QFile::encodeName(base.path()).constData(), 0755);
    const QString trusted = script(base, "exit 3\n");
    QTemporaryDir shared;
    chmod(QFile::encodeName(shared.path()).constData(), 0777);
    const QString link = shared.filePath(QStringLiteral("link"));
    QFile::link(trusted, link);
    EXPECT_EQ(ejecutarComoAdministrador(link, nullptr), -1);

    // A user who prepared a program of their own never gets it before pkexec.
    QTemporaryDir mine;
    chmod(QFile::encodeName(mine.path()).constData(), 0755);
    const QString own = script(mine, "exit 3\n");
    chown(QFile::encodeName(own).constData(), kNobody, kNobody);
    QProcess probe;
    probe.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                           QStringLiteral("--clear-groups"), QStringLiteral(ELEVATED_PROBE_PATH), own});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(QString::fromLocal8Bit(probe.readAllStandardOutput()),
              QStringLiteral("ERROR: No se ejecuta como administrador ") + own + QStringLiteral(": ") + own +
                  QLatin1String(notRoots) + QStringLiteral("\n-1\n"));
}

TEST(ProcessHelpers, ElevationIsNeverAskedOfAProgramTheUsersPathNames)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the program is made root's as root";
    // A "pkexec" of the user's own, first in their PATH, could ask for the administrator's password.
    QTemporaryDir trusted;
    chmod(QFile::encodeName(trusted.path()).constData(), 0755);
    const QString program = script(trusted, "exit 3\n");
    QTemporaryDir bin;
    chmod(QFile::encodeName(bin.path()).constData(), 0777);
    const QString marker = bin.filePath(QStringLiteral("asked"));
    QFile::rename(script(bin, "touch '" + QFile::encodeName(marker) + "'\nexit 3\n"), bin.filePath(QStringLiteral("pkexec")));
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), bin.path() + QStringLiteral(":/usr/bin:/bin"));
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral("/usr/bin/setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                     QStringLiteral("--clear-groups"), QStringLiteral(ELEVATED_PROBE_PATH), program});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(QString::fromLocal8Bit(probe.readAllStandardOutput()), QStringLiteral("-1\n"));
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

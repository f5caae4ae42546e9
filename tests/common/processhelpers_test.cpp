#include "applicationwindows.h"
#include "processhelpers.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
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

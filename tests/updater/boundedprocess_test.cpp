#include "boundedprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// Whether `pid` still runs: an ended process waiting to be reaped does not.
bool running(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

TEST(BoundedProcess, EndsByItselfOrAtTheBoundWithWhatItStarted)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString childPid = dir.filePath(QStringLiteral("child.pid"));
    const struct {
        const char *name;
        QString program;
        QStringList arguments;
        bool started, timedOut;
        int exitCode;
        QByteArray output;
    } rows[] = {
        {"its own exit code and both streams", QStringLiteral("/bin/sh"),
         {QStringLiteral("-c"), QStringLiteral("echo out; echo err >&2; exit 3")}, true, false, 3, "out\nerr\n"},
        // A program that hangs, with a child of its own that would outlive it.
        {"ended at the bound", QStringLiteral("/bin/sh"),
         {QStringLiteral("-c"), QStringLiteral("echo begun; sleep 30 & echo $! > '%1'; wait").arg(childPid)}, true,
         true, -1, "begun\n"},
        {"a program that is not there", dir.filePath(QStringLiteral("missing")), {}, false, false, -1, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QElapsedTimer timer;
        timer.start();
        const platform::BoundedRun run = platform::runBounded(row.program, row.arguments, 300ms);
        EXPECT_LT(timer.elapsed(), 4000);
        EXPECT_EQ(run.started, row.started);
        EXPECT_EQ(run.timedOut, row.timedOut);
        EXPECT_EQ(run.exitCode, row.exitCode);
        if (row.started) {
            EXPECT_EQ(run.output, row.output);
        }
    }
    QFile pidFile(childPid);
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t child = pidFile.readAll().trimmed().toInt();
    ASSERT_GT(child, 0);
    // It was told to end with the program; it may take a moment.
    QElapsedTimer timer;
    timer.start();
    while (running(child) && timer.elapsed() < 2000)
        QThread::msleep(10);
    EXPECT_FALSE(running(child)) << "the hung program's child outlived the bound";
}

} // namespace

// kiosk-session, the program cage runs in the kiosk session, from the installed copy: it starts
// its program again whenever it ends, and after ten quick ends in a row only after a pause.
#include "installedcopy.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// A program that notes each start's time (seconds since boot) in `starts`, then runs for the
// line of `durations` its start's number names and ends with status 3.
const QByteArray kProgram = R"sh(#!/bin/sh
read -r up _ </proc/uptime
echo "$up" >>starts
n=$(wc -l <starts)
sleep "$(sed -n "${n}p" durations)"
exit 3
)sh";

QList<double> readStarts(const QString &path)
{
    QFile file(path);
    QList<double> starts;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray &line : file.readAll().split('\n'))
            if (!line.isEmpty())
                starts << line.toDouble();
    return starts;
}

} // namespace

TEST(KioskSessionTest, QuickEndsInARowWaitForThePauseAndALongerRunCountsAfresh)
{
    const InstalledCopy copy;
    const struct {
        const char *name;
        QList<double> durations; // seconds each start runs
        int pauseAfter;          // the start whose end the pause follows
    } cases[] = {
        {"ten quick ends in a row", QList<double>(12, 0), 10},
        {"a run past the quick time counts afresh", QList<double>(9, 0) << 1.2 << QList<double>(12, 0), 20},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QFile program(dir.filePath(QStringLiteral("program")));
        ASSERT_TRUE(program.open(QIODevice::WriteOnly) && program.write(kProgram) == kProgram.size());
        program.close();
        program.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile durations(dir.filePath(QStringLiteral("durations")));
        ASSERT_TRUE(durations.open(QIODevice::WriteOnly));
        for (const double seconds : c.durations)
            durations.write(QByteArray::number(seconds) + '\n');
        durations.close();

        QProcess session;
        session.setWorkingDirectory(dir.path());
        session.start(copy.appDir() + QStringLiteral("kiosk-session"),
                      {QStringLiteral("--pause"), QStringLiteral("1"), QStringLiteral("--quick"), QStringLiteral("1"),
                       program.fileName()});
        QElapsedTimer waited;
        waited.start();
        while (readStarts(dir.filePath(QStringLiteral("starts"))).size() <= c.pauseAfter && waited.elapsed() < 20000)
            QThread::msleep(50);
        session.kill();
        session.waitForFinished();

        const QList<double> starts = readStarts(dir.filePath(QStringLiteral("starts")));
        ASSERT_GT(starts.size(), c.pauseAfter);
        for (int i = 1; i <= c.pauseAfter; ++i) {
            // Between two starts: the run, and the pause where it belongs.
            const double idle = starts[i] - starts[i - 1] - c.durations[i - 1];
            if (i == c.pauseAfter)
                EXPECT_GE(idle, 0.95) << "start " << i + 1;
            else
                EXPECT_LT(idle, 0.5) << "start " << i + 1;
        }
        const QString journal = QString::fromUtf8(session.readAllStandardError());
        const QString told = program.fileName() + QStringLiteral(" ended within 1 s of its start 10 times in a row "
                                                                 "(the last with status 3 after 0.0 s); next start in 1 s");
        EXPECT_EQ(journal.count(told), 1) << journal.toStdString();
        // Every earlier end was told as it came.
        EXPECT_EQ(journal.left(journal.indexOf(told)).count(QStringLiteral(" ended with status 3 after ")), c.pauseAfter - 1);
    }
}

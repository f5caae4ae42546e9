// kiosk-session, the program cage runs in the kiosk session, from the installed copy: it starts
// its program again whenever it ends, and after ten quick ends in a row only after a pause; a
// stop signal or its compositor's end ends the program and the session.
#include "installedcopy.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace {

// A program that notes each start's time (seconds since boot) in `starts`, then runs for the
// line of `durations` its start's number names (past the last line, ten minutes) and ends with
// status 3; a stop signal is noted in `signals` and ends it with status 4.
const QByteArray kProgram = R"sh(#!/bin/sh
for s in TERM INT HUP; do trap "echo $s >>signals; kill \$!; exit 4" $s; done
read -r up _ </proc/uptime
echo "$up" >>starts
n=$(wc -l <starts)
d=$(sed -n "${n}p" durations)
sleep "${d:-600}" &
wait $!
exit 3
)sh";

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<double> readStarts(const QString &path)
{
    QList<double> starts;
    for (const QByteArray &line : readFile(path).split('\n'))
        if (!line.isEmpty())
            starts << line.toDouble();
    return starts;
}

// Polls a state; the bound is only reached by a fault.
bool waitFor(const std::function<bool()> &state)
{
    for (int i = 0; i < 1200; ++i, QThread::msleep(50))
        if (state())
            return true;
    return false;
}

} // namespace

TEST(KioskSessionTest, QuickEndsInARowWaitForThePauseAndALongerRunCountsAfresh)
{
    const InstalledCopy copy;
    // The session that outlives its compositor becomes this process's child, to be waited for.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    enum class End { Term, Int, Compositor };
    const struct {
        const char *name;
        QList<double> durations; // seconds each start runs
        int pause;
        int pauseAfter; // the start whose end the pause follows, 0 for none
        int starts;     // the starts waited for (and the pause, when it follows the last) before the end
        End end;
        QByteArray signal; // what the program received
        QString told;      // the journal's line of the end
    } cases[] = {
        {"ten quick ends in a row", QList<double>(10, 0), 1, 10, 11, End::Term, "TERM\n",
         "TERM received; passing it on to PROGRAM and ending with it"},
        {"a run past the quick time counts afresh", QList<double>(9, 0) << 3.2 << QList<double>(10, 0), 1, 20, 21, End::Int,
         "INT\n", "INT received; passing it on to PROGRAM and ending with it"},
        {"a vanished compositor ends the program and the session", {}, 1, 0, 1, End::Compositor, "HUP\n",
         "the compositor (process COMPOSITOR) is gone; ending PROGRAM and the session"},
        {"a compositor gone in the pause ends the session without another start", QList<double>(10, 0), 600, 10, 10,
         End::Compositor, "", "the compositor (process COMPOSITOR) is gone; ending PROGRAM and the session"},
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

        // A stand-in compositor, the session's parent as cage is, which leaves its signals alone.
        QProcess compositor;
        compositor.setWorkingDirectory(dir.path());
        compositor.start(QStringLiteral("/bin/sh"),
                         {QStringLiteral("-c"), QStringLiteral("env --default-signal \"$@\" 2>journal & echo $! >session; wait"), QStringLiteral("compositor"),
                          copy.appDir() + QStringLiteral("kiosk-session"), QStringLiteral("--pause"), QString::number(c.pause),
                          QStringLiteral("--quick"), QStringLiteral("3"), program.fileName()});
        const qint64 compositorPid = compositor.processId();
        const QString journalPath = dir.filePath(QStringLiteral("journal"));
        const QString pause = QStringLiteral("; next start in %1 s").arg(c.pause);
        EXPECT_TRUE(waitFor([&] {
            return readStarts(dir.filePath(QStringLiteral("starts"))).size() >= c.starts &&
                   (c.pauseAfter != c.starts || readFile(journalPath).contains(pause.toUtf8()));
        }));
        const pid_t session = readFile(dir.filePath(QStringLiteral("session"))).trimmed().toInt();
        ASSERT_GT(session, 0);
        if (c.end == End::Compositor) {
            compositor.kill();
            compositor.waitForFinished();
            int status = 0;
            EXPECT_TRUE(waitFor([&] { return waitpid(session, &status, WNOHANG) == session; }));
        } else {
            kill(session, c.end == End::Term ? SIGTERM : SIGINT);
            EXPECT_TRUE(compositor.waitForFinished(60000));
        }

        const QList<double> starts = readStarts(dir.filePath(QStringLiteral("starts")));
        ASSERT_EQ(starts.size(), c.starts);
        // The pause lies where it belongs; the load of the machine only lengthens it.
        if (c.pauseAfter && c.pauseAfter < c.starts) {
            EXPECT_GE(starts[c.pauseAfter] - starts[c.pauseAfter - 1] - c.durations[c.pauseAfter - 1], 0.95);
        }
        EXPECT_EQ(readFile(dir.filePath(QStringLiteral("signals"))), c.signal);
        const QString journal = QString::fromUtf8(readFile(journalPath));
        const QString told = QRegularExpression::escape(program.fileName()) +
                             QStringLiteral(" ended within 3 s of its start 10 times in a row \\(the last with status 3 after "
                                            "[0-9.]+ s\\)") + QRegularExpression::escape(pause);
        EXPECT_EQ(journal.count(QRegularExpression(told)), c.pauseAfter ? 1 : 0) << journal.toStdString();
        // Every earlier end was told as it came.
        const qsizetype pauseAt = journal.indexOf(QRegularExpression(told));
        EXPECT_EQ(journal.left(pauseAt).count(QStringLiteral(" ended with status 3 after ")), std::max(c.pauseAfter - 1, 0));
        QString end = c.told;
        end.replace(QStringLiteral("PROGRAM"), program.fileName())
            .replace(QStringLiteral("COMPOSITOR"), QString::number(compositorPid));
        EXPECT_TRUE(journal.contains(QStringLiteral("kiosk-session: ") + end + u'\n')) << journal.toStdString();
        // The program ended before the session did, and said so.
        if (!c.signal.isEmpty()) {
            EXPECT_TRUE(journal.contains(QRegularExpression(QRegularExpression::escape(program.fileName()) +
                                                            QStringLiteral(" ended with status 4 after [0-9.]+ s; the session ends\n$"))))
                << journal.toStdString();
        }
    }
}

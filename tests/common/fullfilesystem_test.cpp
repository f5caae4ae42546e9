// The log, the settings file and the registry store on a filesystem that is full: a small tmpfs
// of a private mount namespace, filled up after the store was made.
#include <QProcess>
#include <QRegularExpression>
#include <functional>
#include <optional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct FullRun {
    QString dir; // the filesystem's mount point
    int rc = -1; // of the write made while the filesystem was full
    QByteArray error;
    QByteArray shown; // the store afterwards
};

// In a private mount namespace: `before` on a 64 KiB tmpfs, the tmpfs filled, `during`, the filler
// removed, `after`, then `show`. The scripts see the mount point as $d, the work directory as
// $ZELVORA_TEMP_DIR, log_writer as $L and ini_writer as $I.
std::optional<FullRun> runOnFullFilesystem(const QString &before, const QString &during, const QString &after,
                                       const QString &show)
{
    const QString script =
        QStringLiteral("set -e; d=$(mktemp -d); mount -t tmpfs -o size=64k tmpfs \"$d\"; L=$1; I=$2; "
                       "export ZELVORA_TEMP_DIR=\"$d/work\"; echo \"$d\"; %1; "
                       "dd if=/dev/zero of=\"$d/filler\" bs=4k 2>/dev/null || true; "
                       "set +e; %2; rc=$?; set -e; rm \"$d/filler\"; %3; echo \"rc=$rc\"; %4; umount \"$d\"; rmdir \"$d\"")
            .arg(before, during, after, show);
    QProcess p;
    p.start(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                                        QStringLiteral("sh"), QStringLiteral(LOG_WRITER_PATH),
                                        QStringLiteral(INI_WRITER_PATH)});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return std::nullopt;
    const QByteArray out = p.readAllStandardOutput();
    const qsizetype firstEnd = out.indexOf('\n');
    const qsizetype rcAt = out.indexOf("\nrc=");
    if (firstEnd < 0 || rcAt < 0)
        return std::nullopt;
    const qsizetype rcEnd = out.indexOf('\n', rcAt + 1);
    return FullRun{QString::fromLocal8Bit(out.left(firstEnd)), out.mid(rcAt + 4, rcEnd - rcAt - 4).toInt(),
               p.readAllStandardError().trimmed(), out.mid(rcEnd + 1)};
}

} // namespace

TEST(FullFilesystem, WritesAreRefusedOrDroppedAndWhatWasWrittenStays)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small filesystem";
    const QRegularExpression logLine(
        QStringLiteral(R"(^\[\d\d/[^/]+/\d{4}, \d\d:\d\d::\d\d-\d{3}\] writer ([ABC]) line \d+ x*\r$)"));
    const struct {
        const char *name;
        const char *before;
        const char *during;
        const char *after;
        const char *show;
        int rc;
        const char *error; // "%1" stands for the mount point
        std::function<void(const QByteArray &shown)> check;
    } rows[] = {
        {"the log drops the lines that do not fit, and only whole ones", "$L Test.log A 1 0",
         "$L Test.log B 200 60", "$L Test.log C 1 0", "cat \"$ZELVORA_TEMP_DIR/Test.log\"", 0, "",
         [&](const QByteArray &shown) {
             QList<QByteArray> lines = shown.split('\n');
             ASSERT_EQ(lines.takeLast(), QByteArray()) << "the log ends with a line break";
             QString writers;
             for (const QByteArray &line : lines) {
                 const auto match = logLine.match(QString::fromLatin1(line));
                 ASSERT_TRUE(match.hasMatch()) << "torn line: " << line.left(90).toStdString();
                 writers += match.captured(1);
             }
             EXPECT_TRUE(writers.startsWith(u"AB") && writers.endsWith(u"BC")) << writers.toStdString();
             EXPECT_LT(writers.count(u'B'), 200) << "the filesystem was not full";
         }},
        {"the settings write raises its error and leaves the file as it was",
         "printf '[PRINTER_CONFIG]\\r\\nPAPER=1\\r\\n' > \"$d/Ticketera.ini\"", "$I \"$d/Ticketera.ini\" F 1 1", "true",
         "cat \"$d/Ticketera.ini\"", 3, "Unable to write to %1/Ticketera.ini",
         [](const QByteArray &shown) { EXPECT_EQ(shown, "[PRINTER_CONFIG]\r\nPAPER=1\r\n"); }},
        {"the registry write fails and the key keeps its values", "$I \"$d/hive\" --registry ZVR mu",
         "$I \"$d/hive\" --registry ZVR mp", "true", "cat \"$d/hive/ZVR\"", 3, "No space left on device",
         [](const QByteArray &shown) {
             EXPECT_EQ(shown, "\"mu\"=string:\"" + QByteArray(4000, 'v') + "0\"\n");
         }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<FullRun> run = runOnFullFilesystem(QString::fromLatin1(row.before), QString::fromLatin1(row.during),
                                                           QString::fromLatin1(row.after), QString::fromLatin1(row.show));
        if (!run)
            GTEST_SKIP() << "no private mount here";
        EXPECT_EQ(run->rc, row.rc);
        EXPECT_EQ(run->error, QString::fromLatin1(row.error).arg(run->dir).toLocal8Bit());
        row.check(run->shown);
    }
}

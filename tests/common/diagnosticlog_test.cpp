#include "codepage.h"
#include "diagnosticlog.h"
#include "logtext.h"
#include "regionalsettings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class DiagnosticLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(workDir()));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString workDir() const { return m_dir.path() + QStringLiteral("/Zelvora Temp"); }
    QString logPath() const { return workDir() + QStringLiteral("/Test.log"); }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    QTemporaryDir m_dir;
    const DiagnosticLog m_log{QStringLiteral("Test.log")};
};

} // namespace

TEST(DiagnosticLogPrefix, FollowsTheFixedPattern)
{
    const QDateTime when(QDate(2014, 3, 5), QTime(9, 7, 3, 45));
    EXPECT_EQ(DiagnosticLog::linePrefix(when),
              QStringLiteral("[05/") + platform::abbreviatedMonthName(3) + QStringLiteral("/2014, 09:07::03-045] "));
    EXPECT_EQ(DiagnosticLog::linePrefix(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))).right(17),
              QStringLiteral(", 23:59::59-999] "));
}

TEST(LogText, OutsideTextNeverStartsALineNorDrivesATerminal)
{
    const struct {
        QString outside;
        QString logged;
    } rows[] = {
        {QStringLiteral("LIB&1&0&0&&0&&1RECARGA 10,00 \u20AC\tok"), QStringLiteral("LIB&1&0&0&&0&&1RECARGA 10,00 \u20AC\tok")},
        {QStringLiteral("a\r\n[05/Dic/2026, 09:07::03-045] forged"), QStringLiteral("a%0D%0A[05/Dic/2026, 09:07::03-045] forged")},
        {QStringLiteral("\x1B]2;title\x07\x1B[2J"), QStringLiteral("%1B]2;title%07%1B[2J")},
        {QString(QChar(0)) + u'\x7F' + QChar(0x9B) + QChar(0xA0), QStringLiteral("%00%7F%9B\u00A0")},
        {QStringLiteral("100%"), QStringLiteral("100%")},
    };
    for (const auto &row : rows)
        EXPECT_EQ(logText(row.outside), row.logged) << row.logged.toStdString();
    // What is left of a long print string: its head, escaped as above, and how much more there was.
    const QString head = QString(1999, u'a') + u'\n';
    EXPECT_EQ(logTextAtMost(head + QStringLiteral("\r\nbcd")), QString(1999, u'a') + QStringLiteral("%0A... (5 caracteres mas)"));
    EXPECT_EQ(logTextAtMost(head), logText(head));
}

TEST_F(DiagnosticLogTest, CreatesTheSharedDirectoryAndWritesCodePageLines)
{
    m_log.write(QStringLiteral("Ñ y € ł"));
    m_log.write(QStringLiteral("termina en salto\r\n"));
    struct stat st;
    ASSERT_EQ(stat(QFile::encodeName(workDir()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 01777u);

    const QList<QByteArray> lines = read(logPath()).split('\n');
    ASSERT_EQ(lines.size(), 4); // two lines, the empty one left by the message's CR LF, the end
    EXPECT_TRUE(lines[0].endsWith("] \xD1 y \x80 ?\r")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("] termina en salto\r"));
    EXPECT_EQ(lines[2], "\r");
    EXPECT_EQ(lines[3], "");
}

TEST_F(DiagnosticLogTest, RotatesOnlyAboveOneMebibyte)
{
    QDir().mkpath(workDir());
    write(logPath() + QStringLiteral(".1"), "older generation\r\n");
    write(logPath(), QByteArray(DiagnosticLog::kRotationSize, 'a'));

    m_log.write(QStringLiteral("first")); // exactly the limit: appended
    EXPECT_TRUE(read(logPath()).endsWith("] first\r\n"));
    EXPECT_EQ(read(logPath() + QStringLiteral(".1")), "older generation\r\n");

    const qint64 grown = QFileInfo(logPath()).size();
    m_log.write(QStringLiteral("second")); // above it: the file becomes ".1", replacing the old one
    EXPECT_EQ(QFileInfo(logPath() + QStringLiteral(".1")).size(), grown);
    EXPECT_TRUE(read(logPath()).startsWith('['));
    EXPECT_TRUE(read(logPath()).endsWith("] second\r\n"));
    EXPECT_EQ(read(logPath()).count('\n'), 1);
    EXPECT_FALSE(QFile::exists(logPath() + QStringLiteral(".2")));
}

TEST_F(DiagnosticLogTest, LosesTheLineSilentlyWhenTheDirectoryCannotExist)
{
    // A plain file where the directory should be: nothing can be created below it.
    write(m_dir.path() + QStringLiteral("/blocker"), "x");
    qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/blocker")));
    m_log.write(QStringLiteral("lost")); // must neither throw nor crash
    EXPECT_EQ(read(m_dir.path() + QStringLiteral("/blocker")), "x");
}

TEST_F(DiagnosticLogTest, EightProcessesWriteWholeLinesAndLoseNone)
{
    constexpr int kWriters = 8;
    constexpr int kLines = 300;
    // Long lines push the log over the rotation size once while the writers run.
    constexpr int kPadding = 480;
    QList<QProcess *> writers;
    for (int w = 0; w < kWriters; ++w) {
        auto *p = new QProcess;
        writers << p;
        p->start(QStringLiteral(LOG_WRITER_PATH), {QStringLiteral("Test.log"), QString::number(w),
                                                   QString::number(kLines), QString::number(kPadding)});
    }
    for (QProcess *p : writers) {
        EXPECT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0);
        delete p;
    }

    const QByteArray all = read(logPath() + QStringLiteral(".1")) + read(logPath());
    const QRegularExpression whole(QStringLiteral(R"(^\[\d\d/[^/]+/\d{4}, \d\d:\d\d::\d\d-\d{3}\] writer (\d) line (\d+) x{%1}\r$)")
                                       .arg(kPadding));
    QSet<QString> seen;
    const QList<QByteArray> lines = all.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const auto match = whole.match(QString::fromLatin1(lines[i]));
        ASSERT_TRUE(match.hasMatch()) << "broken line: " << lines[i].left(80).toStdString();
        seen.insert(match.captured(1) + u'/' + match.captured(2));
    }
    EXPECT_EQ(seen.size(), kWriters * kLines);
    EXPECT_TRUE(QFile::exists(logPath() + QStringLiteral(".1")));
}

TEST_F(DiagnosticLogTest, UsersShareTheWorkDirectoryButNoUserCanRedirectAnother)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the writers as two other users (root ignores file modes)";
    constexpr uid_t kFirst = 65534;
    constexpr uid_t kSecond = 65533;
    // One line of log_writer as `uid`, as that user's program would write it.
    const auto writeAs = [](uid_t uid, const char *id) {
        QProcess p;
        p.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(uid),
                                            QStringLiteral("--clear-groups"), QStringLiteral(LOG_WRITER_PATH),
                                            QStringLiteral("Test.log"), QLatin1String(id), QStringLiteral("1"),
                                            QStringLiteral("0")});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    };
    const QString victim = m_dir.path() + QStringLiteral("/victim");
    const struct {
        const char *name;
        uid_t directoryOwner;
        mode_t directoryMode;
        std::function<void()> before; // what is there when the second user writes
        QList<QByteArray> log;        // the lines' ends in the log afterwards
        QByteArray previous;          // what the previous generation starts with
    } cases[] = {
        {"a second user's line joins the first user's log", 0, 01777, [&] { writeAs(kFirst, "A"); },
         {"writer A line 0 \r", "writer B line 0 \r"}, {}},
        {"a second user rotates the first user's full log", 0, 01777,
         [&] {
             writeAs(kFirst, "A");
             QFile f(logPath());
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write(QByteArray(DiagnosticLog::kRotationSize, 'a'));
         },
         {"writer B line 0 \r"}, "["},
        {"a link planted where the log goes is not followed", 0, 01777,
         [&] {
             write(victim, "mine\n");
             ASSERT_EQ(chown(QFile::encodeName(victim).constData(), kSecond, kSecond), 0);
             ASSERT_TRUE(QFile::link(victim, logPath()));
             ASSERT_EQ(lchown(QFile::encodeName(logPath()).constData(), kFirst, kFirst), 0);
         },
         {}, {}},
        {"a hard link planted where the log goes gets no line either", 0, 01777,
         [&] {
             write(victim, "mine\n");
             ASSERT_EQ(chown(QFile::encodeName(victim).constData(), kSecond, kSecond), 0);
             ASSERT_EQ(chmod(QFile::encodeName(victim).constData(), 0666), 0);
             // As root: the kernel's protected_hardlinks keeps a user from doing this.
             ASSERT_EQ(link(QFile::encodeName(victim).constData(), QFile::encodeName(logPath()).constData()), 0);
         },
         {"mine"}, {}},
        {"another user's work directory gets no line", kFirst, 01777, [] {}, {}, {}},
        {"nor one without the sticky bit", 0, 0777, [] {}, {}, {}},
        {"the user's own directory does", kSecond, 0755, [] {}, {"writer B line 0 \r"}, {}},
    };
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(workDir()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(workDir()));
        ASSERT_EQ(chown(QFile::encodeName(workDir()).constData(), c.directoryOwner, c.directoryOwner), 0);
        ASSERT_EQ(chmod(QFile::encodeName(workDir()).constData(), c.directoryMode), 0);
        QFile::remove(victim);
        c.before();
        writeAs(kSecond, "B");

        const bool link = QFileInfo(logPath()).isSymLink();
        QList<QByteArray> lines = link ? QList<QByteArray>() : read(logPath()).split('\n');
        lines.removeAll(QByteArray());
        ASSERT_EQ(lines.size(), c.log.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].endsWith(c.log[i])) << lines[i].toStdString();
        EXPECT_TRUE(read(logPath() + QStringLiteral(".1")).startsWith(c.previous));
        if (QFileInfo::exists(logPath()) && !link) {
            struct stat st;
            ASSERT_EQ(stat(QFile::encodeName(logPath()).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0666u);
        }
        if (QFileInfo::exists(victim)) {
            EXPECT_EQ(read(victim), "mine\n");
        }
    }
}

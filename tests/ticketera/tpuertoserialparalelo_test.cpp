#include "inputoutputerror.h"
#include "portroute.h"
#include "pseudoterminal.h"
#include "tpuertoserialparalelo.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <optional>
#include <gtest/gtest.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <csignal>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(PortNames, ResolveToDevices)
{
    const platform::PortDevice::NameMap map{{QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0")}};
    const struct {
        const char *name;
        const char *device;
    } cases[] = {
        {"COM1", "/dev/ttyS0"}, {"com12", "/dev/ttyS11"}, {"LPT1", "/dev/lp0"},  {"Lpt2", "/dev/lp1"},
        {"com3", "/dev/ttyUSB0"}, {"COM0", "COM0"},       {"COM01", "COM01"},    {"COM", "COM"},
        {"COM1x", "COM1x"},     {"ticket.txt", "ticket.txt"}, {"/dev/pts/9", "/dev/pts/9"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform::PortDevice::resolveName(QString::fromLatin1(c.name), map), QString::fromLatin1(c.device))
            << c.name;
}

TEST(TPuertoSerialParalelo, TerminalReceivesEveryByteUnchangedLineByLine)
{
    PseudoTerminal terminal;
    TPuertoSerialParalelo port({{QStringLiteral("COM7"), terminal.devicePath()}});
    ASSERT_EQ(port.abrirPuerto(QStringLiteral("com7")), 1);
    EXPECT_TRUE(port.escribirPuerto(QStringLiteral("Año 10,00 €")));
    // Flushed at once on a character device: the line is there before the port closes.
    EXPECT_EQ(terminal.read(14), QByteArray("A\xF1o 10,00 \x80\r\n"));
    EXPECT_TRUE(port.escribirLineasPuerto({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(port.escribirSeparacionCorte(0));
    EXPECT_TRUE(port.escribirSeparacionCorte(-2));
    EXPECT_TRUE(port.escribirSeparacionCorte(1));
    EXPECT_EQ(port.cerrarPuerto(), 1);
    EXPECT_EQ(terminal.read(), QByteArray("a\r\nb\r\n\r\n\r\n\x1Bi\x1Bi\x1Bi\r\n\x1Bi"));
}

TEST(TPuertoSerialParalelo, AFileIsEmptiedAndFilledThroughTheBuffer)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("port.txt"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous ticket that is longer than the next one\r\n");
    old.close();

    TPuertoSerialParalelo port;
    port.abrirPuerto(path);
    port.escribirPuerto(QStringLiteral("uno"));
    EXPECT_EQ(QFileInfo(path).size(), 0); // a disk file takes its bytes when the buffer fills or at close
    const QString long100(100, u'x');
    port.escribirPuerto(long100);
    port.escribirPuerto(long100);
    EXPECT_EQ(QFileInfo(path).size(), 128);
    port.cerrarPuerto();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "uno\r\n" + long100.toLatin1() + "\r\n" + long100.toLatin1() + "\r\n");

    // A closed port opens again.
    EXPECT_EQ(port.abrirPuerto(path), 1);
    port.escribirPuerto(QStringLiteral("dos"));
    port.cerrarPuerto();
    EXPECT_EQ(QFileInfo(path).size(), 5);
}

TEST(TPuertoSerialParalelo, FailuresCarryTheSystemError)
{
    const struct {
        const char *name;
        std::function<void(TPuertoSerialParalelo &)> action;
        int code;
    } cases[] = {
        {"a port that does not exist",
         [](TPuertoSerialParalelo &p) { p.abrirPuerto(QStringLiteral("/nonexistent/dir/port")); }, ENOENT},
        {"writing to a closed port", [](TPuertoSerialParalelo &p) { p.escribirPuerto(QStringLiteral("x")); }, EBADF},
        {"closing a closed port", [](TPuertoSerialParalelo &p) { p.cerrarPuerto(); }, EBADF},
        {"reading a port opened for writing",
         [](TPuertoSerialParalelo &p) {
             p.abrirPuerto(QStringLiteral("/dev/null"));
             p.leerPuerto(1);
         },
         EBADF},
    };
    for (const auto &c : cases) {
        TPuertoSerialParalelo port;
        try {
            c.action(port);
            ADD_FAILURE() << "no error: " << c.name;
        } catch (const InputOutputError &e) {
            EXPECT_EQ(e.code(), c.code) << c.name;
            EXPECT_EQ(e.className(), QStringLiteral("InputOutputError"));
        }
    }
}

TEST(TPuertoSerialParalelo, InADirectoryEveryoneWritesOnlyTheUsersOwnNameIsOpened)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to leave a file of another user";
    constexpr uid_t kNobody = 65534;
    const struct {
        const char *name;
        mode_t directoryMode;
        char link;           // the name is a 's'ymbolic or 'h'ard link to the victim; 0: the victim itself
        uid_t owner;         // of the name
        int code;            // 0: opened
        QByteArray expected; // in the victim afterwards
    } rows[] = {
        {"a link another user planted", 01777, 's', kNobody, ELOOP, "kept"},
        {"a link even of this user's", 01777, 's', 0, ELOOP, "kept"},
        {"a second name of a file of this user's", 01777, 'h', 0, EACCES, "kept"},
        {"another user's file", 01777, 0, kNobody, EACCES, "kept"},
        {"the user's own file", 01777, 0, 0, 0, "uno\r\n"},
        {"a link in a directory only its owner writes", 0755, 's', 0, 0, "uno\r\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir base;
        const QString shared = base.filePath(QStringLiteral("shared"));
        ASSERT_TRUE(QDir().mkpath(shared));
        ASSERT_EQ(chmod(QFile::encodeName(shared).constData(), row.directoryMode), 0);
        const QString victim = base.filePath(QStringLiteral("victim"));
        const QString port = shared + QStringLiteral("/port.txt");
        QFile file(row.link ? victim : port);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("kept");
        file.close();
        if (row.link == 's') {
            ASSERT_TRUE(QFile::link(victim, port));
        } else if (row.link == 'h') {
            ASSERT_EQ(link(QFile::encodeName(victim).constData(), QFile::encodeName(port).constData()), 0);
        }
        ASSERT_EQ(lchown(QFile::encodeName(port).constData(), row.owner, row.owner), 0);

        TPuertoSerialParalelo writer;
        try {
            EXPECT_EQ(writer.abrirPuerto(port), 1);
            writer.escribirPuerto(QStringLiteral("uno"));
            writer.cerrarPuerto();
            EXPECT_EQ(row.code, 0);
        } catch (const InputOutputError &e) {
            // Where the kernel protects links in sticky directories, it refuses another user's first.
            EXPECT_TRUE(e.code() == row.code || (row.code == ELOOP && row.owner != 0 && e.code() == EACCES)) << e.code();
        }
        QFile written(row.link ? victim : port);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), row.expected);
    }
}

// Runs `job` in a child process, as nobody when the test is root; the job's result, or -1 when it
// has not ended within `bound`.
int runAsAnotherUser(const std::function<int()> &job, std::chrono::milliseconds bound)
{
    const passwd *nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    const pid_t child = fork();
    if (child == 0) {
        if (nobody && (setgroups(0, nullptr) != 0 || setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) != 0 ||
                       setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) != 0))
            _exit(255);
        _exit(job());
    }
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    pollfd wait{ended, POLLIN, 0};
    const bool done = poll(&wait, 1, static_cast<int>(bound.count())) == 1;
    close(ended);
    if (!done)
        kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return done && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A job holds its port from its first ticket to its end, whatever name reaches the device; a job
// that finds it held says so and waits, then fails as a port that cannot be opened does. What
// another user planted under the lock's name costs the job its lock, never its ticket.
TEST(PortRoute, AJobHoldsItsPortUntilItEnds)
{
    QTemporaryDir work;
    ASSERT_EQ(chmod(QFile::encodeName(work.path()).constData(), 01777), 0);
    qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(work.path()));
    PseudoTerminal terminal;
    ASSERT_EQ(chmod(QFile::encodeName(terminal.devicePath()).constData(), 0666), 0);
    QTemporaryDir devices; // only its owner writes in it: the port may be a link there
    ASSERT_EQ(chmod(QFile::encodeName(devices.path()).constData(), 0755), 0);
    const QString link = devices.filePath(QStringLiteral("impresora"));
    ASSERT_TRUE(QFile::link(terminal.devicePath(), link));
    const platform::PortDevice::NameMap names{{QStringLiteral("COM1"), terminal.devicePath()},
                                              {QStringLiteral("COM2"), link}};
    const QString lockPath = platform::PortDevice::lockPathFor(terminal.devicePath());
    TicketLines ticket;
    ticket.TicketLineasBefore = QStringList{QStringLiteral("uno")};
    const std::chrono::milliseconds wait(200);

    std::optional<PortRoute> first(std::in_place, names, wait);
    first->imprimir(QStringLiteral("COM1"), ticket);
    first->imprimir(QStringLiteral("COM1"), ticket); // its own hold does not stop its next ticket
    EXPECT_EQ(terminal.read(), "uno\r\nuno\r\n");
    const QString withoutLock = QStringLiteral("] AVISO: se imprime sin el bloqueo del puerto ") + link +
                                QStringLiteral(": el fichero de bloqueo ") + lockPath;
    const struct {
        const char *name;
        bool firstJobEnded;
        char planted; // under the lock's name: 'f' a FIFO of mode 0444, 'o' another user's file of mode 0600
        int code;     // 0: printed
        QString logged; // the line this job adds, or none of the two
    } rows[] = {
        {"the same device under another name, held", false, 0, EBUSY,
         QStringLiteral("] Puerto ocupado por otro trabajo, se espera hasta 0.2 s: ") + link + QStringLiteral("\r\n")},
        {"the same device once the first job ended", true, 0, 0, QString()},
        {"a FIFO under the lock's name", true, 'f', 0, withoutLock + QStringLiteral(" no es un fichero normal\r\n")},
        {"another user's file under the lock's name", true, 'o', 0, withoutLock + QStringLiteral(" no se puede usar (")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.planted == 'o' && geteuid() != 0)
            continue; // the file would be the job's own: it takes the lock
        if (row.firstJobEnded)
            first.reset();
        if (row.planted)
            QFile::remove(lockPath);
        if (row.planted == 'f') {
            ASSERT_EQ(mkfifo(QFile::encodeName(lockPath).constData(), 0444), 0);
        }
        if (row.planted == 'o') {
            QFile planted(lockPath);
            ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
            ASSERT_TRUE(unprivileged::keep(lockPath, 0600));
        }
        QFile log(work.filePath(QStringLiteral("Ticketera.log")));
        const qint64 logged = log.size();
        const int code = runAsAnotherUser([&] {
            try {
                PortRoute(names, wait).imprimir(QStringLiteral("COM2"), ticket);
            } catch (const InputOutputError &e) {
                return e.code();
            }
            return 0;
        }, std::chrono::seconds(10));
        EXPECT_EQ(code, row.code);
        EXPECT_EQ(terminal.read(), row.code ? "" : "uno\r\n");
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        log.seek(logged);
        const QString added = QString::fromLatin1(log.readAll());
        if (row.logged.isEmpty()) {
            EXPECT_FALSE(added.contains(QStringLiteral("AVISO")) || added.contains(QStringLiteral("se espera"))) << added.toStdString();
        } else {
            EXPECT_TRUE(added.contains(row.logged)) << added.toStdString();
        }
    }
    qunsetenv("ZELVORA_TEMP_DIR");
}

#include "inputoutputerror.h"
#include "portroute.h"
#include "pseudoterminal.h"
#include "tpuertoserialparalelo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <optional>
#include <gtest/gtest.h>
#include <sys/stat.h>
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

// A job holds its port from its first ticket to its end, whatever name reaches the device; a job
// that finds it held waits, then fails as a port that cannot be opened does.
TEST(PortRoute, AJobHoldsItsPortUntilItEnds)
{
    QTemporaryDir work;
    qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(work.path()));
    PseudoTerminal terminal;
    const QString link = work.filePath(QStringLiteral("impresora"));
    ASSERT_TRUE(QFile::link(terminal.devicePath(), link));
    const platform::PortDevice::NameMap names{{QStringLiteral("COM1"), terminal.devicePath()},
                                              {QStringLiteral("COM2"), link}};
    TicketLines ticket;
    ticket.TicketLineasBefore = QStringList{QStringLiteral("uno")};
    const std::chrono::milliseconds wait(200);

    std::optional<PortRoute> first(std::in_place, names, wait);
    first->imprimir(QStringLiteral("COM1"), ticket);
    first->imprimir(QStringLiteral("COM1"), ticket); // its own hold does not stop its next ticket
    EXPECT_EQ(terminal.read(), "uno\r\nuno\r\n");
    const struct {
        const char *name;
        bool firstJobEnded;
        int code; // 0: printed
    } rows[] = {
        {"the same device under another name, held", false, EBUSY},
        {"the same device once the first job ended", true, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.firstJobEnded)
            first.reset();
        PortRoute second(names, wait);
        int code = 0;
        try {
            second.imprimir(QStringLiteral("COM2"), ticket);
        } catch (const InputOutputError &e) {
            code = e.code();
        }
        EXPECT_EQ(code, row.code);
        EXPECT_EQ(terminal.read(), row.code ? "" : "uno\r\n");
    }
    qunsetenv("ZELVORA_TEMP_DIR");
}

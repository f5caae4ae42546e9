#include "inifile.h"
#include "mostradorlog.h"
#include "qtprint.h"
#include "storedserveraddress.h"
#include "stringcipher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class StoredServerAddressTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/work")));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString appDir() const { return m_dir.path() + u'/'; }
    QString settingsPath() const { return appDir() + QStringLiteral("Ticketera.ini"); }
    QByteArray settings() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString storedValue() const
    {
        return IniFile(settingsPath()).readString(u"CONNECTION", u"IP_CONFIG", QStringLiteral("<none>"));
    }
    QStringList takeLog()
    {
        const QString workDir = m_dir.path() + QStringLiteral("/work");
        const QStringList lines = mostradorLogLines(workDir);
        QFile::remove(workDir + QStringLiteral("/ZelvoraMostrador.log"));
        return lines;
    }
    QString read() { return leerIpConfig(appDir(), QStringLiteral("Ticketera.ini")); }
    void write(const QString &address) { guardarIpConfig(appDir(), QStringLiteral("Ticketera.ini"), address); }

private:
    QTemporaryDir m_dir;
};

TEST_F(StoredServerAddressTest, NothingStoredReadsEmptyAndAnEmptyAddressIsNotWritten)
{
    EXPECT_TRUE(read().isEmpty());
    write(QString());
    EXPECT_FALSE(QFile::exists(settingsPath()));
    EXPECT_TRUE(takeLog().isEmpty());

    write(QStringLiteral("10.0.0.1"));
    takeLog();
    write(QString());
    EXPECT_EQ(read(), "10.0.0.1");
    EXPECT_EQ(takeLog(), QStringList{"IP desencriptada: 10.0.0.1"});
}

TEST_F(StoredServerAddressTest, AddressesOfDigitsKeepTheFormOtherTerminalsRead)
{
    const QString address = QStringLiteral("192.168.1.20:8453-2");
    write(address);
    EXPECT_EQ(storedValue(), encriptarXor(address, QStringLiteral("E"), QStringLiteral("morvatinesca")));
    EXPECT_EQ(read(), address);
    EXPECT_EQ(takeLog(), QStringList({"IP antes de encriptar: " + address, "IP desencriptada: " + address}));

    // A value written by an earlier installation reads as it always did.
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[CONNECTION]\r\nIP_CONFIG=\\_\\AOE\r\n");
    file.close();
    EXPECT_EQ(read(), "10.7.1");
}

TEST_F(StoredServerAddressTest, EveryAddressReadsBackExactly)
{
    // Lower-case letters encipher to control codes (here CR, LF and NUL among them); "M" and "O"
    // first encipher to a leading blank and a leading quote, which a settings line would lose.
    const QString rows[] = {
        QStringLiteral("zelvora.cl"),  QStringLiteral("morvatinesca"), QStringLiteral("Mostrador.cl:8080"),
        QStringLiteral("Ozelvora.cl"), QStringLiteral("ab\"c"),        QStringLiteral("ZELVORA.CL"),
    };
    for (const QString &address : rows) {
        SCOPED_TRACE(address.toStdString());
        write(QStringLiteral("10.0.0.1")); // other keys and an earlier value do not matter
        write(address);
        EXPECT_EQ(read(), address);
        EXPECT_EQ(settings().count('\n'), 2) << "one section line and one value line";
    }
}

TEST_F(StoredServerAddressTest, AStoredAddressWithALineBreakIsNoAddress)
{
    // Put there by hand or by another program: it would carry its line break into the log and
    // into every request line made from it.
    write(QStringLiteral("10.0.0.1/x HTTP/1.1\r\nHost: elsewhere"));
    takeLog();
    EXPECT_TRUE(read().isEmpty());
    EXPECT_EQ(takeLog(), QStringList{"IP desencriptada: 10.0.0.1/x HTTP/1.1%0D%0AHost: elsewhere"});
}

TEST(ServerAddressShape, OnlyAHostOrBracketedIpv6WithAnOptionalPort)
{
    const struct {
        const char *text;
        bool address;
    } rows[] = {
        {"10.0.0.1", true},
        {"zelvora.cl:8443", true},
        {"www.zelvora-pos.cl", true},
        {"a", true},
        {"10.0.0.1:65535", true},
        {"10.0.0.1:65536", false},
        {"10.0.0.1:0", false},
        {"a b", false},
        {"10.0.0.1\n", false},
        {"<html><body>Login</body></html>", false},
        {"http://10.0.0.1", false},
        {"10.0.0.1/path", false},
        {"-a.cl", false},
        {"a.cl.", false},
        {"", false},
        {"[2001:db8::1]:8443", true},
        {"[::1]", true},
        {"[::ffff:10.0.0.1]", true},
        {"2001:db8::1", false},
        {"[2001:db8::1", false},
        {"[2001:db8::g]", false},
        {"[1:2:3:4:5:6:7:8:9]", false},
        {"[10.0.0.1]", false},
        {"[fe80::1%eth0]", false},
        {"[::1]:0", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(esDireccionServidor(QString::fromLatin1(row.text)), row.address) << row.text;
    EXPECT_TRUE(esDireccionServidor(QString(255, u'a')));
    EXPECT_FALSE(esDireccionServidor(QString(256, u'a')));
}

} // namespace

#include "configsys.h"
#include "inifile.h"
#include "registrykey.h"
#include "settingswriteerror.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <dlfcn.h>
#include <functional>
#include <optional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Every umask() call made in this program, so a test can tell that a write never changes it:
// for as long as it is changed, every thread of the process creates files with the wrong mode.
std::atomic<int> umaskCalls{0};

extern "C" mode_t umask(mode_t mask)
{
    static const auto real = reinterpret_cast<mode_t (*)(mode_t)>(dlsym(RTLD_NEXT, "umask"));
    ++umaskCalls;
    return real(mask);
}

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/work")));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString dir() const { return m_dir.path() + u'/'; }
    QString path() const { return dir() + QStringLiteral("Ticketera.ini"); }
    void write(const QByteArray &content) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QByteArray content() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

TConfigSysMostrador sample()
{
    TConfigSysMostrador c;
    c.indiceImpresora = QStringLiteral("keep");
    c.impresionSoloTexto = true;
    c.tipoPapel = QStringLiteral("keep");
    c.ficheroLogo = QStringLiteral("keep");
    c.imprimirPuerto = true;
    c.puerto = QStringLiteral("keep");
    c.autologin = 7;
    return c;
}

} // namespace

TEST_F(SettingsTest, ValueRulesOnReading)
{
    const struct {
        const char *name;
        QByteArray file;
        bool soloTexto;
        bool puerto;
        int autologin;
        QString papel;
    } cases[] = {
        {"missing file keeps the defaults", QByteArray(), true, true, -1, QStringLiteral("keep")},
        {"any integer other than 0 is true",
         "[PRINTER_CONFIG]\nGENERICTEXTONLY=2\nIMPRIMIRPUERTO=0\n[CONNECTION]\nAUTOL=0x1\n", true, false, 1,
         QStringLiteral("keep")},
        {"a word is not an integer", "[printer_config]\ngenerictextonly=yes\nimprimirpuerto=-1\n[Connection]\nautol=\n",
         true, true, -1, QStringLiteral("keep")},
        {"names ignore case, blanks and quotes around the value go",
         "[ Printer_Config ]\r\n  paper =  \"1\"  \r\nGenericTextOnly = 0\r\n", false, true, -1, QStringLiteral("1")},
        {"an empty value is a value", "[PRINTER_CONFIG]\nPAPER=\n", true, true, -1, QString()},
        {"the first section of a name counts", "[PRINTER_CONFIG]\nPAPER=0\n[PRINTER_CONFIG]\nPAPER=1\n", true, true, -1,
         QStringLiteral("0")},
        {"a key of another section does not", "[OTHER]\nPAPER=1\n", true, true, -1, QStringLiteral("keep")},
        {"a file in the code page still reads", "[PRINTER_CONFIG]\nPAPER=\xF1\n", true, true, -1, QStringLiteral("ñ")},
    };
    for (const auto &c : cases) {
        if (c.file.isNull())
            QFile::remove(path());
        else
            write(c.file);
        TConfigSysMostrador config = sample();
        leerConfigSys(dir(), QStringLiteral("Ticketera.ini"), config);
        EXPECT_EQ(config.impresionSoloTexto, c.soloTexto) << c.name;
        EXPECT_EQ(config.imprimirPuerto, c.puerto) << c.name;
        EXPECT_EQ(config.autologin, c.autologin) << c.name;
        EXPECT_EQ(config.tipoPapel, c.papel) << c.name;
        EXPECT_EQ(config.indiceImpresora, QStringLiteral("keep")) << c.name;
    }
}

TEST_F(SettingsTest, LongValuesAreCut)
{
    write("[PRINTER_CONFIG]\nLOGO=" + QByteArray(3000, 'L') + "\n");
    EXPECT_EQ(IniFile(path()).readString(u"PRINTER_CONFIG", u"LOGO", QString()).size(), IniFile::kMaxValueLength);
}

TEST_F(SettingsTest, SavingChangesOnlyItsKeys)
{
    write("; hand-written\r\n[PRINTER_CONFIG]\r\nPRINTER=3\r\nEXTRA=kept\r\n\r\n[CONNECTION]\r\nAUTOL=0\r\n"
          "IP_CONFIG=abc\r\n[MINE]\r\nX=1\r\n");
    TConfigSysMostrador port; // a port configuration: the printer keys are written empty
    port.imprimirPuerto = true;
    port.puerto = QStringLiteral("COM3");
    port.autologin = -1;
    guardarConfigSys(dir(), QStringLiteral("Ticketera.ini"), port);
    EXPECT_EQ(content(), "; hand-written\r\n[PRINTER_CONFIG]\r\nPRINTER=\r\nEXTRA=kept\r\nGENERICTEXTONLY=0\r\n"
                         "PAPER=\r\nLOGO=\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM3\r\n\r\n[CONNECTION]\r\nAUTOL=0\r\n"
                         "IP_CONFIG=abc\r\n[MINE]\r\nX=1\r\n");

    port.autologin = 1;
    guardarConfigSys(dir(), QStringLiteral("Ticketera.ini"), port);
    EXPECT_TRUE(content().contains("[CONNECTION]\r\nAUTOL=1\r\nIP_CONFIG=abc\r\n"));

    // Ticketera's copy never touches the connection section.
    const TConfigSys ticketera = port;
    guardarConfigSys(dir(), QStringLiteral("Ticketera.ini"), ticketera);
    EXPECT_TRUE(content().contains("[CONNECTION]\r\nAUTOL=1\r\nIP_CONFIG=abc\r\n"));
}

TEST_F(SettingsTest, SavingKeepsTheByteOrderMark)
{
    // After a second mark the first line is no section header; it must not become one.
    for (const QByteArray &mark : {QByteArray("\xEF\xBB\xBF"), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF")}) {
        const QByteArray before = mark + "[PRINTER_CONFIG]\r\nPAPER=1\r\n";
        write(before);
        const QString paper = IniFile(path()).readString(u"PRINTER_CONFIG", u"PAPER", QStringLiteral("none"));
        IniFile(path()).writeInteger(u"CONNECTION", u"AUTOL", 1);
        EXPECT_EQ(content(), before + "[CONNECTION]\r\nAUTOL=1\r\n") << mark.size();
        EXPECT_EQ(IniFile(path()).readString(u"PRINTER_CONFIG", u"PAPER", QStringLiteral("none")), paper) << mark.size();
    }
}

TEST_F(SettingsTest, AValueCannotAddLinesOfItsOwn)
{
    // A picture's file name may hold line breaks; it must not bring a section or a key along.
    TConfigSys config;
    config.indiceImpresora = QStringLiteral("0");
    config.ficheroLogo = QStringLiteral("/tmp/a\n[CONNECTION]\r\nIP_CONFIG=\\_\\AOE");
    config.puerto = QStringLiteral("COM3\rIMPRIMIRPUERTO=1");
    guardarConfigSys(dir(), QStringLiteral("Ticketera.ini"), config);
    EXPECT_FALSE(content().contains("CONNECTION"));
    EXPECT_FALSE(content().contains("IMPRIMIRPUERTO=1"));
    TConfigSysMostrador read = sample();
    leerConfigSys(dir(), QStringLiteral("Ticketera.ini"), read);
    EXPECT_EQ(read.ficheroLogo, QStringLiteral("/tmp/a"));
    EXPECT_EQ(read.puerto, QStringLiteral("COM3"));
    EXPECT_FALSE(read.imprimirPuerto);
}

TEST_F(SettingsTest, CreatesMissingFileAndSections)
{
    IniFile ini(path());
    ini.writeString(u"CONNECTION", u"AUTOL", QStringLiteral("1"));
    ini.writeString(u"PRINTER_CONFIG", u"LOGO", QStringLiteral("/home/dueño/logo.bmp"));
    EXPECT_EQ(content(), QStringLiteral("[CONNECTION]\r\nAUTOL=1\r\n[PRINTER_CONFIG]\r\nLOGO=/home/dueño/logo.bmp\r\n").toUtf8());
    EXPECT_EQ(IniFile(path()).readString(u"printer_config", u"logo", QString()), QStringLiteral("/home/dueño/logo.bmp"));
}

TEST_F(SettingsTest, ANewFileTakesTheUmaskWhichStaysAsItWas)
{
    const mode_t saved = umask(022);
    for (const mode_t mask : {022, 027, 077, 002, 0}) {
        SCOPED_TRACE(mask);
        QFile::remove(path());
        umask(mask);
        umaskCalls = 0;
        IniFile(path()).writeString(u"CONNECTION", u"AUTOL", QStringLiteral("1"));
        EXPECT_EQ(umaskCalls, 0);
        struct stat st;
        ASSERT_EQ(stat(QFile::encodeName(path()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
    }
    umask(saved);
}

TEST_F(SettingsTest, WritesKeepOwnerAndMode)
{
    write("[PRINTER_CONFIG]\nPAPER=0\n");
    ASSERT_EQ(chmod(QFile::encodeName(path()).constData(), 0640), 0);
    const passwd *nobody = getpwnam("nobody");
    const bool asRoot = geteuid() == 0 && nobody;
    if (asRoot) {
        ASSERT_EQ(chown(QFile::encodeName(path()).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    IniFile(path()).writeString(u"PRINTER_CONFIG", u"PAPER", QStringLiteral("1"));
    struct stat st;
    ASSERT_EQ(stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (asRoot) {
        EXPECT_EQ(st.st_uid, nobody->pw_uid);
    }
    EXPECT_EQ(content(), "[PRINTER_CONFIG]\r\nPAPER=1\r\n");
    EXPECT_TRUE(QDir(m_dir.path()).entryList({QStringLiteral("Ticketera.ini.*")}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(SettingsTest, TwoProcessesOfTwoThreadsLoseNoKey)
{
    constexpr int kKeys = 60;
    QProcess a;
    QProcess b;
    a.start(QStringLiteral(INI_WRITER_PATH), {path(), QStringLiteral("A"), QString::number(kKeys), QStringLiteral("2")});
    b.start(QStringLiteral(INI_WRITER_PATH), {path(), QStringLiteral("B"), QString::number(kKeys), QStringLiteral("2")});
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    ASSERT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    ASSERT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    const IniFile ini(path());
    int found = 0;
    for (const char *prefix : {"A", "B"}) {
        for (int t = 0; t < 2; ++t) {
            for (int k = 0; k < kKeys; ++k)
                found += ini.readInteger(u"STRESS", QStringLiteral("%1_T%2_K%3").arg(QLatin1String(prefix)).arg(t).arg(k), -1) == k;
        }
    }
    EXPECT_EQ(found, 4 * kKeys);
}

TEST_F(SettingsTest, AWriterKilledAtAnyPointLeavesTheOldOrTheNewState)
{
    constexpr int kRounds = 40;
    const QString hive = m_dir.path() + QStringLiteral("/registry/HKEY_CLASSES_ROOT");
    const QRegularExpression written(QStringLiteral("^v{4000}\\d+$"));
    // Each store: its old state, and the value being rewritten as it reads back with every other
    // value checked, or nothing when the store does not read back whole.
    const struct {
        const char *name;
        QStringList writer;
        std::function<void()> prepare;
        std::function<std::optional<QString>()> value;
    } stores[] = {
        {"settings file",
         {path(), QStringLiteral("--forever"), QStringLiteral("CONNECTION"), QStringLiteral("IP_CONFIG")},
         [&] { write("[PRINTER_CONFIG]\r\nPRINTER=0\r\nPAPER=1\r\n[CONNECTION]\r\nAUTOL=1\r\n"); },
         [&]() -> std::optional<QString> {
             const IniFile ini(path());
             if (ini.readString(u"PRINTER_CONFIG", u"PAPER", QString()) != u"1" ||
                 ini.readInteger(u"CONNECTION", u"AUTOL", -1) != 1 || !content().endsWith("\r\n"))
                 return std::nullopt;
             // Values are cut at 2,047 characters on reading: the file holds the whole one.
             const qsizetype at = content().indexOf("IP_CONFIG=");
             return at < 0 ? QStringLiteral("old") : QString::fromLatin1(content().mid(at + 10).chopped(2));
         }},
        {"registry key",
         {hive, QStringLiteral("--registry-forever"), QStringLiteral("ZVR"), QStringLiteral("mu")},
         [&] {
             QDir(m_dir.path() + QStringLiteral("/registry")).removeRecursively();
             platform::RegistryKey key(hive);
             ASSERT_EQ(key.create(QStringLiteral("ZVR")), 0);
             ASSERT_EQ(key.writeString(QStringLiteral("URL Protocol"), QString()), 0);
             ASSERT_EQ(key.writeString(QStringLiteral("mu"), QStringLiteral("old")), 0);
             ASSERT_EQ(key.writeString(QStringLiteral("mp"), QStringLiteral("kept")), 0);
         },
         [&]() -> std::optional<QString> {
             platform::RegistryKey key(hive);
             if (key.openFullAccess(QStringLiteral("ZVR")) != 0 || !key.value(QStringLiteral("URL Protocol")) ||
                 key.value(QStringLiteral("mp")).value_or(platform::RegistryKey::Value()).text != u"kept")
                 return std::nullopt;
             return key.value(QStringLiteral("mu")).value_or(platform::RegistryKey::Value()).text;
         }},
    };
    QRandomGenerator random(QRandomGenerator::global()->generate());
    for (const auto &store : stores) {
        SCOPED_TRACE(store.name);
        int newStates = 0;
        for (int round = 0; round < kRounds; ++round) {
            store.prepare();
            QProcess writer;
            writer.start(QStringLiteral(INI_WRITER_PATH), store.writer);
            ASSERT_TRUE(writer.waitForStarted());
            // Once the writes have begun, SIGKILL at whatever point of one it is.
            QElapsedTimer waited;
            waited.start();
            while (store.value() == QStringLiteral("old") && waited.elapsed() < 30000)
                usleep(500);
            usleep(random.bounded(20000));
            writer.kill();
            writer.waitForFinished();
            const std::optional<QString> value = store.value();
            ASSERT_TRUE(value.has_value()) << "round " << round << ": the other values are damaged";
            EXPECT_TRUE(*value == u"old" || written.match(*value).hasMatch())
                << "round " << round << ": " << value->left(80).toStdString() << "... (" << value->size() << ")";
            newStates += *value != u"old";
        }
        EXPECT_GT(newStates, 0) << "no write was ever made";
    }
}

TEST_F(SettingsTest, AnotherUsersWriteIntoRootsDirectory)
{
    // Root ignores file modes, so the writes are made as an unprivileged user. The directory is
    // root's alone, as an installation directory is: nothing can be written beside the file.
    if (geteuid() != 0 || !getpwnam("nobody"))
        GTEST_SKIP() << "needs root to run the writer as nobody";
    const struct {
        const char *name;
        mode_t mode;
        gid_t group;
        bool written; // else refused
    } rows[] = {
        {"root's file that others may only read", 0644, 0, false},
        {"a file the writer's group may write is rewritten in place", 0664, 65534, true},
    };
    chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    for (const auto &row : rows) {
        write("[PRINTER_CONFIG]\r\nPAPER=1\r\n");
        ASSERT_EQ(chown(QFile::encodeName(path()).constData(), 0, row.group), 0);
        chmod(QFile::encodeName(path()).constData(), row.mode);
        QProcess writer;
        writer.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                QStringLiteral("--clear-groups"), QStringLiteral(INI_WRITER_PATH),
                                                path(), QStringLiteral("N"), QStringLiteral("1"), QStringLiteral("1")});
        ASSERT_TRUE(writer.waitForFinished(30000));
        EXPECT_EQ(writer.exitCode(), row.written ? 0 : 3) << row.name;
        if (row.written) {
            EXPECT_EQ(content(), "[PRINTER_CONFIG]\r\nPAPER=1\r\n[STRESS]\r\nN_T0_K0=0\r\n") << row.name;
        } else {
            EXPECT_EQ(writer.readAllStandardError().trimmed(), ("Unable to write to " + path()).toUtf8());
            EXPECT_EQ(content(), "[PRINTER_CONFIG]\r\nPAPER=1\r\n") << row.name;
        }
        struct stat st;
        ASSERT_EQ(stat(QFile::encodeName(path()).constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u) << row.name;
        EXPECT_EQ(st.st_gid, row.group) << row.name;
        EXPECT_EQ(st.st_mode & 07777, row.mode) << row.name;
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Ticketera.ini")}) << row.name;
    }
}

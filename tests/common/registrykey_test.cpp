#include "registrykey.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using platform::RegistryKey;

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(m_dir.path() + QStringLiteral("/work")));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString hive() const { return m_dir.path() + QStringLiteral("/registry/HKEY_CLASSES_ROOT"); }
    QString keyFile() const { return hive() + QStringLiteral("/ZVR"); }
    QByteArray content() const
    {
        QFile f(keyFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    mode_t modeOf(const QString &path) const
    {
        struct stat st {};
        stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }

    QTemporaryDir m_dir;
};

TEST_F(RegistryKeyTest, EverySixteenBitCodeComesBackInNamesAndValues)
{
    QString every;
    for (int code = 0; code <= 0xFFFF; ++code)
        every += QChar(char16_t(code));
    const QString names[] = {QString(), QStringLiteral("URL Protocol"), QStringLiteral("a\"b\\c=d@"), every.mid(0, 300),
                             every.mid(0xD800, 300), QStringLiteral("mu"),
                             QStringLiteral("u\"\r\n\"mp\"=\"forged")}; // would read as a second value
    {
        RegistryKey key(hive());
        ASSERT_EQ(key.create(QStringLiteral("ZVR")), 0);
        for (const QString &name : names)
            ASSERT_EQ(key.writeString(name, name + every), 0);
        ASSERT_EQ(key.writeString(QStringLiteral("MU"), QStringLiteral("\"\"")), 0); // names ignore case
    }
    RegistryKey key(hive());
    ASSERT_EQ(key.openFullAccess(QStringLiteral("ZVR")), 0);
    for (const QString &name : names) {
        const auto value = key.value(name);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, RegistryKey::Type::String);
        if (name != u"mu") {
            EXPECT_TRUE(value->text == name + every) << name.size();
        }
    }
    EXPECT_EQ(key.value(QStringLiteral("mU"))->text, QStringLiteral("\"\""));
    EXPECT_EQ(content().count("\"mu\"="), 0);
    EXPECT_EQ(content().count("\"MU\"="), 1);
    EXPECT_FALSE(key.value(QStringLiteral("mp")).has_value());
    // A key the reader would refuse is never written.
    EXPECT_EQ(key.writeString(QStringLiteral("big"), QString(RegistryKey::kMaxFileSize / 6, QChar(0))), EFBIG);
    EXPECT_FALSE(key.value(QStringLiteral("big")).has_value());
}

TEST_F(RegistryKeyTest, KeysThatCannotBeOpened)
{
    RegistryKey key(hive());
    EXPECT_EQ(key.openFullAccess(QStringLiteral("ZVR")), ENOENT);
    EXPECT_FALSE(key.isOpen());
    EXPECT_FALSE(QFile::exists(hive())) << "opening creates nothing";
    for (const char *name : {"", ".", "..", "a/b", "a\\b"})
        EXPECT_EQ(key.create(QString::fromLatin1(name)), EINVAL) << name;
    ASSERT_TRUE(QDir().mkpath(keyFile()));
    EXPECT_NE(key.openFullAccess(QStringLiteral("ZVR")), 0) << "a directory is no key";
    EXPECT_EQ(key.writeString(QStringLiteral("mu"), QStringLiteral("x")), EBADF);
}

TEST_F(RegistryKeyTest, FilesAreTheOwnersOnly)
{
    RegistryKey key(hive());
    ASSERT_EQ(key.create(QStringLiteral("ZVR")), 0);
    ASSERT_EQ(key.writeString(QStringLiteral("mu"), QStringLiteral("x")), 0);
    EXPECT_EQ(modeOf(keyFile()), 0600u);
    EXPECT_EQ(modeOf(hive()), 0700u);
    EXPECT_EQ(modeOf(m_dir.path() + QStringLiteral("/registry")), 0700u);
    // A key made readable by others is narrowed at its next write.
    chmod(QFile::encodeName(keyFile()).constData(), 0644);
    ASSERT_EQ(key.writeString(QStringLiteral("mp"), QStringLiteral("y")), 0);
    EXPECT_EQ(modeOf(keyFile()), 0600u);
    EXPECT_EQ(key.value(QStringLiteral("mu"))->text, QStringLiteral("x"));
}

TEST_F(RegistryKeyTest, DamagedOrForeignLinesReadAsAnotherTypeOrAreKept)
{
    // Lines that are no value: a header, an open quote, text, bytes that are no text.
    const auto foreign = [](const char *end) {
        return "[header" + QByteArray(end) + "\"v\nnot a value\n\xff\xfe" + QByteArray(1, '\0') + '\n';
    };
    const struct {
        const char *line;
        RegistryKey::Type type; // of the value "v"
    } rows[] = {
        {"\"v\"=string:\"ok\"", RegistryKey::Type::String},
        {"\"v\"=dword:0000002a", RegistryKey::Type::Dword},
        {"\"v\"=dword:2a", RegistryKey::Type::Other},
        {"\"v\"=binary:00ff", RegistryKey::Type::Other},
        {"\"v\"=string:\"open", RegistryKey::Type::Other},
        {"\"v\"=string:\"ok\"tail", RegistryKey::Type::Other},
        {"\"v\"=string:\"\\u12\"", RegistryKey::Type::Other},
        {"\"v\"=string:\"\\q\"", RegistryKey::Type::Other},
        {"\"v\"=string:\"\\u12zz\"", RegistryKey::Type::Other},
        {"\"v\"=", RegistryKey::Type::Other},
    };
    for (const auto &row : rows) {
        QDir().mkpath(hive());
        QFile f(keyFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(foreign("\r\n") + row.line + "\r\n\"w\"=string:\"\"\n");
        f.close();
        RegistryKey key(hive());
        ASSERT_EQ(key.openFullAccess(QStringLiteral("ZVR")), 0) << row.line;
        ASSERT_TRUE(key.value(QStringLiteral("v")).has_value()) << row.line;
        EXPECT_EQ(key.value(QStringLiteral("v"))->type, row.type) << row.line;
        EXPECT_EQ(key.value(QStringLiteral("w"))->text, QString()) << row.line;
        // Writing another value keeps every line it does not understand.
        ASSERT_EQ(key.writeDword(QStringLiteral("w"), 0xDEADBEEF), 0);
        EXPECT_TRUE(content().startsWith(foreign("\n") + row.line + '\n'))
            << row.line;
        EXPECT_EQ(key.value(QStringLiteral("w"))->number, 0xDEADBEEFu);
    }
}

TEST_F(RegistryKeyTest, TheHiveFollowsTheEnvironment)
{
    qputenv("ZELVORA_REGISTRY_DIR", "/srv/reg/");
    EXPECT_EQ(RegistryKey::classesRootDirectory(), QStringLiteral("/srv/reg/HKEY_CLASSES_ROOT"));
    qunsetenv("ZELVORA_REGISTRY_DIR");
    qputenv("XDG_CONFIG_HOME", "/home/u/cfg");
    EXPECT_EQ(RegistryKey::classesRootDirectory(), QStringLiteral("/home/u/cfg/zelvora/registry/HKEY_CLASSES_ROOT"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryKey::classesRootDirectory(), QDir::homePath() + QStringLiteral("/.config/zelvora/registry/HKEY_CLASSES_ROOT"));
}

} // namespace

#include "consultardatosusuario.h"
#include "credentialskey.h"
#include "mostradorlog.h"
#include "mostradorstate.h"
#include "registryerror.h"
#include "registrykey.h"
#include "stringcipher.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kInicio = QStringLiteral("Inicio de consulta de datos de usuario guardados en el sistema");
const QString kFin = QStringLiteral("Fin de consulta de datos de usuario guardados en el sistema.");
const QString kNoKey = QStringLiteral("NO Existen datos de usuario registrados en el sistema.");
const QString kIncomplete = QStringLiteral("NO Existen datos de usuario registrados en el sistema. Datos incorrectos. ");
const QString kFound = QStringLiteral("Existen datos de usuario en el sistema. ");

class ConsultarDatosUsuarioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir().mkpath(workDir());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(workDir()));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString workDir() const { return m_dir.path() + QStringLiteral("/work"); }
    QString hive() const { return m_dir.path() + QStringLiteral("/registry/HKEY_CLASSES_ROOT"); }
    QString keyFile() const { return hive() + QStringLiteral("/ZVR"); }

    // The key as the enrolment leaves it: protocol values, then the credentials given.
    void writeKey(const QList<std::pair<QString, QString>> &credentials) const
    {
        platform::RegistryKey key(hive());
        ASSERT_EQ(key.create(credentialskey::kName), 0);
        ASSERT_EQ(key.writeString(QString(), credentialskey::kDefaultText), 0);
        ASSERT_EQ(key.writeString(credentialskey::kProtocol, credentialskey::kProtocolText), 0);
        for (const auto &[name, clear] : credentials)
            ASSERT_EQ(key.writeString(name, encriptarSuma(clear, QStringLiteral("E"), credentialskey::kCipherKey)), 0);
    }

    QStringList logLines() const { return mostradorLogLines(workDir()); }

    QTemporaryDir m_dir;
};

TEST_F(ConsultarDatosUsuarioTest, CredentialsAreFoundOnlyWhenBothAreStored)
{
    const QString user = QStringLiteral("Tienda & Cía 7");
    const QString password = QStringLiteral("clave con € y ñ");
    const struct {
        const char *description;
        bool key;
        QList<std::pair<QString, QString>> values;
        bool found;
        QString line;
    } rows[] = {
        {"no key", false, {}, false, kNoKey},
        {"protocol values only", true, {}, false, kIncomplete},
        {"user only", true, {{"mu", user}}, false, kIncomplete},
        {"empty password", true, {{"mu", user}, {"mp", ""}}, false, kIncomplete},
        {"both", true, {{"mu", user}, {"mp", password}}, true, kFound},
    };
    for (const auto &row : rows) {
        QFile::remove(keyFile());
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        if (row.key)
            writeKey(row.values);
        MostradorState state;
        EXPECT_EQ(consultarDatosUsuario(state, hive(), {true, false}), row.found) << row.description;
        EXPECT_EQ(logLines(), QStringList({kInicio, row.line, kFin})) << row.description;
        if (row.found) {
            EXPECT_EQ(state.Usuario, user);
            EXPECT_EQ(state.Contrasenya, password);
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}$")).match(state.DD).hasMatch()) << qPrintable(state.DD);
        }
    }
    // The lines follow the general switch alone.
    QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
    MostradorState state;
    EXPECT_TRUE(consultarDatosUsuario(state, hive(), {false, true}));
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ConsultarDatosUsuarioTest, AValueOfAnotherTypeRaises)
{
    writeKey({{"mp", "clave"}});
    {
        platform::RegistryKey key(hive());
        ASSERT_EQ(key.openFullAccess(credentialskey::kName), 0);
        ASSERT_EQ(key.writeDword(QStringLiteral("mu"), 7), 0);
    }
    MostradorState state;
    try {
        consultarDatosUsuario(state, hive(), {true, true});
        ADD_FAILURE() << "no error";
    } catch (const RegistryError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Tipo de dato no válido para 'mu'"));
    }
    EXPECT_EQ(logLines(), QStringList({kInicio}));
}

TEST_F(ConsultarDatosUsuarioTest, AKeyThisUserCannotWriteCountsAsMissing)
{
    // Root ignores file modes: the lookup runs as an unprivileged user.
    if (const QString reason = unprivileged::skipReason(); !reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    chmod(QFile::encodeName(workDir()).constData(), 01777);
    const struct {
        const char *description;
        bool own;
        mode_t mode;
        const char *output;
    } rows[] = {
        {"the user's own key", true, 0600, "found u p\n"},
        {"a key it may only read", false, 0644, "missing\n"},
        {"its own read-only key", true, 0400, "missing\n"},
    };
    for (const auto &row : rows) {
        QFile::remove(keyFile());
        QFile::remove(workDir() + QStringLiteral("/ZelvoraMostrador.log"));
        writeKey({{"mu", "u"}, {"mp", "p"}});
        for (const QString &dir : {m_dir.path() + QStringLiteral("/registry"), hive()})
            ASSERT_TRUE(unprivileged::give(dir, 0755));
        ASSERT_TRUE(row.own ? unprivileged::give(keyFile(), row.mode) : unprivileged::keep(keyFile(), row.mode));
        QProcess probe;
        unprivileged::start(probe, QStringLiteral(PROBE_PATH), {hive()});
        ASSERT_TRUE(probe.waitForFinished(30000));
        EXPECT_EQ(probe.readAllStandardOutput(), QByteArray(row.output))
            << row.description << ": " << probe.readAllStandardError().toStdString();
        EXPECT_TRUE(logLines().contains(row.output[0] == 'f' ? kFound : kNoKey)) << row.description;
    }
}

} // namespace

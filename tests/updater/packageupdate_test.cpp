#include "mostradorlog.h"
#include "packageupdate.h"
#include "storedserveraddress.h"
#include "updaterstate.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

platform::BoundedRun ended(int exitCode, QByteArray output = {})
{
    return {true, false, exitCode, std::move(output)};
}

// The Updater's runs seen from the programs it starts: dpkg-query answers as the script says,
// each apt-get step ends as the script says (apt-get update through `update`, when given, else
// leaving an index dated `indexDate`), dpkg's repairs are counted.
struct AptScript {
    QString before = QStringLiteral("1.0.0"); // empty: not installed
    QString after = QStringLiteral("1.1.0");  // once the install step ended well
    QByteArray beforeStatus = "installed";
    QDateTime indexDate = QDateTime::currentDateTimeUtc();
    platform::BoundedRun update = ended(0);
    platform::BoundedRun download = ended(0);
    platform::BoundedRun install = ended(0);
    PackageUpdate::RunCommand realUpdate = {};

    QStringList steps = {}; // the apt-get steps run, by their last option
    bool installed = false;

    PackageUpdate::RunCommand runner()
    {
        return [this](const QString &program, const QStringList &arguments, std::chrono::milliseconds bound) {
            if (program.endsWith(QStringLiteral("/dpkg-query"))) {
                const QString version = installed ? after : before;
                return version.isEmpty() ? ended(1, "dpkg-query: no packages found matching zelvora\n")
                                         : ended(0, (installed ? "installed" : beforeStatus) + '\t' + version.toUtf8());
            }
            if (program.endsWith(QStringLiteral("/dpkg"))) {
                steps << QStringLiteral("repair");
                return ended(0);
            }
            const QString step = arguments.at(arguments.size() - (arguments.last() == "update" ? 1 : 3));
            steps << step;
            if (step == "update" && realUpdate)
                return realUpdate(program, arguments, bound);
            if (step == "update") {
                const QString lists = arguments.filter(QStringLiteral("Dir::State::Lists=")).front().section(u'=', 1);
                QFile release(lists + QStringLiteral("/server_._InRelease"));
                if (release.open(QIODevice::WriteOnly))
                    release.write("Origin: Zelvora\nDate: " +
                                  QLocale::c().toString(indexDate, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")).toUtf8() +
                                  " UTC\n");
                return update;
            }
            if (step == "--download-only")
                return download;
            installed = install.exitCode == 0;
            return install;
        };
    }
};

class PackageUpdateTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(workDir()));
        QFile keyring(keyringPath());
        ASSERT_TRUE(keyring.open(QIODevice::WriteOnly));
    }
    void TearDown() override { qunsetenv("ZELVORA_TEMP_DIR"); }

    QString appDir() const { return m_dir.path() + u'/'; }
    QString workDir() const { return m_dir.path() + QStringLiteral("/work"); }
    QString keyringPath() const { return m_dir.path() + QStringLiteral("/zelvora-archive-keyring.gpg"); }
    QString stateDir() const { return m_dir.path() + QStringLiteral("/state"); }
    void storeAddress(const QString &address)
    {
        QFile::remove(appDir() + QStringLiteral("Ticketera.ini"));
        if (!address.isEmpty())
            guardarIpConfig(appDir(), QStringLiteral("Ticketera.ini"), address);
    }
    int update(AptScript &script, const QString &keyring)
    {
        QFile::remove(workDir() + QStringLiteral("/Updater.log"));
        return PackageUpdate(appDir(), keyring, stateDir(), script.runner(), {1s, 120s, 600s, 600s}).run();
    }
    QStringList log() const { return mostradorLogLines(workDir(), QStringLiteral("Updater.log")); }

private:
    QTemporaryDir m_dir;
};

TEST_F(PackageUpdateTest, TheOneSourceIsTheRepositoryOfTheStoredAddressOrOfTheDefault)
{
    const struct {
        const char *stored;
        const char *addressLine;
        const char *repository; // empty: refused before apt
    } rows[] = {
        {"192.0.2.5:8080", "Leer la Ip de conexion del fichero INI. IP: 192.0.2.5:8080",
         "http://192.0.2.5:8080/VANTO/apt/"},
        // Lower-case letters: stored in their hexadecimal form, read back the same.
        {"actualizaciones.zelvora.test", "Leer la Ip de conexion del fichero INI. IP: actualizaciones.zelvora.test",
         "http://actualizaciones.zelvora.test/VANTO/apt/"},
        {"", "Conseguir la IP de conexion por defecto. IP: www.zelvora.cl", "http://www.zelvora.cl/VANTO/apt/"},
        // Anything but a host and a port would be read by apt as more of its sources line.
        {"evil.test/x ./", "Leer la Ip de conexion del fichero INI. IP: evil.test/x ./", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.stored);
        storeAddress(QString::fromLatin1(row.stored));
        // apt itself says what it would fetch with the run's configuration, and nothing is fetched.
        QByteArray uris;
        AptScript script;
        script.realUpdate = [&uris](const QString &program, QStringList arguments, std::chrono::milliseconds bound) {
            arguments.insert(arguments.size() - 1, QStringLiteral("--print-uris"));
            const platform::BoundedRun run = platform::runBounded(program, arguments, bound);
            uris = run.output;
            return ended(100);
        };
        EXPECT_EQ(update(script, keyringPath()), 1);
        const QStringList lines = log();
        EXPECT_TRUE(lines.contains(QString::fromLatin1(row.addressLine))) << lines.join(u'\n').toStdString();

        const QString repository = QString::fromLatin1(row.repository);
        if (repository.isEmpty()) {
            EXPECT_TRUE(script.steps.isEmpty());
            EXPECT_TRUE(lines.contains(
                QStringLiteral("ERROR. La direccion del servidor no sirve para el repositorio: ") + row.stored));
            continue;
        }
        EXPECT_TRUE(lines.contains(QStringLiteral("Repositorio de la actualizacion: deb [signed-by=") + keyringPath() +
                                   QStringLiteral("] ") + repository + QStringLiteral(" ./")));
        // The repository's signed index first, and nothing from any other source of this machine.
        const QList<QByteArray> fetched = uris.trimmed().split('\n');
        ASSERT_GE(fetched.size(), 2) << uris.toStdString();
        EXPECT_TRUE(fetched.front().startsWith("'" + repository.toUtf8() + "./InRelease' ")) << uris.toStdString();
        for (const QByteArray &uri : fetched)
            EXPECT_TRUE(uri.startsWith("'" + repository.toUtf8() + "./")) << uri.toStdString();
    }
}

TEST_F(PackageUpdateTest, EachStepThatFailsEndsTheUpdateWithItsLine)
{
    storeAddress(QStringLiteral("192.0.2.5:8080"));
    const QString notSigned =
        QStringLiteral("E: The repository 'http://192.0.2.5:8080/VANTO/apt ./ InRelease' is not signed.");
    const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
    const QStringList all = {"repair", "update", "--download-only", "--no-download"};
    struct Row {
        const char *name;
        AptScript script;
        bool keyring;
        int exitCode;
        QStringList steps;
        QStringList lastLines;
        bool recorded = false;    // the next start within the hour goes no further
        int failedMinutesAgo = -1; // a failed attempt at this repository from this version
        QDateTime accepted = {};   // of the last index taken
    };
    Row rows[] = {
        // dpkg rewrites its progress in place: the log keeps what a terminal would show last.
        {"upgraded", {.install = ended(0, "(Reading database ... 5%\r(Reading database ... 9 files installed.)\r\n")},
         true, 0, all,
         {"apt-get: (Reading database ... 9 files installed.)", "Version instalada tras la actualizacion: 1.1.0",
          "Fin de la actualizacion. OK."}},
        {"a repository apt cannot verify", {.update = ended(100, notSigned.toUtf8() + "\n")}, true, 1,
         {"repair", "update"},
         {"apt-get: " + notSigned, "ERROR. Fallo en el paso: apt-get update. Codigo de salida: 100",
          "ERROR. No se actualizo el paquete zelvora. Version instalada: 1.0.0", "Fin de la actualizacion. KO."}, true},
        {"a server that stops answering", {.download = {true, true, -1, {}}}, true, 1,
         {"repair", "update", "--download-only"},
         {"ERROR. Tiempo agotado (600 s) en el paso: apt-get install --download-only zelvora",
          "ERROR. No se actualizo el paquete zelvora. Version instalada: 1.0.0", "Fin de la actualizacion. KO."}, true},
        // What dpkg left half done is finished at once; the next start tries again.
        {"a failed installation", {.install = ended(100)}, true, 1, all + QStringList{"repair"},
         {"ERROR. No se actualizo el paquete zelvora. Version instalada: 1.0.0", "Fin de la actualizacion. KO."}},
        // Only an older version, or only a package of another name: apt changes nothing.
        {"nothing newer", {.after = QStringLiteral("1.0.0")}, true, 1, all,
         {"ERROR. El repositorio no tiene una version de zelvora mas nueva que la instalada: 1.0.0",
          "Fin de la actualizacion. KO."}, true},
        {"an interrupted installation of the same version", {.after = "1.0.0", .beforeStatus = "half-installed"}, true,
         0, all, {"Version instalada tras la actualizacion: 1.0.0", "Fin de la actualizacion. OK."}},
        {"a failed attempt 10 minutes ago", {}, true, 1, {"repair"},
         {"No se descarga de nuevo: el intento anterior con este repositorio y esta version instalada fallo a las " +
              now.addSecs(-600).toString(Qt::ISODate) + "; se intentara pasada una hora.",
          "Fin de la actualizacion. KO."}, true, 10},
        {"a failed attempt an hour ago", {}, true, 0, all, {"Fin de la actualizacion. OK."}, false, 61},
        {"an index older than the last accepted", {.indexDate = now.addDays(-2)}, true, 1, {"repair", "update"},
         {"ERROR. El indice del repositorio es anterior al ultimo aceptado (" + now.addDays(-1).toString(Qt::ISODate) +
              "): se rechaza.",
          "ERROR. No se actualizo el paquete zelvora. Version instalada: 1.0.0", "Fin de la actualizacion. KO."},
         true, -1, now.addDays(-1)},
        {"not installed", {.before = QString()}, true, 1, {"repair"},
         {"ERROR. El paquete zelvora no esta instalado.", "Fin de la actualizacion. KO."}},
        {"no key", {}, false, 1, {},
         {"ERROR. No existe la clave del repositorio: " + appDir() + "missing.gpg", "Fin de la actualizacion. KO."}},
    };
    const UpdaterState state(stateDir());
    for (Row &row : rows) {
        SCOPED_TRACE(row.name);
        QDir(stateDir()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(stateDir()));
        if (row.failedMinutesAgo >= 0) {
            state.recordFailedAttempt({now.addSecs(-60 * row.failedMinutesAgo),
                                       QStringLiteral("http://192.0.2.5:8080/VANTO/apt/"), QStringLiteral("1.0.0")});
        }
        if (row.accepted.isValid())
            state.acceptIndexDate(row.accepted);
        EXPECT_EQ(update(row.script, row.keyring ? keyringPath() : appDir() + QStringLiteral("missing.gpg")),
                  row.exitCode);
        EXPECT_EQ(row.script.steps, row.steps);
        const QStringList lines = log();
        EXPECT_EQ(lines.mid(lines.size() - row.lastLines.size()), row.lastLines) << lines.join(u'\n').toStdString();
        EXPECT_EQ(state.failedAttempt().has_value(), row.recorded);
    }
}

} // namespace

#include "aptconfiguration.h"
#include "boundedprocess.h"
#include "centralserver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QString kTrusted = QStringLiteral("Zelvora test repository");
const QString kOther = QStringLiteral("Someone else's repository");

platform::BoundedRun run(const QString &program, const QStringList &arguments)
{
    return platform::runBounded(program, arguments, 60s);
}

// A repository made by our script from a package of the terminal's, served by the local central
// server, read by apt with the Updater's configuration: with two throw-away keys, one of which the
// package would trust.
class UpdaterRepositoryTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        // apt reads the key and its lists as its own unprivileged user when run as root.
        QFile::setPermissions(s_dir->path(), QFile::permissions(s_dir->path()) | QFileDevice::ReadOther |
                                                 QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
        qputenv("GNUPGHOME", QFile::encodeName(path(QStringLiteral("gnupg"))));
        QDir().mkpath(path(QStringLiteral("gnupg")));
        QFile::setPermissions(path(QStringLiteral("gnupg")), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                 QFileDevice::ExeOwner);
        for (const QString &key : {kTrusted, kOther})
            run(QStringLiteral("gpg"), {QStringLiteral("--batch"), QStringLiteral("--passphrase"), QString(),
                                        QStringLiteral("--quick-gen-key"), key, QStringLiteral("ed25519"),
                                        QStringLiteral("sign"), QStringLiteral("never")});
        QFile keyring(path(QStringLiteral("keyring.gpg")));
        if (keyring.open(QIODevice::WriteOnly))
            keyring.write(run(QStringLiteral("gpg"), {QStringLiteral("--export"), kTrusted}).output);

        const QString package = path(QStringLiteral("package/DEBIAN"));
        QDir().mkpath(package);
        QFile control(package + QStringLiteral("/control"));
        if (control.open(QIODevice::WriteOnly))
            control.write("Package: zelvora\nVersion: 1.1.0\nArchitecture: all\n"
                          "Maintainer: Zelvora <terminal@zelvora.invalid>\nDescription: the upgrade\n");
        control.close();
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("--build"), QStringLiteral("--root-owner-group"),
                                         path(QStringLiteral("package")), deb()});
    }
    static void TearDownTestSuite()
    {
        run(QStringLiteral("gpgconf"), {QStringLiteral("--kill"), QStringLiteral("gpg-agent")});
        qunsetenv("GNUPGHOME");
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override
    {
        if (!QFile::exists(deb()) || QFile(path(QStringLiteral("keyring.gpg"))).size() == 0)
            GTEST_SKIP() << "gpg or dpkg-deb did not make the key or the package (scripts/setup.sh)";
    }

    static QString path(const QString &name) { return s_dir->path() + u'/' + name; }
    static QString deb() { return path(QStringLiteral("zelvora_1.1.0_all.deb")); }

private:
    static QTemporaryDir *s_dir;
};

QTemporaryDir *UpdaterRepositoryTest::s_dir = nullptr;

TEST_F(UpdaterRepositoryTest, AptTakesTheIndexSignedWithThePackagesKeyAlone)
{
    const struct {
        const char *name;
        QString signer;
        QByteArray addedAfterSigning; // to the index
        bool reachable;
        bool taken;
        QByteArray why; // in apt's words
    } rows[] = {
        {"signed with the package's key", kTrusted, {}, true, true, {}},
        {"signed with another key", kOther, {}, true, false, "NO_PUBKEY"},
        {"an index changed after signing", kTrusted,
         "\nPackage: zelvora\nVersion: 9.0.0\nArchitecture: all\nFilename: ./other.deb\nSize: 1\n", true, false, {}},
        // apt only warns of a source it cannot reach, and would go on with nothing.
        {"a server that cannot be reached", kTrusted, {}, false, false, "Could not connect"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString repository = path(QStringLiteral("repository"));
        QDir(repository).removeRecursively();
        ASSERT_EQ(run(QStringLiteral(ZELVORA_REPOSITORY_SCRIPT), {repository, row.signer, deb()}).exitCode, 0);
        QFile index(repository + QStringLiteral("/Packages"));
        ASSERT_TRUE(index.open(QIODevice::Append));
        index.write(row.addedAfterSigning);
        index.close();
        QFile::remove(repository + QStringLiteral("/Packages.gz"));

        const CentralServer server({"--apt-repository", QFile::encodeName(repository)});
        const QString work = path(QStringLiteral("apt"));
        QDir(work).removeRecursively();
        const AptConfiguration apt(work, (row.reachable ? server.httpUrl() : QStringLiteral("http://127.0.0.1:1")) +
                                             QStringLiteral("/VANTO/apt/"),
                                   path(QStringLiteral("keyring.gpg")));
        ASSERT_TRUE(apt.prepare());
        const platform::BoundedRun update = run(QStringLiteral("/usr/bin/apt-get"), apt.updateArguments());
        EXPECT_EQ(update.exitCode, row.taken ? 0 : 100) << update.output.toStdString();
        EXPECT_TRUE(update.output.contains(row.why)) << update.output.toStdString();

        // The index is kept (in whatever compression this system's apt keeps it) only when verified.
        const QStringList lists = QDir(work + QStringLiteral("/lists")).entryList({QStringLiteral("*_Packages*")});
        EXPECT_EQ(lists.size(), row.taken ? 1 : 0) << lists.join(u' ').toStdString();
    }
}

} // namespace

#include "aptconfiguration.h"
#include "boundedprocess.h"
#include "centralserver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

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
        s_dir = std::make_unique<QTemporaryDir>();
        qputenv("GNUPGHOME", QFile::encodeName(path(QStringLiteral("gnupg"))));
        // Readable by all: apt run as root reads the key and its lists as its own unprivileged user.
        run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral(R"(cd "$1" && chmod 755 . &&
mkdir -m 700 gnupg && for key in "$2" "$3"; do
  gpg --batch --passphrase '' --quick-gen-key "$key" ed25519 sign never 2>/dev/null; done &&
gpg --export "$2" >keyring.gpg && mkdir -p package/DEBIAN && printf '%s\n' 'Package: zelvora' 'Version: 1.1.0' \
  'Architecture: all' 'Maintainer: Zelvora <terminal@zelvora.invalid>' 'Description: the upgrade' >package/DEBIAN/control &&
dpkg-deb --build --root-owner-group package zelvora_1.1.0_all.deb)"), QStringLiteral("sh"), s_dir->path(), kTrusted,
                                        kOther});
    }
    static void TearDownTestSuite()
    {
        run(QStringLiteral("gpgconf"), {QStringLiteral("--kill"), QStringLiteral("gpg-agent")});
        qunsetenv("GNUPGHOME");
        s_dir.reset();
    }
    void SetUp() override
    {
        if (!QFile::exists(deb()) || QFile(path(QStringLiteral("keyring.gpg"))).size() == 0)
            GTEST_SKIP() << "gpg or dpkg-deb did not make the key or the package (scripts/setup.sh)";
    }

    static QString path(const QString &name) { return s_dir->path() + u'/' + name; }
    static QString deb() { return path(QStringLiteral("zelvora_1.1.0_all.deb")); }

private:
    static std::unique_ptr<QTemporaryDir> s_dir;
};

std::unique_ptr<QTemporaryDir> UpdaterRepositoryTest::s_dir;

TEST_F(UpdaterRepositoryTest, AptTakesTheIndexSignedWithThePackagesKeyAlone)
{
    const struct {
        const char *name;
        QString signer;
        QByteArray addedAfterSigning; // to the index
        bool reachable;
        bool taken;
        QByteArray why;           // in apt's words
        const char *date = "now"; // of the index
    } rows[] = {
        {"signed with the package's key", kTrusted, {}, true, true, {}},
        {"signed with another key", kOther, {}, true, false, "NO_PUBKEY"},
        {"an index changed after signing", kTrusted,
         "\nPackage: zelvora\nVersion: 9.0.0\nArchitecture: all\nFilename: ./other.deb\nSize: 1\n", true, false, {}},
        // apt only warns of a source it cannot reach, and would go on with nothing.
        {"a server that cannot be reached", kTrusted, {}, false, false, "Could not connect"},
        // Valid for 14 days from its date: an old index cannot be served for ever.
        {"an index past its Valid-Until", kTrusted, {}, true, false, "is expired", "15 days ago"},
        {"an index dated in the future", kTrusted, {}, true, false, "is not valid yet", "2 days"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString repository = path(QStringLiteral("repository"));
        QDir(repository).removeRecursively();
        qputenv("ZELVORA_REPOSITORY_DATE", row.date);
        ASSERT_EQ(run(QStringLiteral(ZELVORA_REPOSITORY_SCRIPT), {repository, row.signer, deb()}).exitCode, 0);
        qunsetenv("ZELVORA_REPOSITORY_DATE");
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

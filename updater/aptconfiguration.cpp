#include "aptconfiguration.h"

#include <QDir>
#include <QFile>

namespace {

const QString kSourcesFile = QStringLiteral("zelvora.list");
const QString kSourceParts = QStringLiteral("sources.list.d");
const QString kLists = QStringLiteral("lists");
const QString kCache = QStringLiteral("cache");

QStringList option(const QString &name, const QString &value)
{
    return {QStringLiteral("-o"), name + u'=' + value};
}

} // namespace

AptConfiguration::AptConfiguration(QString directory, QString repositoryUrl, QString keyring)
    : m_directory(std::move(directory)), m_repositoryUrl(std::move(repositoryUrl)), m_keyring(std::move(keyring))
{
}

QString AptConfiguration::path(const QString &name) const
{
    return m_directory + u'/' + name;
}

QString AptConfiguration::sourcesLine() const
{
    // A flat repository: "./" stands where a suite and its components would.
    return QStringLiteral("deb [signed-by=%1] %2 ./").arg(m_keyring, m_repositoryUrl);
}

bool AptConfiguration::prepare() const
{
    const QDir dir(m_directory);
    for (const QString &sub : {kSourceParts, kLists + QStringLiteral("/partial"),
                               kCache + QStringLiteral("/archives/partial")}) {
        if (!dir.mkpath(sub))
            return false;
    }
    QFile sources(path(kSourcesFile));
    return sources.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
           sources.write((sourcesLine() + u'\n').toUtf8()) > 0 && sources.flush();
}

QStringList AptConfiguration::commonArguments() const
{
    QStringList arguments{QStringLiteral("-q")};
    // The one source, and nothing of the system's lists or downloaded packages.
    arguments << option(QStringLiteral("Dir::Etc::SourceList"), path(kSourcesFile))
              << option(QStringLiteral("Dir::Etc::SourceParts"), path(kSourceParts))
              << option(QStringLiteral("Dir::State::Lists"), path(kLists))
              << option(QStringLiteral("Dir::Cache"), path(kCache))
              // Whatever the system's own settings allow: signed and verified, or nothing.
              << option(QStringLiteral("Acquire::AllowInsecureRepositories"), QStringLiteral("false"))
              << option(QStringLiteral("Acquire::AllowDowngradeToInsecureRepositories"), QStringLiteral("false"))
              << option(QStringLiteral("APT::Get::AllowUnauthenticated"), QStringLiteral("false"))
              // A server that stops answering ends the step in seconds, not at the Updater's bound.
              << option(QStringLiteral("Acquire::http::Timeout"), QStringLiteral("30"))
              << option(QStringLiteral("Acquire::Retries"), QStringLiteral("1"))
              << option(QStringLiteral("Acquire::Languages"), QStringLiteral("none"));
    return arguments;
}

QStringList AptConfiguration::updateArguments() const
{
    // A repository that cannot be fetched or verified fails the step instead of a warning.
    return commonArguments() << option(QStringLiteral("APT::Update::Error-Mode"), QStringLiteral("any"))
                             << QStringLiteral("update");
}

QStringList AptConfiguration::packageArguments() const
{
    // Only a newer version of an installed package, with what it depends on; nothing removed.
    return commonArguments() << option(QStringLiteral("APT::Get::Remove"), QStringLiteral("false"))
                             << option(QStringLiteral("APT::Install-Recommends"), QStringLiteral("false"))
                             << option(QStringLiteral("DPkg::Lock::Timeout"), QStringLiteral("60"))
                             << QStringLiteral("-y") << QStringLiteral("--only-upgrade");
}

QStringList AptConfiguration::downloadArguments(const QString &package) const
{
    return packageArguments() << QStringLiteral("--download-only") << QStringLiteral("install") << package;
}

QStringList AptConfiguration::installArguments(const QString &package) const
{
    // The package's files are ours alone: nothing to ask about.
    return packageArguments() << option(QStringLiteral("Dpkg::Options::"), QStringLiteral("--force-confdef"))
                              << option(QStringLiteral("Dpkg::Options::"), QStringLiteral("--force-confold"))
                              << QStringLiteral("--no-download") << QStringLiteral("install") << package;
}

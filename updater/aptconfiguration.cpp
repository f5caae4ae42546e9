#include "aptconfiguration.h"

#include "atomicwrite.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace {

const QString kSourcesFile = QStringLiteral("zelvora.list");
const QString kSourceParts = QStringLiteral("sources.list.d");
const QString kLists = QStringLiteral("lists");
const QString kCache = QStringLiteral("cache");

// How long apt takes an index as valid at most, whatever its Valid-Until says: the 14 days the
// repository script gives it.
const QString kMaxValidSeconds = QString::number(14 * 24 * 3600);

QStringList option(const QString &name, const QString &value)
{
    return {QStringLiteral("-o"), name + u'=' + value};
}

// dpkg's own answer for a changed configuration file: ours are never changed by hand.
QStringList keptConfiguration()
{
    return {QStringLiteral("--force-confdef"), QStringLiteral("--force-confold")};
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
    // Root's alone to change, readable by apt's unprivileged downloader (which owns the partial
    // directories apt makes in it).
    const QFileDevice::Permissions rwxr_xr_x = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    const QDir dir(m_directory);
    for (const QString &sub : {QStringLiteral("."), kSourceParts, kLists, kCache, kCache + QStringLiteral("/archives")}) {
        if (!dir.mkpath(sub) || !QFile::setPermissions(dir.filePath(sub), rwxr_xr_x))
            return false;
    }
    return platform::writeFileAtomically(path(kSourcesFile), (sourcesLine() + u'\n').toUtf8());
}

std::optional<QDateTime> AptConfiguration::indexDate() const
{
    // apt keeps the lists of the one source it was given alone.
    const QStringList releases = QDir(path(kLists)).entryList({QStringLiteral("*_InRelease")}, QDir::Files);
    if (releases.size() != 1)
        return std::nullopt;
    QFile release(path(kLists) + u'/' + releases.front());
    if (!release.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : release.readAll().split('\n')) {
        if (line.startsWith("-----BEGIN PGP SIGNATURE"))
            break;
        // "Date: Wed, 09 Dec 2026 23:29:16 UTC", always in UTC.
        if (!line.startsWith("Date: ") || !(line.trimmed().endsWith(" UTC") || line.trimmed().endsWith(" +0000")))
            continue;
        const QString text = QString::fromLatin1(line.mid(6).trimmed()).section(u' ', 0, -2);
        QDateTime date = QLocale::c().toDateTime(text, QStringLiteral("ddd, d MMM yyyy HH:mm:ss"));
        date.setTimeSpec(Qt::UTC);
        return date.isValid() ? std::optional(date) : std::nullopt;
    }
    return std::nullopt;
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
              // An index past its Valid-Until, dated in the future or older than 14 days is refused.
              << option(QStringLiteral("Acquire::Check-Valid-Until"), QStringLiteral("true"))
              << option(QStringLiteral("Acquire::Check-Date"), QStringLiteral("true"))
              << option(QStringLiteral("Acquire::Max-ValidTime"), kMaxValidSeconds)
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
    QStringList arguments = packageArguments();
    for (const QString &dpkgOption : keptConfiguration())
        arguments << option(QStringLiteral("Dpkg::Options::"), dpkgOption);
    // What was installed is not kept: the cache stays small between runs.
    return arguments << option(QStringLiteral("APT::Keep-Downloaded-Packages"), QStringLiteral("false"))
                     << QStringLiteral("--no-download") << QStringLiteral("install") << package;
}

QStringList AptConfiguration::repairArguments()
{
    return keptConfiguration() << QStringLiteral("--configure") << QStringLiteral("-a");
}

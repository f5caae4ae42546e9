#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// apt's settings for the Updater: the central server's flat repository is the only source,
// trusted through its own keyring alone; the index lists and downloads stay in a directory of
// the Updater's own, kept between runs, so the system's sources are neither read nor changed and
// apt keeps the newest index it accepted.
class AptConfiguration {
public:
    // `directory`: the Updater's own, made when missing. `keyring`: the repository's public key,
    // the only one its signature is checked against.
    AptConfiguration(QString directory, QString repositoryUrl, QString keyring);

    // The repository's one-line entry.
    QString sourcesLine() const;
    // Writes the sources file and makes the directories apt works in, root's alone to change;
    // false when it cannot.
    bool prepare() const;
    // The Date of the index apt holds (its InRelease); none when there is none or it has none.
    std::optional<QDateTime> indexDate() const;

    // apt-get's arguments for the three steps: the repository's index; the download of a newer
    // `package` and what it needs, nothing removed; the installation of what was downloaded,
    // without the network.
    QStringList updateArguments() const;
    QStringList downloadArguments(const QString &package) const;
    QStringList installArguments(const QString &package) const;
    // dpkg's arguments that finish what an interrupted dpkg left half done.
    static QStringList repairArguments();

private:
    QString path(const QString &name) const;
    QStringList commonArguments() const;
    QStringList packageArguments() const;

    QString m_directory;
    QString m_repositoryUrl;
    QString m_keyring;
};

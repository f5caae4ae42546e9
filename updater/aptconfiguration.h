#pragma once

#include <QString>
#include <QStringList>

// apt's settings for one run of the Updater: the central server's flat repository is the only
// source, trusted through its own keyring alone; the run's index lists and downloads stay in a
// directory of its own, so the system's sources are neither read nor changed.
class AptConfiguration {
public:
    // `directory`: the run's own, empty. `keyring`: the repository's public key, the only one
    // its signature is checked against.
    AptConfiguration(QString directory, QString repositoryUrl, QString keyring);

    // The repository's one-line entry.
    QString sourcesLine() const;
    // Writes the run's sources file and makes the directories apt works in; false when it cannot.
    bool prepare() const;

    // apt-get's arguments for the three steps: the repository's index; the download of a newer
    // `package` and what it needs, nothing removed; the installation of what was downloaded,
    // without the network.
    QStringList updateArguments() const;
    QStringList downloadArguments(const QString &package) const;
    QStringList installArguments(const QString &package) const;

private:
    QString path(const QString &name) const;
    QStringList commonArguments() const;
    QStringList packageArguments() const;

    QString m_directory;
    QString m_repositoryUrl;
    QString m_keyring;
};

#pragma once

#include "boundedprocess.h"

#include <QString>
#include <chrono>
#include <functional>

// The longest each step of an update may take: a server that hangs ends the update, not the
// terminal's day.
struct UpdateLimits {
    std::chrono::milliseconds query{std::chrono::seconds(30)};
    std::chrono::milliseconds index{std::chrono::seconds(120)};
    std::chrono::milliseconds download{std::chrono::seconds(600)};
    std::chrono::milliseconds install{std::chrono::seconds(600)};
};

// One run of the Updater: the terminal's package upgraded with apt from the repository of the
// server the version check asked (the stored address, else the address book's default). Every
// step goes to the Updater's log; apt refuses what is not signed with the repository's key, a
// downgrade and anything that would remove a package.
class PackageUpdate {
public:
    // Runs a program and waits for it at most the given time (platform::runBounded).
    using RunCommand = std::function<platform::BoundedRun(const QString &program, const QStringList &arguments,
                                                          std::chrono::milliseconds bound)>;
    static const QString kPackage;

    // `dirApp`: the installation directory, ending in "/", where "Ticketera.ini" lies.
    PackageUpdate(QString dirApp, QString keyring, RunCommand runCommand, UpdateLimits limits = {});

    // 0 when a newer version of the package was installed; 1 otherwise, with the reason logged.
    int run() const;

private:
    bool runApt(const QString &step, const QStringList &arguments, std::chrono::milliseconds bound) const;
    // The installed version of the package; empty when it is not installed or cannot be asked.
    QString installedVersion() const;

    QString m_dirApp;
    QString m_keyring;
    RunCommand m_runCommand;
    UpdateLimits m_limits;
};

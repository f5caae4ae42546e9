#pragma once

#include "boundedprocess.h"

#include <QString>
#include <chrono>
#include <functional>

class AptConfiguration;
class UpdaterState;

// The longest each bounded step of an update may take: a server that hangs ends the update, not
// the terminal's day. The installation itself has no bound: dpkg cut off half-way leaves the
// package broken.
struct UpdateLimits {
    std::chrono::milliseconds query{std::chrono::seconds(30)};
    std::chrono::milliseconds index{std::chrono::seconds(120)};
    std::chrono::milliseconds download{std::chrono::seconds(600)};
    std::chrono::milliseconds repair{std::chrono::seconds(600)};
};

// One run of the Updater: the terminal's package upgraded with apt from the repository of the
// server the version check asked (the stored address, else the address book's default). Every
// step goes to the Updater's log; apt refuses what is not signed with the repository's key, an
// expired index, a downgrade and anything that would remove a package. What an interrupted dpkg
// left is finished before the upgrade and after a failed installation. After a failed attempt
// at one server from one installed version, the next runs within the hour go no further.
class PackageUpdate {
public:
    // Runs a program and waits for it at most the given time (platform::runBounded).
    using RunCommand = std::function<platform::BoundedRun(const QString &program, const QStringList &arguments,
                                                          std::chrono::milliseconds bound)>;
    static const QString kPackage;

    // `dirApp`: the installation directory, ending in "/", where "Ticketera.ini" lies.
    // `stateDirectory`: the Updater's own, kept between runs (apt's lists and its records).
    PackageUpdate(QString dirApp, QString keyring, QString stateDirectory, RunCommand runCommand,
                  UpdateLimits limits = {});

    // 0 when a newer version of the package was installed; 1 otherwise, with the reason logged.
    int run() const;

private:
    struct Installed {
        QString version; // empty: not installed
        QString status;  // dpkg's: "installed", or what an interrupted dpkg left
        QString text() const;
    };

    enum class Result { Done, Failed, StopAsked };
    // `dpkg`: the step runs dpkg, which is never cut off, not even by a stop request.
    Result runStep(const QString &program, const QString &step, const QStringList &arguments,
                   std::chrono::milliseconds bound, bool dpkg = false) const;
    bool repair() const;
    // Everything of the run that needs the network; false when the update failed, logged.
    bool fetch(const AptConfiguration &apt, const UpdaterState &state) const;
    Installed installed() const;

    QString m_dirApp;
    QString m_keyring;
    QString m_stateDirectory;
    RunCommand m_runCommand;
    UpdateLimits m_limits;
};

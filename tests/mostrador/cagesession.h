#pragma once

#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <sys/types.h>

class InstalledCopy;
class XvfbServer;

// The kiosk session's compositor for a Kiosk run of an installed copy: cage, as an unprivileged
// user (cage refuses root), with software rendering, a runtime directory of that user's (0700),
// and Qt's Wayland platform for the program it runs. On its headless back end it has no
// keyboard; on its X11 back end its output is a window of a private X server, whose keyboard is
// cage's own. The copy's home, runtime directory and settings file become the user's.
class CageSession {
public:
    enum class Backend { Headless, X11 };

    // Empty when the session can run here, else why not.
    static QString skipReason();

    CageSession(const InstalledCopy &copy, Backend backend);
    ~CageSession();
    CageSession(const CageSession &) = delete;
    CageSession &operator=(const CageSession &) = delete;

    // For Kiosk: what runs the program as cage's application, its display and its environment.
    QStringList wrapper() const;
    QString display() const;
    QProcessEnvironment environment() const;
    uid_t uid() const { return m_uid; }
    // Gives a file (a port, say) to the session's user.
    void handOver(const QString &path) const;

    // The output as grim reads it from the compositor; null while there is none.
    QImage screenshot() const;
    // xdotool's key names, pressed on the X11 back end's keyboard.
    void key(const QStringList &keys) const;

private:
    const InstalledCopy &m_copy;
    Backend m_backend;
    uid_t m_uid;
    gid_t m_gid;
    std::unique_ptr<XvfbServer> m_xvfb;
};

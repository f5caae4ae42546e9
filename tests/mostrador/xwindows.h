#pragma once

#include <QImage>
#include <QMargins>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

// The windows of a private X server, as xdotool, xwininfo and xprop see them.
class XWindows {
public:
    explicit XWindows(QString display) : m_display(std::move(display)) {}

    // Mapped top-level windows of a process (by _NET_WM_PID).
    QStringList visibleWindowsOf(qint64 pid) const;
    // Every mapped top-level window, whoever owns it (menus included).
    QStringList visibleTopLevels() const;
    QString name(const QString &window) const;
    QRect geometry(const QString &window) const;
    // The WM_NORMAL_HINTS lines as xprop prints them.
    QString normalHints(const QString &window) const;
    // The class part of WM_CLASS: the application's name.
    QString windowClass(const QString &window) const;
    // The border a window manager drew around the window (_NET_FRAME_EXTENTS); none without one.
    QMargins frameExtents(const QString &window) const;
    // Asks the window to close, as a window manager's close button does.
    void close(const QString &window) const;
    void click(const QString &window, QPoint at, int button) const;
    // Gives the window the keyboard focus and types `keys` (xdotool's key names).
    void key(const QString &window, const QStringList &keys) const;
    // What the window shows now.
    QImage capture(const QString &window) const;
    // Saves the whole screen as a PNG file.
    bool screenshot(const QString &pngPath) const;

    QByteArray run(const QString &program, const QStringList &arguments) const;

private:
    QString m_display;
};

// A small window manager (openbox) on a display, for the object's life: it frames, places and
// limits windows as a desktop's would.
class WindowManager {
public:
    explicit WindowManager(const QString &display);
    ~WindowManager();
    WindowManager(const WindowManager &) = delete;
    WindowManager &operator=(const WindowManager &) = delete;

    bool isRunning() const;

private:
    QProcess m_process;
    bool m_ready = false;
};

// The bound of a wait for a state that a loaded machine (builds beside, a sanitizer) only delays:
// reached by a fault, not by load.
constexpr int kStateBoundMs = 240000;

// Polls `condition` every 50 ms until it holds or `timeoutMs` passed.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000);

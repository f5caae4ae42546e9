#include "windowingsystem.h"

#include <QByteArray>
#include <QList>
#include <cstring>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

// Connects to the X server as Qt's xcb platform does, authorisation included. libxcb is only
// loaded here, so a run that never needs a window never loads it.
bool xServerAnswers()
{
    struct Connection;
    using Connect = Connection *(*)(const char *, int *);
    using HasError = int (*)(Connection *);
    using Disconnect = void (*)(Connection *);
    void *xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!xcb)
        return false;
    const auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    bool answers = false;
    if (connect && hasError && disconnect && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        Connection *connection = connect(nullptr, nullptr);
        answers = hasError(connection) == 0;
        disconnect(connection); // also frees a connection in its error state
    }
    dlclose(xcb);
    return answers;
}

// The compositor's socket, where a Wayland client connects.
bool waylandCompositorAnswers()
{
    QByteArray path = qgetenv("WAYLAND_DISPLAY");
    if (path.isEmpty())
        path = "wayland-0";
    if (!path.startsWith('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return false;
        path = runtime + '/' + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    memcpy(address.sun_path, path.constData(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

bool platformAnswers(const QByteArray &entry)
{
    const QByteArray name = entry.split(':').constFirst().trimmed(); // "name:option=value,..."
    if (name == "xcb")
        return xServerAnswers();
    if (name.startsWith("wayland"))
        return waylandCompositorAnswers();
    if (name == "offscreen" || name == "minimal" || name == "minimalegl" || name.isEmpty())
        return false;
    return true; // a platform of the machine's own (a framebuffer, say): Qt is trusted to start it
}

} // namespace

bool windowingSystemAvailable()
{
    // The platforms Qt would try, in any order: one that starts is enough.
    QList<QByteArray> platforms;
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    if (!chosen.isEmpty()) {
        platforms = chosen.split(';');
    } else {
        platforms << "xcb";
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland")
            platforms << "wayland";
    }
    for (const QByteArray &platform : platforms)
        if (platformAnswers(platform))
            return true;
    return false;
}

bool programPlacesWindows(const QString &qtPlatform)
{
    return !qtPlatform.startsWith(QLatin1String("wayland"));
}

} // namespace platform

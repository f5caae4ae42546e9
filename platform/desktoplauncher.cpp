// GLib's headers name struct members "signals", which Qt's headers define as a keyword.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "desktoplauncher.h"

#include <QFile>
#include <memory>
#include <unistd.h>

namespace platform {

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct GErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};

bool launchDefaultForUri(const char *uri)
{
    GError *error = nullptr;
    // Without a launch context the program inherits this process's environment and display;
    // GLib reaps it itself.
    const bool launched = g_app_info_launch_default_for_uri(uri, nullptr, &error);
    const std::unique_ptr<GError, GErrorFree> owned(error);
    return launched;
}

} // namespace

bool openWithAssociatedProgram(const QString &path)
{
    const std::unique_ptr<GFile, GObjectUnref> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    const std::unique_ptr<char, GFree> uri(g_file_get_uri(file.get()));
    return launchDefaultForUri(uri.get());
}

bool openWithSchemeHandler(const QString &url)
{
    const QByteArray text = url.toUtf8();
    const std::unique_ptr<char, GFree> scheme(g_uri_parse_scheme(text.constData()));
    if (!scheme)
        return false;
    const std::unique_ptr<char, GFree> lowerCase(g_ascii_strdown(scheme.get(), -1));
    const std::unique_ptr<GAppInfo, GObjectUnref> handler(g_app_info_get_default_for_uri_scheme(lowerCase.get()));
    if (!handler || !G_IS_DESKTOP_APP_INFO(handler.get()))
        return false;
    // A fork would copy the whole browser's address space, which costs a busy machine hundreds of
    // milliseconds; GLib starts the handler with posix_spawn instead when no descriptor needs
    // closing in the child. So that none of the kiosk's reaches the handler, every one is closed
    // at exec (the browser hands its own children theirs explicitly).
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    GList uris{const_cast<char *>(text.constData()), nullptr, nullptr};
    GError *error = nullptr;
    // The URL goes on untouched, "%" and all.
    const bool launched = g_desktop_app_info_launch_uris_as_manager(
        G_DESKTOP_APP_INFO(handler.get()), &uris, nullptr,
        GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_LEAVE_DESCRIPTORS_OPEN), nullptr, nullptr,
        [](GDesktopAppInfo *, GPid pid, gpointer) {
            g_child_watch_add(pid, [](GPid ended, gint, gpointer) { g_spawn_close_pid(ended); }, nullptr);
        },
        nullptr, &error);
    const std::unique_ptr<GError, GErrorFree> owned(error);
    return launched;
}

} // namespace platform

// GLib's headers name struct members "signals", which Qt's headers define as a keyword.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "desktoplauncher.h"

#include <QFile>
#include <csignal>
#include <memory>
#include <spawn.h>
#include <unistd.h>

namespace platform {

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct GStrvFree {
    void operator()(gchar **strings) const { g_strfreev(strings); }
};
struct GErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};
// A posix_spawn object, destroyed with its scope.
template <typename T, int (*Init)(T *), int (*Destroy)(T *)>
struct SpawnObject {
    T value;
    SpawnObject() { Init(&value); }
    ~SpawnObject() { Destroy(&value); }
    SpawnObject(const SpawnObject &) = delete;
    SpawnObject &operator=(const SpawnObject &) = delete;
};
using SpawnAttributes = SpawnObject<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;
using SpawnFileActions =
    SpawnObject<posix_spawn_file_actions_t, posix_spawn_file_actions_init, posix_spawn_file_actions_destroy>;

void appendQuoted(GString *line, const char *text)
{
    const std::unique_ptr<char, GFree> quoted(g_shell_quote(text));
    g_string_append(line, quoted.get());
}

// The entry's command line for `uri`, its field codes expanded as GIO expands them: the URI
// quoted for the shell so that it comes out of the parse byte for byte.
std::unique_ptr<gchar *, GStrvFree> commandLineFor(GDesktopAppInfo *entry, const char *uri)
{
    const char *exec = g_app_info_get_commandline(G_APP_INFO(entry));
    if (!exec)
        return nullptr;
    const std::unique_ptr<char, GFree> path(g_str_has_prefix(uri, "file:") ? g_filename_from_uri(uri, nullptr, nullptr)
                                                                           : nullptr);
    const std::unique_ptr<GString, decltype([](GString *s) { g_string_free(s, TRUE); })> line(g_string_new(nullptr));
    bool uriUsed = false;
    const auto appendUri = [&](char code) {
        const bool asFile = code == 'f' || code == 'F';
        if (!uriUsed && (!asFile || path))
            appendQuoted(line.get(), asFile ? path.get() : uri);
        uriUsed = true;
    };
    for (const char *p = exec; *p; ++p) {
        if (p[0] != '%' || p[1] == '\0') {
            g_string_append_c(line.get(), *p);
            continue;
        }
        switch (*++p) {
        case 'u': case 'U': case 'f': case 'F':
            appendUri(*p);
            break;
        case 'i':
            if (const std::unique_ptr<char, GFree> icon(g_desktop_app_info_get_string(entry, "Icon")); icon && *icon) {
                g_string_append(line.get(), "--icon ");
                appendQuoted(line.get(), icon.get());
            }
            break;
        case 'c':
            appendQuoted(line.get(), g_app_info_get_name(G_APP_INFO(entry)));
            break;
        case 'k':
            if (const char *file = g_desktop_app_info_get_filename(entry))
                appendQuoted(line.get(), file);
            break;
        case '%':
            g_string_append_c(line.get(), '%');
            break;
        default: // deprecated codes expand to nothing
            break;
        }
    }
    if (!uriUsed) {
        g_string_append_c(line.get(), ' ');
        appendUri('f');
    }
    gchar **argv = nullptr;
    if (!g_shell_parse_argv(line->str, nullptr, &argv, nullptr))
        return nullptr;
    return std::unique_ptr<gchar *, GStrvFree>(argv);
}

void reapWhenEnded(GPid pid)
{
    g_child_watch_add(pid, [](GPid ended, gint, gpointer) { g_spawn_close_pid(ended); }, nullptr);
}

// Starts the command with posix_spawn, so the kiosk's address space is never copied. The child
// gets none of the kiosk's descriptors beyond the standard three, and signals as a new process
// has them.
bool spawnReaped(char **argv)
{
    SpawnFileActions files;
    SpawnAttributes attributes;
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    if (posix_spawn_file_actions_addclosefrom_np(&files.value, STDERR_FILENO + 1) != 0 ||
        posix_spawnattr_setsigmask(&attributes.value, &none) != 0 ||
        posix_spawnattr_setsigdefault(&attributes.value, &all) != 0 ||
        posix_spawnattr_setflags(&attributes.value, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) != 0)
        return false;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &files.value, &attributes.value, argv, environ) != 0)
        return false;
    reapWhenEnded(pid);
    return true;
}

// What a plain start cannot do (a terminal, a working directory, activation over D-Bus) is left
// to GIO's launcher, after every descriptor of the kiosk is marked close-on-exec.
bool launchThroughGio(GDesktopAppInfo *entry, const char *uri)
{
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    GList uris{const_cast<char *>(uri), nullptr, nullptr};
    GError *error = nullptr;
    const bool launched = g_desktop_app_info_launch_uris_as_manager(
        entry, &uris, nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_LEAVE_DESCRIPTORS_OPEN),
        nullptr, nullptr, [](GDesktopAppInfo *, GPid pid, gpointer) { reapWhenEnded(pid); }, nullptr, &error);
    const std::unique_ptr<GError, GErrorFree> owned(error);
    return launched;
}

bool needsGiosLauncher(GDesktopAppInfo *entry)
{
    const std::unique_ptr<char, GFree> directory(g_desktop_app_info_get_string(entry, "Path"));
    return g_desktop_app_info_get_boolean(entry, "Terminal") || g_desktop_app_info_get_boolean(entry, "DBusActivatable") ||
           (directory && *directory);
}

// Starts the desktop's `handler` with `uri`. GIO's own launch looks up the session bus first,
// every time; without one it forks the whole browser process to try to start one, which cost
// most of a print link's hand-over. So the handler's command line is started here, as GIO would
// start it.
bool launch(GAppInfo *handler, const char *uri)
{
    if (!handler || !G_IS_DESKTOP_APP_INFO(handler))
        return false;
    GDesktopAppInfo *entry = G_DESKTOP_APP_INFO(handler);
    if (needsGiosLauncher(entry))
        return launchThroughGio(entry, uri);
    const std::unique_ptr<gchar *, GStrvFree> argv = commandLineFor(entry, uri);
    return argv && argv.get()[0] && spawnReaped(argv.get());
}

} // namespace

bool openWithAssociatedProgram(const QString &path)
{
    const std::unique_ptr<GFile, GObjectUnref> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    const std::unique_ptr<char, GFree> uri(g_file_get_uri(file.get()));
    const std::unique_ptr<GAppInfo, GObjectUnref> handler(g_file_query_default_handler(file.get(), nullptr, nullptr));
    return launch(handler.get(), uri.get());
}

bool openWithSchemeHandler(const QString &url)
{
    const QByteArray text = url.toUtf8();
    const std::unique_ptr<char, GFree> scheme(g_uri_parse_scheme(text.constData()));
    if (!scheme)
        return false;
    const std::unique_ptr<char, GFree> lowerCase(g_ascii_strdown(scheme.get(), -1));
    const std::unique_ptr<GAppInfo, GObjectUnref> handler(g_app_info_get_default_for_uri_scheme(lowerCase.get()));
    return launch(handler.get(), text.constData());
}

} // namespace platform

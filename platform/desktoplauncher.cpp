// GLib's headers name struct members "signals", which Qt's headers define as a keyword.
#include <gio/gio.h>

#include "desktoplauncher.h"

#include <QFile>
#include <memory>

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
    // GIO looks only at the scheme and hands the rest on untouched, "%" and all.
    return launchDefaultForUri(url.toUtf8().constData());
}

} // namespace platform

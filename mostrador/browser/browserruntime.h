#pragma once

#include <memory>
#include <optional>

class QWebEngineProfile;

// Mostrador's embedded Chromium (Qt WebEngine). The Mostrador executable also serves as the
// runtime's own sub-processes (zygote, renderer, utility), so dispatch() runs first in main().
class BrowserRuntime {
public:
    // When this process was started as one of the runtime's sub-processes, does that work and
    // returns its exit code; else returns nothing and the process goes on as the kiosk client.
    static std::optional<int> dispatch(int argc, char **argv);
    // Fixes the runtime's settings; runs before the application object exists.
    static void configureProcess();

    // After the application object: starts Chromium with the one browser profile. Destroyed
    // after every page and before the application object, whose end shuts Chromium down.
    BrowserRuntime();
    ~BrowserRuntime();
    BrowserRuntime(const BrowserRuntime &) = delete;
    BrowserRuntime &operator=(const BrowserRuntime &) = delete;

    QWebEngineProfile &profile() { return *m_profile; }

private:
    std::unique_ptr<QWebEngineProfile> m_profile;
};

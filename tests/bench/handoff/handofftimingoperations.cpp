#include "handofftimingoperations.h"

#include "browsercontrol.h"
#include "desktoplauncher.h"

#include <QDateTime>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <cstdio>
#include <ctime>

namespace {

constexpr quint32 kTimingWorld = QWebEngineScript::ApplicationWorld + 1;

// After the kiosk's own watcher, in a world of its own: the click's input time and the moment the
// listeners' turn came, both in milliseconds of the system clock as the page knows it.
const char kClickTimes[] = R"(
window.addEventListener('click', function (event) {
    window.tiempos = [performance.timeOrigin + event.timeStamp, performance.timeOrigin + performance.now()];
});
)";

long long nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

} // namespace

void HandOffTimingOperations::conectarAplicacionWeb(int tipoConexion, MostradorState &state, MainFrame &frame)
{
    auto &control = dynamic_cast<BrowserControl &>(frame);
    QWebEngineProfile &profile = *control.page()->profile();
    auto *page = new KioskPage(
        profile,
        [&control](const QString &url) {
            const long long handed = nowNs();
            const bool launched = platform::openWithSchemeHandler(url);
            const long long spawned = nowNs();
            std::printf("handed %lld\nspawned %lld\n", handed, spawned);
            std::fflush(stdout);
            control.page()->runJavaScript(QStringLiteral("window.tiempos || []"), kTimingWorld, [](const QVariant &times) {
                const QVariantList list = times.toList();
                if (list.size() == 2)
                    std::printf("event %lld\nwatcher %lld\n", static_cast<long long>(list[0].toDouble() * 1e6),
                                static_cast<long long>(list[1].toDouble() * 1e6));
                std::fflush(stdout);
            });
            return launched;
        },
        MostradorLogSwitches{}, &control);
    QWebEngineScript times;
    times.setName(QStringLiteral("tiempos"));
    times.setInjectionPoint(QWebEngineScript::DocumentCreation);
    times.setWorldId(kTimingWorld);
    times.setRunsOnSubFrames(false);
    times.setSourceCode(QString::fromLatin1(kClickTimes));
    page->scripts().insert(times);
    control.setPage(page);
    MostradorStartupOperations::conectarAplicacionWeb(tipoConexion, state, frame);
}

#include "mostradorprogram.h"

#include "browserruntime.h"
#include "mostradorcaption.h"
#include "paths.h"
#include "processend.h"
#include "qmessageboxes.h"
#include "qtapplicationwindows.h"
#include "rightbuttonfilter.h"
#include "singleinstancelock.h"
#include "startupcontext.h"
#include "startupoperations.h"
#include "tfrmprincipal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

namespace {

// The compositor maps the window once it has answered its first configuration; the sequence's
// windows can only belong to a window that is on the screen.
void showBeforeStartUp(TFrmPrincipal &form)
{
    form.show();
    QElapsedTimer waited;
    waited.start();
    while (!(form.windowHandle() && form.windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace

int MostradorProgram::run(int argc, char **argv) const
{
    // Started by the browser runtime as one of its sub-processes: no lock, window or log line.
    if (const std::optional<int> exitCode = BrowserRuntime::dispatch(argc, argv))
        return *exitCode;
    // The window and the browser are gone by now; the address refresh thread may still wait
    // for the server, and nobody waits for it.
    endProcessNow(runKiosk(argc, argv));
}

int MostradorProgram::runKiosk(int argc, char **argv) const
{
    BrowserRuntime::configureProcess();
    QApplication application(argc, argv);
    const QString title = mostradorCaption();
    // The application's title; Qt's display name would be appended to every caption.
    QApplication::setApplicationName(title);
    QMessageBoxes messageBoxes;

    const SingleInstanceLock lock(platform::singleInstanceLockPath(QStringLiteral("ZelvoraMostrador")));
    if (!lock.comprobar(messageBoxes, title))
        return 0;

    RightButtonFilter rightButtonFilter;
    application.installEventFilter(&rightButtonFilter);

    BrowserRuntime runtime;
    QtApplicationWindows windows;
    TFrmPrincipal form(runtime.profile(), logSwitches);
    if (windowCreated)
        windowCreated(form);
    if (!form.placesItself())
        showBeforeStartUp(form);
    const StartupContext context{platform::installationDirectory(), logSwitches, messageBoxes, &windows, form.IdHTTP1};
    const std::unique_ptr<StartupOperations> operations = makeOperations(context);
    if (form.FormCreate(context, *operations) == StartupSequence::Outcome::EndProgram)
        return 0;
    form.show();
    return application.exec();
}

#include "mostradorprogram.h"

#include "browserruntime.h"
#include "paths.h"
#include "qmessageboxes.h"
#include "qtapplicationwindows.h"
#include "rightbuttonfilter.h"
#include "singleinstancelock.h"
#include "startupoperations.h"
#include "tfrmprincipal.h"

#include <QApplication>

int MostradorProgram::run(int argc, char **argv) const
{
    // Started by the browser runtime as one of its sub-processes: no lock, window or log line.
    if (const std::optional<int> exitCode = BrowserRuntime::dispatch(argc, argv))
        return *exitCode;

    BrowserRuntime::configureProcess();
    QApplication application(argc, argv);
    const QString title = StartupSequence::caption();
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
    const std::unique_ptr<StartupOperations> operations = makeOperations();
    TFrmPrincipal form(runtime.profile());
    if (windowCreated)
        windowCreated(form);
    if (form.FormCreate(platform::installationDirectory(), *operations, messageBoxes, &windows, logSwitches) ==
        StartupSequence::Outcome::EndProgram)
        return 0;
    form.show();
    return application.exec();
}

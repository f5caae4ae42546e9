#pragma once

#include "backspacefilter.h"
#include "downloadmanager.h"
#include "mainwindowcontrols.h"
#include "mostradorstate.h"
#include "qtdownloadwindows.h"
#include "startupsequence.h"

#include <QWidget>

class ApplicationWindows;
class BrowserControl;
class MessageBoxes;
class QWebEngineProfile;
class StartupOperations;

// Mostrador's main window: a kiosk window filled by the embedded browser.
class TFrmPrincipal : public QWidget, public MainWindowControls {
public:
    explicit TFrmPrincipal(QWebEngineProfile &profile);

    // The start-up sequence, run before the window is first shown.
    StartupSequence::Outcome FormCreate(const QString &dirApp, StartupOperations &operations,
                                        MessageBoxes &messageBoxes, ApplicationWindows *windows,
                                        MostradorLogSwitches logSwitches);

    QSize firstMonitorSize() const override;
    void applyGeometry(const WindowGeometry &geometry) override;
    void setCaption(const QString &caption) override;

    BrowserControl *WebBrowser1;
    MostradorState state;

private:
    // The browser's key and download handlers.
    BackspaceFilter m_keyFilter;
    QtDownloadWindows m_downloadWindows;
    DownloadManager m_downloads;
};

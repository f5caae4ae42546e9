#pragma once

#include "downloadmanager.h"
#include "httpclient.h"
#include "mostradorlogswitches.h"
#include "mainwindowcontrols.h"
#include "mostradorstate.h"
#include "qtdownloadwindows.h"
#include "startupsequence.h"
#include "windowgeometry.h"

#include <QMargins>
#include <QWidget>
#include <optional>

class BrowserControl;
class QWebEngineProfile;
class StartupOperations;
struct StartupContext;

// Mostrador's main window: a kiosk window filled by the embedded browser.
class TFrmPrincipal : public QWidget, public MainWindowControls {
public:
    TFrmPrincipal(QWebEngineProfile &profile, MostradorLogSwitches logSwitches);

    // The start-up sequence, run before the window is first shown.
    StartupSequence::Outcome FormCreate(const StartupContext &context, StartupOperations &operations);

    // Whether the windowing system puts this window where the program says; where it does not,
    // the window is shown before the start-up sequence, so that the sequence's windows have one to
    // show over.
    bool placesItself() const { return m_placesItself; }

    QSize firstMonitorSize() const override;
    void applyGeometry(const WindowGeometry &geometry) override;
    void setCaption(const QString &caption) override;

    BrowserControl *WebBrowser1 = nullptr;
    // The main window's HTTP client, for the connection probe and the enrolment.
    HttpClient IdHTTP1{HttpClient::Kind::MainWindow};
    MostradorState state;

protected:
    bool event(QEvent *event) override;

private:
    // The sizes are those of the outer window: the client area gets them less the frame, which
    // a window manager only makes known once the window is on the screen.
    void fitInsideFrame();

    // Under a compositor that places windows itself, only the minimum size is the program's.
    const bool m_placesItself;
    std::optional<WindowGeometry> m_outer;
    QMargins m_frame;
    // The browser's downloads, with their windows over this one.
    QtDownloadWindows m_downloadWindows;
    DownloadManager m_downloads;
};

#pragma once

#include "httpclient.h"
#include "mainwindowcontrols.h"
#include "mostradorstate.h"
#include "startupsequence.h"

#include <QWidget>

class BrowserControl;
class QWebEngineProfile;
class StartupOperations;
struct StartupContext;

// Mostrador's main window: a kiosk window filled by the embedded browser.
class TFrmPrincipal : public QWidget, public MainWindowControls {
public:
    explicit TFrmPrincipal(QWebEngineProfile &profile);

    // The start-up sequence, run before the window is first shown.
    StartupSequence::Outcome FormCreate(const StartupContext &context, StartupOperations &operations);

    QSize firstMonitorSize() const override;
    void applyGeometry(const WindowGeometry &geometry) override;
    void setCaption(const QString &caption) override;

    BrowserControl *WebBrowser1;
    // The main window's HTTP client, for the connection probe and the enrolment.
    HttpClient IdHTTP1{HttpClient::Kind::MainWindow};
    MostradorState state;
};

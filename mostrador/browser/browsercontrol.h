#pragma once

#include "backspacefilter.h"
#include "kioskpage.h"
#include "mainframe.h"

#include <QWebEngineView>

class QWebEngineProfile;

// The browser control of the main window: one browser on the runtime's profile, created on
// "about:blank" as soon as the control exists, with its key filter. The page hands the web
// application's "ZVR:" links to `launcher`.
class BrowserControl : public QWebEngineView, public MainFrame {
public:
    explicit BrowserControl(QWebEngineProfile &profile, KioskPage::PrintLinkLauncher launcher = {},
                            MostradorLogSwitches logSwitches = {}, QWidget *parent = nullptr);

    void loadRequest(const QWebEngineHttpRequest &request) override;

private:
    BackspaceFilter m_keyFilter{*this};
};

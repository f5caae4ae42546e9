#pragma once

#include "qmessageboxes.h"
#include "qtapplicationwindows.h"
#include "ticketreportroute.h"
#include "ticketeraui.h"

#include <QApplication>
#include <memory>

// Ticketera's windows: the application object, message boxes and the main form's window.
class QtTicketeraUi : public TicketeraUi {
public:
    QtTicketeraUi(int &argc, char **argv);

    MessageBoxes &messageBoxes() override;
    ApplicationWindows *windows() override;
    void runMainWindow() override;
    ReportRoute *reportRoute() override;

private:
    QApplication m_application;
    QMessageBoxes m_boxes;
    QtApplicationWindows m_windows;
    std::unique_ptr<TicketReportRoute> m_reportRoute;
};

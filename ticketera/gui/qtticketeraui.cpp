#include "qtticketeraui.h"

#include "mainwindowview.h"

QtTicketeraUi::QtTicketeraUi(int &argc, char **argv) : m_application(argc, argv)
{
    QApplication::setApplicationName(QStringLiteral("Ticketera"));
}

MessageBoxes &QtTicketeraUi::messageBoxes()
{
    return m_boxes;
}

ApplicationWindows *QtTicketeraUi::windows()
{
    return &m_windows;
}

void QtTicketeraUi::runMainWindow()
{
    MainWindowView window;
    window.show();
    QApplication::exec();
}

ReportRoute *QtTicketeraUi::reportRoute()
{
    if (!m_reportRoute)
        m_reportRoute = std::make_unique<TicketReportRoute>();
    return m_reportRoute.get();
}

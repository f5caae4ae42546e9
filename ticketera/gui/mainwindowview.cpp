#include "mainwindowview.h"

#include <QGuiApplication>
#include <QScreen>

MainWindowView::MainWindowView(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Zelvora Mostrador Print"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(284, 88);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

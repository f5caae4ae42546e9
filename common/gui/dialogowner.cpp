#include "dialogowner.h"

#include "windowingsystem.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace {

QWidget *ownerFor(const QWidget &dialog)
{
    for (QWidget *candidate : {QApplication::activeModalWidget(), QApplication::activeWindow()})
        if (candidate && candidate != &dialog && candidate->isVisible())
            return candidate;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *candidate : windows)
        if (candidate != &dialog && candidate->isVisible() && candidate->windowHandle() &&
            !(candidate->windowType() == Qt::Popup || candidate->windowType() == Qt::ToolTip))
            return candidate;
    return nullptr;
}

} // namespace

void attachToOwnerWindow(QWidget &dialog)
{
    if (dialog.parentWidget() || platform::programPlacesWindows(QGuiApplication::platformName()))
        return;
    QWidget *owner = ownerFor(dialog);
    if (!owner)
        return;
    dialog.winId(); // the window exists from here on, so it can name its owner
    dialog.windowHandle()->setTransientParent(owner->window()->windowHandle());
}

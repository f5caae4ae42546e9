#include "qmessageboxes.h"

#include "dialogowner.h"

#include <QMessageBox>

void QMessageBoxes::show(Icon icon, const QString &caption, const QString &text)
{
    const QMessageBox::Icon qtIcon = icon == Icon::Error     ? QMessageBox::Critical
                                     : icon == Icon::Warning ? QMessageBox::Warning
                                                             : QMessageBox::Information;
    QMessageBox box(qtIcon, caption, text, QMessageBox::Ok);
    // Texts may come from outside (a server's answer, a file name): never read as markup.
    box.setTextFormat(Qt::PlainText);
    attachToOwnerWindow(box);
    box.exec();
}

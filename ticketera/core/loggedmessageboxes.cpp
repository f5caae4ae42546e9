#include "loggedmessageboxes.h"

#include "logswitches.h"
#include "logtext.h"

void LoggedMessageBoxes::show(Icon, const QString &caption, const QString &text)
{
    logMilestone(QStringLiteral("SIN PANTALLA - Mensaje no mostrado. Titulo: ") + caption + QStringLiteral(" Texto: ") +
                 logText(text));
}

#pragma once

#include <QString>

// The caption of the kiosk's main window and of every box of its start-up.
inline QString mostradorCaption()
{
    return QStringLiteral("Zelvora Mostrador");
}

#pragma once

#include "messageboxes.h"

// MessageBoxes as QMessageBox windows.
class QMessageBoxes : public MessageBoxes {
public:
    void show(Icon icon, const QString &caption, const QString &text) override;
};

#pragma once

#include "messageboxes.h"

// Message boxes for a run without a display (a print server, a service): what would have been
// shown goes to the log, and the run goes on as if the user had closed the box.
class LoggedMessageBoxes : public MessageBoxes {
public:
    void show(Icon icon, const QString &caption, const QString &text) override;
};

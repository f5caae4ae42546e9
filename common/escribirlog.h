#pragma once

#include <QString>

// Writes one line to the running program's diagnostic log. Each program defines it with its
// own log file name; call sites test the program's log switch first.
void escribirLog(const QString &message);

#pragma once

#include "zelvoraerror.h"

// The system refused a write of the settings file.
class SettingsWriteError : public ZelvoraError {
public:
    explicit SettingsWriteError(const QString &path)
        : ZelvoraError(QStringLiteral("Unable to write to %1").arg(path)) {}
    QString className() const override { return QStringLiteral("SettingsWriteError"); }
};

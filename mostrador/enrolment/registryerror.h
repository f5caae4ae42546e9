#pragma once

#include "zelvoraerror.h"

// A registry key or value could not be opened, created, read as a string or written.
class RegistryError : public ZelvoraError {
public:
    explicit RegistryError(const QString &message) : ZelvoraError(message) {}
    QString className() const override { return QStringLiteral("RegistryError"); }
};

#pragma once

#include "zelvoraerror.h"

// A layout file that exists but cannot be read as a layout.
class LayoutError : public ZelvoraError {
public:
    explicit LayoutError(const QString &message) : ZelvoraError(message) {}
    QString className() const override { return QStringLiteral("LayoutError"); }
};

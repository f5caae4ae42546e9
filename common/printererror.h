#pragma once

#include "zelvoraerror.h"

// The configured printer cannot be found, selected or given a job.
class PrinterError : public ZelvoraError {
public:
    explicit PrinterError(const QString &message) : ZelvoraError(message) {}
    QString className() const override { return QStringLiteral("PrinterError"); }
};

#pragma once

#include "zelvoraerror.h"

// The cryptographic library could not take a digest (an algorithm its configuration leaves out).
class DigestError : public ZelvoraError {
public:
    explicit DigestError(const QString &reason) : ZelvoraError(QStringLiteral("No se pudo calcular la firma: ") + reason) {}
    QString className() const override { return QStringLiteral("DigestError"); }
};

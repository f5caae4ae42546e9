#pragma once

#include "zelvoraerror.h"

// A start-up operation that this build of Mostrador does not have yet.
class MissingOperationError : public ZelvoraError {
public:
    explicit MissingOperationError(const QString &operation)
        : ZelvoraError(QStringLiteral("La operación %1 no está disponible en esta versión de Mostrador.").arg(operation))
    {
    }
    QString className() const override { return QStringLiteral("MissingOperationError"); }
};

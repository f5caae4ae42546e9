#pragma once

#include "zelvoraerror.h"

// A file could not be written; what was there before is left as it was.
class FileWriteError : public ZelvoraError {
public:
    // `reason`: the system's, when it gave one.
    explicit FileWriteError(const QString &path, const QString &reason = {})
        : ZelvoraError(QStringLiteral("No se puede escribir el fichero %1").arg(path) +
                       (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason))
    {
    }
    QString className() const override { return QStringLiteral("FileWriteError"); }
};

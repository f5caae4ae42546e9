#pragma once

#include "zelvoraerror.h"

// A file could not be written; what was there before is left as it was.
class FileWriteError : public ZelvoraError {
public:
    explicit FileWriteError(const QString &path) : ZelvoraError(QStringLiteral("No se puede escribir el fichero %1").arg(path)) {}
    QString className() const override { return QStringLiteral("FileWriteError"); }
};

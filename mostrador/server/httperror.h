#pragma once

#include "zelvoraerror.h"

// A form POST that failed: no answer, a broken connection, a status outside 200 to 299.
class HttpError : public ZelvoraError {
public:
    explicit HttpError(const QString &message) : ZelvoraError(message) {}
    QString className() const override { return QStringLiteral("HttpError"); }
};

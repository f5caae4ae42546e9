#pragma once

#include "zelvoraerror.h"

// A form POST to the server failed: no connection, TLS, time-out, or a status outside 200-299.
class HttpError : public ZelvoraError {
public:
    explicit HttpError(const QString &message) : ZelvoraError(message) {}
    QString className() const override { return QStringLiteral("HttpError"); }
};

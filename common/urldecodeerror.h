#pragma once

#include "zelvoraerror.h"

// A "%" of a URL is not followed by two hexadecimal digits.
class UrlDecodeError : public ZelvoraError {
public:
    explicit UrlDecodeError(const QString &message) : ZelvoraError(message) {}
    QString className() const override { return QStringLiteral("UrlDecodeError"); }
};

#pragma once

#include "zelvoraerror.h"

// A picture file that cannot be decoded in the format its name or its caller asks for.
class ImageFormatError : public ZelvoraError {
public:
    explicit ImageFormatError(const QString &message) : ZelvoraError(message) {}
    QString className() const override { return QStringLiteral("ImageFormatError"); }
};

#pragma once

#include "zelvoraerror.h"

// A text that should hold a whole number does not.
class ConversionError : public ZelvoraError {
public:
    explicit ConversionError(const QString &message) : ZelvoraError(message) {}
    static ConversionError notAnInteger(const QString &text)
    {
        return ConversionError(QStringLiteral("''%1'' is not a valid integer value").arg(text));
    }
    QString className() const override { return QStringLiteral("ConversionError"); }
};

#pragma once

#include "zelvoraerror.h"

// A device or file refused an open, a write or a close; carries the system's error code.
class InputOutputError : public ZelvoraError {
public:
    InputOutputError(int code, const QString &systemText, const QString &target)
        : ZelvoraError(QStringLiteral("Error de entrada/salida %1 (%2): %3").arg(code).arg(systemText, target)),
          m_code(code) {}
    int code() const noexcept { return m_code; }
    QString className() const override { return QStringLiteral("InputOutputError"); }

private:
    int m_code;
};

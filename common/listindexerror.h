#pragma once

#include "zelvoraerror.h"

// An entry of a list was asked for that the list does not have.
class ListIndexError : public ZelvoraError {
public:
    explicit ListIndexError(qsizetype index)
        : ZelvoraError(QStringLiteral("List index out of bounds (%1)").arg(index)) {}
    QString className() const override { return QStringLiteral("ListIndexError"); }
};

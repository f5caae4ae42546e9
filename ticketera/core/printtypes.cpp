#include "printtypes.h"

QString nombrePosicionBarcode(TPosicionBarcode position)
{
    switch (position) {
    case posbcInicio:
        return QStringLiteral("posbcInicio");
    case posbcIntermedio:
        return QStringLiteral("posbcIntermedio");
    case posbcFinal:
        return QStringLiteral("posbcFinal");
    case posbcNone:
        break;
    }
    return QStringLiteral("posbcNone");
}

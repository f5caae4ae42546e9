#pragma once

#include <QString>
#include <QStringList>

enum TTipoBarCode { bcEAN128 = 0, bcIL25 = 1 };

enum TPosicionBarcode { posbcNone = 0, posbcInicio = 1, posbcIntermedio = 2, posbcFinal = 3 };

QString nombrePosicionBarcode(TPosicionBarcode position);

// The job values of the print string's header, the same for every ticket of the job.
struct PrintHeader {
    int LinesBeforeBarcode = 0;
    int LinesAfterBarcode = 0;
    bool hayCodigoBarras = false;
    QString StrCodigoBarras;
    TTipoBarCode tipoBarcode = bcEAN128;
    TPosicionBarcode posicionBarcode = posbcNone;
    QString logoproveedor;
    bool imprimirLogoProveedor = false;
};

// One ticket's lines: entry k of a format list is the format code of entry k of its text list.
struct TicketLines {
    QStringList TicketLineasBefore;
    QStringList TicketFormatosBefore;
    QStringList TicketLineasAfter;
    QStringList TicketFormatosAfter;
};

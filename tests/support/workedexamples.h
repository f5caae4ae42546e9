#pragma once

#include <QByteArray>
#include <QString>

// The two example print requests of the print string format, as the desktop hands them over.
namespace workedexamples {

// One ticket with a barcode between two before-lines and one after-line.
inline const QString kUrl1 =
    QStringLiteral("ZVR:LIB&2&1&1&12345678901234567890&0&&1RECARGA%20MOVIL&0Importe%3A%2010%2C00&0Gracias");
// What a port or a text-only printer receives for it: the lines, then three blank lines.
inline const QByteArray kTextBytes1 = "RECARGA MOVIL\r\nImporte: 10,00\r\nGracias\r\n \r\n \r\n \r\n";
// Two tickets without barcode, separated by a cut marker.
inline const QString kUrl2 =
    QStringLiteral("ZVR:LIB&3&0&0&&0&&1TICKET%20A&1%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01TICKET%20B&0fin");

} // namespace workedexamples

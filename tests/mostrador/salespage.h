#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

// The local central server's sales page (tools/centralserver) as the kiosk shows it.
namespace salespage {

// Its print link: two tickets of one job, the cut marker between them.
inline const QString kPrintUrl =
    QStringLiteral("ZVR:LIB&4&1&0&12345678901234567890&0&&1RECARGA%20MOVIL&0Importe%3A%2010%2C00&"
                   "0%5Cn%5Cn%5Cn%5Cx1D%5Cx56%5Cx01COPIA%20-%20RECARGA%20MOVIL&0Importe%3A%2010%2C00");
// What a port receives for it: each ticket's lines, then three blank lines.
inline const QByteArray kPortBytes = "RECARGA MOVIL\r\nImporte: 10,00\r\n \r\n \r\n \r\n"
                                     "COPIA - RECARGA MOVIL\r\nImporte: 10,00\r\n \r\n \r\n \r\n";
// The print button's green, found nowhere else on the page.
inline constexpr QRgb kButtonColour = 0x2e7d32;

// The middle of the print button in a picture of the kiosk's window; none while it is not shown.
inline std::optional<QPoint> printButton(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == kButtonColour)
                box |= QRect(x, y, 1, 1);
    if (box.width() < 20 || box.height() < 10)
        return std::nullopt;
    return box.center();
}

} // namespace salespage

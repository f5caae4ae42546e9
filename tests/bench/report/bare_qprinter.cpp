// The reference for the report route: the least a Qt program does to print the same ticket
// (worked example 1 on 71 x 297 mm, its lines and a Code 128 barcode) on a named CUPS queue.
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <zint.h>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    QGuiApplication application(argc, argv);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(QString::fromLocal8Bit(argv[1]));
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QSizeF(71, 297), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    QPainter painter;
    if (!painter.begin(&printer))
        return 1;
    const double dot = printer.resolution() / 96.0; // one unit of 1/96 inch
    const double left = 5 / 25.4 * 96 * dot;
    double y = 4 / 25.4 * 96 * dot;
    const auto line = [&](const char *text, double points) {
        QFont font(QStringLiteral("Verdana"));
        font.setPointSizeF(points);
        painter.setFont(font);
        painter.drawText(QPointF(left, y + QFontMetricsF(font, &printer).ascent()), QString::fromUtf8(text));
        y += 13.23 * dot;
    };
    line("RECARGA MOVIL", 8);
    line("Importe: 10,00", 7);

    zint_symbol *symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_CODE128;
    symbol->show_hrt = 0;
    const char data[] = "12345678901234567890";
    if (ZBarcode_Encode_and_Buffer_Vector(symbol, reinterpret_cast<const unsigned char *>(data), sizeof data - 1, 0) >= ZINT_ERROR)
        return 1;
    const double module = dot * symbol->width / symbol->vector->width;
    for (const zint_vector_rect *r = symbol->vector->rectangles; r; r = r->next)
        painter.fillRect(QRectF(left + 7.56 * dot + r->x * module, y, r->width * module, 50 * dot), Qt::black);
    ZBarcode_Delete(symbol);
    y += 56 * dot;
    line("12345678901234567890", 9);
    line("Gracias", 7);
    return painter.end() ? 0 : 1;
}

#include "preparedreport.h"

#include "printererror.h"
#include "reportunits.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace report {
namespace {

QPageSize pageSize(const ReportLayout::Page &settings)
{
    return QPageSize(settings.paperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

} // namespace

bool PreparedReport::isBlank() const
{
    return std::all_of(m_pages.begin(), m_pages.end(), [](const Page &page) { return page.empty(); });
}

void PreparedReport::paintPage(QPainter &painter, int index) const
{
    const double scale = painter.device()->logicalDpiX() / kUnitsPerInch;
    for (const Item &item : m_pages.at(index)) {
        const QRectF area(item.rect.left() * scale, item.rect.top() * scale, item.rect.width() * scale,
                          item.rect.height() * scale);
        item.object->paint(painter, area, scale);
    }
}

void PreparedReport::paintPages(QPagedPaintDevice &device, QPainter &painter) const
{
    for (int i = 0; i < m_pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        paintPage(painter, i);
    }
}

QImage PreparedReport::renderPage(int index, double dpi) const
{
    const QSizeF inches = m_settings.paperMm / 25.4;
    QImage image(qRound(inches.width() * dpi), qRound(inches.height() * dpi), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, index);
    return image;
}

bool PreparedReport::writePdf(const QString &path, QString *error) const
{
    QPdfWriter writer(path);
    writer.setPageSize(pageSize(m_settings));
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("No se puede escribir %1").arg(path);
        return false;
    }
    paintPages(writer, painter);
    return painter.end();
}

void PreparedReport::print(const QString &printerName, const QString &documentName) const
{
    if (m_pages.isEmpty())
        return;
    if (QPrinterInfo::printerInfo(printerName).isNull())
        throw PrinterError(QStringLiteral("La impresora %1 no existe").arg(printerName));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName);
    printer.setFullPage(true);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(pageSize(m_settings));
    printer.setPageMargins(QMarginsF());
    printer.setDocName(documentName);
    QPainter painter;
    if (!painter.begin(&printer))
        throw PrinterError(QStringLiteral("La impresora %1 no acepta el trabajo").arg(printerName));
    paintPages(printer, painter);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw PrinterError(QStringLiteral("La impresora %1 no acepta el trabajo").arg(printerName));
}

} // namespace report

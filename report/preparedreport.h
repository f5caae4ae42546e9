#pragma once

#include "reportlayout.h"
#include "reportobject.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace report {

// The pages a preparation produced, ready to be painted on a printer, an image or a PDF.
// Every page has the layout's paper size; positions are in units from the paper's corner.
class PreparedReport {
public:
    struct Item {
        QRectF rect;
        std::shared_ptr<const ReportObject> object;
    };
    using Page = std::vector<Item>;

    PreparedReport() = default;
    explicit PreparedReport(const ReportLayout::Page &settings) : m_settings(settings) {}

    const ReportLayout::Page &settings() const { return m_settings; }
    const QList<Page> &pages() const { return m_pages; }
    // No object on any page: printed, it would be blank paper.
    bool isBlank() const;
    void addPage() { m_pages.append(Page()); }
    void add(Item item) { m_pages.last().push_back(std::move(item)); }

    // One page on white at `dpi` dots per inch.
    QImage renderPage(int index, double dpi) const;
    // False with `error` set when the file cannot be written.
    bool writePdf(const QString &path, QString *error) const;
    // One job on the print queue `printerName`, no dialog. A report without pages sends no job.
    // Raises PrinterError when the queue does not exist or refuses the job.
    void print(const QString &printerName, const QString &documentName) const;

private:
    void paintPages(QPagedPaintDevice &device, QPainter &painter) const;
    void paintPage(QPainter &painter, int index) const;

    ReportLayout::Page m_settings;
    QList<Page> m_pages;
};

} // namespace report

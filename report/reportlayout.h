#pragma once

#include "reportband.h"

#include <QSizeF>
#include <memory>
#include <vector>

namespace report {

// A report's design: its page and bands. An empty layout has no page and prints nothing.
class ReportLayout {
public:
    struct Page {
        QString name;
        QSizeF paperMm;
        double marginLeftMm = 0;
        double marginRightMm = 0;
        double marginTopMm = 0;
        double marginBottomMm = 0;
    };

    bool isEmpty() const { return !m_page; }
    const Page &page() const { return *m_page; }
    void setPage(Page page) { m_page = std::make_unique<Page>(std::move(page)); }
    void clear();

    std::vector<std::unique_ptr<ReportBand>> bands;
    QString printer; // as stored in the design; the program names the real one when printing

    // Band or object by name, without regard to letter case; null when there is none.
    ReportComponent *find(const QString &name) const;
    // The band holding `object`, or null.
    ReportBand *bandOf(const ReportComponent &object) const;
    // The header band of `dataBand`, or null.
    ReportBand *headerOf(const ReportBand &dataBand) const;

private:
    std::unique_ptr<Page> m_page;
};

} // namespace report

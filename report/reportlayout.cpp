#include "reportlayout.h"

namespace report {

void ReportLayout::clear()
{
    bands.clear();
    printer.clear();
    m_page.reset();
}

ReportComponent *ReportLayout::find(const QString &name) const
{
    for (const auto &band : bands) {
        if (band->name.compare(name, Qt::CaseInsensitive) == 0)
            return band.get();
        for (const auto &object : band->objects)
            if (object->name.compare(name, Qt::CaseInsensitive) == 0)
                return object.get();
    }
    return nullptr;
}

ReportBand *ReportLayout::bandOf(const ReportComponent &object) const
{
    for (const auto &band : bands)
        for (const auto &o : band->objects)
            if (o.get() == &object)
                return band.get();
    return nullptr;
}

ReportBand *ReportLayout::headerOf(const ReportBand &dataBand) const
{
    for (const auto &band : bands)
        if (band->kind == ReportBand::Kind::Header && band->dataBand.compare(dataBand.name, Qt::CaseInsensitive) == 0)
            return band.get();
    return nullptr;
}

} // namespace report

#pragma once

#include "reportcomponent.h"
#include "reportobject.h"

#include <memory>
#include <vector>

namespace report {

// A horizontal strip of the page. Bands are output one below the other in layout order;
// a data band once per record of its data source, right after its header band.
class ReportBand : public ReportComponent {
public:
    enum class Kind { Title, Header, Data, Summary };

    ReportBand(QString name, Kind kind) : ReportComponent(std::move(name)), kind(kind) {}

    Kind kind;
    QString dataSource;              // data band: the user name of its source
    QString dataBand;                // header band: the data band it heads
    bool printIfDetailEmpty = false; // header band: output also when its data band has no records
    std::vector<std::unique_ptr<ReportObject>> objects;
};

} // namespace report

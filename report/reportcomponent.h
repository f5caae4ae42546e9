#pragma once

#include <QString>

namespace report {

// What bands and the objects inside them share: a name the program finds them by, a
// rectangle in units and a visibility that the program may change before each output.
class ReportComponent {
public:
    explicit ReportComponent(QString name) : name(std::move(name)) {}
    virtual ~ReportComponent() = default;

    QString name;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool visible = true;

protected:
    ReportComponent(const ReportComponent &) = default;
    ReportComponent &operator=(const ReportComponent &) = default;
};

} // namespace report

#pragma once

#include "reportcomponent.h"

#include <memory>

class QPainter;
class QRectF;

namespace report {

// An object inside a band. The output keeps a copy of each object as it was when its band
// was output, so later changes by the program do not reach pages already prepared.
class ReportObject : public ReportComponent {
public:
    using ReportComponent::ReportComponent;

    virtual std::unique_ptr<ReportObject> clone() const = 0;
    // Called on the output copy; `availableWidth` is the room in units from the object's
    // left edge to the paper's right edge.
    virtual void prepareOutput(double availableWidth) { (void)availableWidth; }
    // Height the object takes in the output: its height, or more for text that grows.
    virtual double outputHeight() const { return height; }
    // An object that paints nothing takes no room in its band (an empty picture).
    virtual bool paintsNothing() const { return false; }
    // Paints into `area` (device pixels); `scale` is device pixels per unit.
    virtual void paint(QPainter &painter, const QRectF &area, double scale) const = 0;
};

} // namespace report

#pragma once

#include <QByteArray>
#include <QString>

namespace report {

class ReportLayout;

// Reads the layout file format: a <report> holding at most one <page> (paper and margins in
// millimetres) whose <band> elements (title, header, data, summary) hold <picture>, <text>
// and <barcode> objects, positions and sizes in units of 1/96 inch.
class LayoutReader {
public:
    // Replaces `layout` with the design in `xml`. Raises LayoutError, naming `origin` and the
    // line, when the text is not such a layout; `layout` is then left empty.
    static void read(const QByteArray &xml, const QString &origin, ReportLayout &layout);
};

} // namespace report

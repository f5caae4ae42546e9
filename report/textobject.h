#pragma once

#include "reportobject.h"

#include <QColor>
#include <QFont>
#include <QStringList>

namespace report {

// A text whose "[name]" expressions the report fills in through its GetValue callback. It
// wraps at its width and grows downwards when its lines need more than its height.
class TextObject : public ReportObject {
public:
    using ReportObject::ReportObject;

    std::unique_ptr<ReportObject> clone() const override;
    // Lays `text` out in lines; the report has replaced its expressions by then.
    void prepareOutput(double availableWidth) override;
    double outputHeight() const override;
    void paint(QPainter &painter, const QRectF &area, double scale) const override;

    const QStringList &outputLines() const { return m_lines; }

    QString text; // may hold "[name]" expressions
    QFont font;   // size in points
    QColor color = Qt::black;

private:
    QStringList m_lines;
    double m_lineSpacing = 0;
    double m_ascent = 0;
};

} // namespace report

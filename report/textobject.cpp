#include "textobject.h"

#include "reportunits.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

namespace report {
namespace {

// Unhinted outlines scale linearly, so a layout measured in units paints the same lines at
// any device resolution.
QFont outputFont(const QFont &font)
{
    QFont f = font;
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// A device of one unit per pixel to measure text in units.
const QPaintDevice &unitDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = qRound(kUnitsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

} // namespace

std::unique_ptr<ReportObject> TextObject::clone() const
{
    return std::make_unique<TextObject>(*this);
}

void TextObject::prepareOutput(double availableWidth)
{
    const QFont f = outputFont(font);
    const QFontMetricsF metrics(f, const_cast<QPaintDevice *>(&unitDevice()));
    m_lineSpacing = metrics.lineSpacing();
    m_ascent = metrics.ascent();
    m_lines.clear();

    QString shown = text;
    shown.remove(u'\r');
    shown.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(shown, f, const_cast<QPaintDevice *>(&unitDevice()));
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const double wrapWidth = std::max(1.0, std::min(width, availableWidth));
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(wrapWidth);
        QString part = shown.mid(line.textStart(), line.textLength());
        part.remove(QChar::LineSeparator);
        m_lines << part;
    }
    layout.endLayout();
}

double TextObject::outputHeight() const
{
    return std::max(height, m_lines.size() * m_lineSpacing);
}

void TextObject::paint(QPainter &painter, const QRectF &area, double scale) const
{
    painter.save();
    painter.setFont(outputFont(font));
    painter.setPen(color);
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        painter.drawText(QPointF(area.left(), area.top() + (i * m_lineSpacing + m_ascent) * scale), m_lines.at(i));
    painter.restore();
}

} // namespace report

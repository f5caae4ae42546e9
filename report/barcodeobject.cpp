#include "barcodeobject.h"

#include "code128encoder.h"
#include "interleaved2of5encoder.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace report {

BarcodeObject::BarcodeObject(QString name) : ReportObject(std::move(name))
{
    encode();
}

std::unique_ptr<ReportObject> BarcodeObject::clone() const
{
    return std::make_unique<BarcodeObject>(*this);
}

void BarcodeObject::setSymbology(Symbology symbology)
{
    m_symbology = symbology;
    encode();
}

void BarcodeObject::setText(const QString &text)
{
    m_text = text;
    encode();
}

void BarcodeObject::encode()
{
    m_symbol = m_symbology == Symbology::Code128C ? Code128Encoder::encode(m_text)
                                                  : Interleaved2of5Encoder::encode(m_text);
}

void BarcodeObject::paint(QPainter &painter, const QRectF &area, double scale) const
{
    painter.save();
    painter.setFont(font);
    const double textHeight = m_symbol.humanText.isEmpty() ? 0 : QFontMetricsF(font, painter.device()).height();
    const double barHeight = std::max(0.0, area.height() - textHeight);

    double symbolWidth = 0;
    const double left = std::round(area.left());
    if (m_symbol.hasBars()) {
        const int modules = m_symbol.modules();
        double units = modules * zoom;
        if (m_availableWidth > 0 && units > m_availableWidth)
            units = m_availableWidth;
        // Whole device pixels per module keep every bar of one width equally wide.
        double module = units * scale / modules;
        if (module >= 1)
            module = std::floor(module);
        double x = left;
        for (qsizetype i = 0; i < m_symbol.widths.size(); ++i) {
            const double w = m_symbol.widths.at(i) * module;
            if (i % 2 == 0)
                painter.fillRect(QRectF(x, area.top(), w, barHeight), Qt::black);
            x += w;
        }
        symbolWidth = x - left;
    } else {
        symbolWidth = area.width();
    }
    if (textHeight > 0) {
        painter.setPen(Qt::black);
        painter.drawText(QRectF(left, area.top() + barHeight, symbolWidth, textHeight),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, m_symbol.humanText);
    }
    painter.restore();
}

} // namespace report

#pragma once

#include "barcodesymbol.h"
#include "reportobject.h"

#include <QFont>

namespace report {

// A one-row barcode with its text printed under the bars. A module is `zoom` units wide;
// a symbol that would run past the paper's edge is narrowed to fit.
class BarcodeObject : public ReportObject {
public:
    enum class Symbology { Code128C, Interleaved2of5 };

    explicit BarcodeObject(QString name);

    std::unique_ptr<ReportObject> clone() const override;
    void prepareOutput(double availableWidth) override { m_availableWidth = availableWidth; }
    void paint(QPainter &painter, const QRectF &area, double scale) const override;

    Symbology symbology() const { return m_symbology; }
    void setSymbology(Symbology symbology);
    const QString &text() const { return m_text; }
    void setText(const QString &text);
    // The encoding of the current text; without bars when the symbology cannot hold it.
    const BarcodeSymbol &symbol() const { return m_symbol; }

    double zoom = 1;
    QFont font; // of the text under the bars

private:
    void encode();

    Symbology m_symbology = Symbology::Code128C;
    QString m_text;
    BarcodeSymbol m_symbol;
    double m_availableWidth = -1;
};

} // namespace report

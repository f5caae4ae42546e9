#include "layoutreader.h"

#include "barcodeobject.h"
#include "layouterror.h"
#include "pictureobject.h"
#include "reportlayout.h"
#include "textobject.h"

#include <QColor>
#include <QSet>
#include <QXmlStreamReader>
#include <cmath>

namespace report {
namespace {

class Parser {
public:
    Parser(const QByteArray &xml, const QString &origin) : m_xml(xml), m_origin(origin) {}

    void parse(ReportLayout &layout)
    {
        if (!m_xml.readNextStartElement())
            fail(QStringLiteral("no hay ningún elemento"));
        if (m_xml.name() != u"report")
            fail(QStringLiteral("se esperaba <report>"));
        layout.printer = m_xml.attributes().value(QLatin1String("printer")).toString();
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"page" || !layout.isEmpty())
                unexpected();
            readPage(layout);
        }
        if (m_xml.hasError())
            fail(m_xml.errorString());
        for (const auto &band : layout.bands) {
            if (band->kind != ReportBand::Kind::Header)
                continue;
            const ReportComponent *data = layout.find(band->dataBand);
            const auto *dataBand = dynamic_cast<const ReportBand *>(data);
            if (!dataBand || dataBand->kind != ReportBand::Kind::Data)
                fail(QStringLiteral("la banda %1 no encabeza ninguna banda de datos").arg(band->name));
        }
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw LayoutError(QStringLiteral("%1, línea %2: %3").arg(m_origin).arg(m_xml.lineNumber()).arg(what));
    }

    [[noreturn]] void unexpected() const
    {
        fail(QStringLiteral("elemento <%1> inesperado").arg(m_xml.name()));
    }

    QString text(const char *attribute, bool required = false) const
    {
        if (required && !m_xml.attributes().hasAttribute(QLatin1String(attribute)))
            fail(QStringLiteral("falta el atributo %1").arg(QLatin1String(attribute)));
        return m_xml.attributes().value(QLatin1String(attribute)).toString();
    }

    QString name()
    {
        const QString value = text("name", true);
        if (value.isEmpty() || m_names.contains(value.toLower()))
            fail(QStringLiteral("nombre vacío o repetido: '%1'").arg(value));
        m_names.insert(value.toLower());
        return value;
    }

    double number(const char *attribute, double fallback, bool required = false) const
    {
        const QString value = text(attribute, required);
        if (value.isEmpty() && !required)
            return fallback;
        bool ok = false;
        const double n = value.toDouble(&ok);
        if (!ok || !std::isfinite(n))
            fail(QStringLiteral("%1 no es un número: '%2'").arg(QLatin1String(attribute), value));
        return n;
    }

    bool flag(const char *attribute, bool fallback) const
    {
        const QString value = text(attribute);
        if (value.isEmpty())
            return fallback;
        if (value != u"true" && value != u"false")
            fail(QStringLiteral("%1 debe ser true o false: '%2'").arg(QLatin1String(attribute), value));
        return value == u"true";
    }

    QFont font(const QString &family, double points) const
    {
        QFont f(text("font").isEmpty() ? family : text("font"));
        const double size = number("fontSize", points);
        if (size <= 0)
            fail(QStringLiteral("tamaño de letra no válido"));
        f.setPointSizeF(size);
        return f;
    }

    QColor color() const
    {
        const QString value = text("color");
        if (value.isEmpty())
            return Qt::black;
        const QColor c = QColor::fromString(value);
        if (!c.isValid())
            fail(QStringLiteral("color no válido: '%1'").arg(value));
        return c;
    }

    void readGeometry(ReportComponent &component) const
    {
        component.left = number("left", 0);
        component.top = number("top", 0);
        component.width = number("width", 0);
        component.height = number("height", 0);
        if (component.width < 0 || component.height < 0)
            fail(QStringLiteral("ancho o alto negativo en %1").arg(component.name));
        component.visible = flag("visible", true);
    }

    void readPage(ReportLayout &layout)
    {
        ReportLayout::Page page;
        page.name = text("name");
        page.paperMm = QSizeF(number("paperWidth", 0, true), number("paperHeight", 0, true));
        page.marginLeftMm = number("marginLeft", 0);
        page.marginRightMm = number("marginRight", 0);
        page.marginTopMm = number("marginTop", 0);
        page.marginBottomMm = number("marginBottom", 0);
        if (page.paperMm.width() <= 0 || page.paperMm.height() <= 0)
            fail(QStringLiteral("tamaño de papel no válido"));
        layout.setPage(page);
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"band")
                unexpected();
            layout.bands.push_back(readBand());
        }
    }

    std::unique_ptr<ReportBand> readBand()
    {
        static const QHash<QString, ReportBand::Kind> kinds = {{QStringLiteral("title"), ReportBand::Kind::Title},
                                                               {QStringLiteral("header"), ReportBand::Kind::Header},
                                                               {QStringLiteral("data"), ReportBand::Kind::Data},
                                                               {QStringLiteral("summary"), ReportBand::Kind::Summary}};
        const QString bandName = name();
        const QString kind = text("kind", true);
        if (!kinds.contains(kind))
            fail(QStringLiteral("clase de banda desconocida: '%1'").arg(kind));
        auto band = std::make_unique<ReportBand>(bandName, kinds.value(kind));
        readGeometry(*band);
        if (band->kind == ReportBand::Kind::Data)
            band->dataSource = text("dataSource", true);
        if (band->kind == ReportBand::Kind::Header) {
            band->dataBand = text("dataBand", true);
            band->printIfDetailEmpty = flag("printIfDetailEmpty", false);
        }
        while (m_xml.readNextStartElement())
            band->objects.push_back(readObject());
        return band;
    }

    std::unique_ptr<ReportObject> readObject()
    {
        std::unique_ptr<ReportObject> object;
        if (m_xml.name() == u"picture") {
            auto picture = std::make_unique<PictureObject>(name());
            picture->center = flag("center", true);
            object = std::move(picture);
        } else if (m_xml.name() == u"text") {
            auto memo = std::make_unique<TextObject>(name());
            memo->text = text("text");
            memo->font = font(QStringLiteral("Verdana"), 8);
            memo->color = color();
            object = std::move(memo);
        } else if (m_xml.name() == u"barcode") {
            auto barcode = std::make_unique<BarcodeObject>(name());
            const QString symbology = text("symbology", true);
            if (symbology == u"itf")
                barcode->setSymbology(BarcodeObject::Symbology::Interleaved2of5);
            else if (symbology != u"code128c")
                fail(QStringLiteral("simbología desconocida: '%1'").arg(symbology));
            barcode->setText(text("text"));
            barcode->zoom = number("zoom", 1);
            if (barcode->zoom <= 0)
                fail(QStringLiteral("zoom no válido"));
            barcode->font = font(QStringLiteral("Arial"), 9);
            object = std::move(barcode);
        } else {
            unexpected();
        }
        readGeometry(*object);
        if (m_xml.readNextStartElement())
            unexpected();
        return object;
    }

    mutable QXmlStreamReader m_xml;
    QString m_origin;
    QSet<QString> m_names;
};

} // namespace

void LayoutReader::read(const QByteArray &xml, const QString &origin, ReportLayout &layout)
{
    layout.clear();
    try {
        Parser(xml, origin).parse(layout);
    } catch (...) {
        layout.clear();
        throw;
    }
}

} // namespace report

// The two ticket templates and the built-in layout carry the bands and objects the report
// route addresses by name, with the same kinds and data source bindings.
#include "barcodeobject.h"
#include "pictureobject.h"
#include "textobject.h"
#include "ticketreportroute.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

using namespace report;

namespace {

// "band(kind, source or headed band): object(kind) ..." per band, in layout order.
QStringList structure(const ReportLayout &layout)
{
    QStringList bands;
    for (const auto &band : layout.bands) {
        static const char *kinds[] = {"title", "header", "data", "summary"};
        QString line = band->name + u'(' + QLatin1String(kinds[static_cast<int>(band->kind)]) + u' ' +
                       band->dataSource + band->dataBand + u')' + u':';
        for (const auto &object : band->objects) {
            const char *kind = dynamic_cast<const PictureObject *>(object.get())   ? "picture"
                               : dynamic_cast<const TextObject *>(object.get())    ? "text"
                               : dynamic_cast<const BarcodeObject *>(object.get()) ? "barcode"
                                                                                  : "?";
            line += u' ' + object->name + u'(' + QLatin1String(kind) + u')';
        }
        bands << line;
    }
    return bands;
}

const QStringList kStructure = {
    "ReportTitle1(title ): imgLogotipo(picture) imgLogoPrv(picture)",
    "Header2(header MasterData1): BCCodigoBarrasINI(barcode)",
    "MasterData1(data StringLineasBefore): Memo3(text)",
    "Header1(header MasterData2): BCCodigoBarrasINT(barcode)",
    "MasterData2(data StringLineasAfter): Memo4(text)",
    "ReportSummary1(summary ): BCCodigoBarrasFIN(barcode)",
};

} // namespace

TEST(Templates, CarryTheNamesKindsAndBindingsTheRouteUses)
{
    TicketReportRoute route;
    EXPECT_EQ(structure(route.frxReport1.layout()), kStructure) << "built-in layout";
    for (const char *file : {"ticket_gran_7cm.fr3", "Ticket_peq_5cm.fr3"}) {
        Report report;
        report.loadFromFile(QStringLiteral(ZELVORA_SOURCE_DIR "/informes/") + QLatin1String(file));
        EXPECT_EQ(structure(report.layout()), kStructure) << file;
    }
}

// The provider logos the installation ships are bitmaps (the route loads them as BMP whatever their
// extension) small enough for the provider picture of both templates, which would crop them.
TEST(Templates, ShippedProviderLogosAreBitmapsThatFitBothTemplates)
{
    const QDir resources(QStringLiteral(ZELVORA_SOURCE_DIR "/resources"));
    const QStringList logos = resources.entryList({QStringLiteral("*.lpf")}, QDir::Files);
    ASSERT_FALSE(logos.isEmpty());
    for (const char *file : {"ticket_gran_7cm.fr3", "Ticket_peq_5cm.fr3"}) {
        Report report;
        report.loadFromFile(QStringLiteral(ZELVORA_SOURCE_DIR "/informes/") + QLatin1String(file));
        const auto *picture = dynamic_cast<const ReportObject *>(report.layout().find(QStringLiteral("imgLogoPrv")));
        ASSERT_NE(picture, nullptr) << file;
        for (const QString &logo : logos) {
            const QImage image(resources.filePath(logo), "BMP");
            ASSERT_FALSE(image.isNull()) << logo.toStdString();
            EXPECT_LE(image.width(), picture->width) << file << ' ' << logo.toStdString();
            EXPECT_LE(image.height(), picture->height) << file << ' ' << logo.toStdString();
        }
    }
}

// The two ticket templates and the built-in layout carry the bands and objects the report
// route addresses by name, with the same kinds and data source bindings.
#include "barcodeobject.h"
#include "pictureobject.h"
#include "textobject.h"
#include "ticketreportroute.h"

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

TEST(Templates, SevenCentimetreTemplateHasTheBuiltInSizes)
{
    TicketReportRoute route;
    const ReportLayout &layout = route.frxReport1.layout();
    const ReportLayout::Page &page = layout.page();
    EXPECT_EQ(page.paperMm, QSizeF(71, 297));
    EXPECT_EQ(QList<double>({page.marginLeftMm, page.marginRightMm, page.marginTopMm, page.marginBottomMm}),
              QList<double>({5, 2.5, 4, 4}));
    const struct {
        const char *name;
        double left, top, width, height;
    } sizes[] = {
        {"ReportTitle1", 0, 18.89765, 240.000155, 257.00804},   {"Header2", 0, 336.37817, 240.000155, 75.5906},
        {"MasterData1", 0, 434.64595, 240.000155, 15.11811},    {"Header1", 0, 472.44125, 240.000155, 71.811068},
        {"MasterData2", 0, 566.9295, 240.000155, 15.11811},     {"ReportSummary1", 0, 642.5201, 240.000155, 71.811024},
        {"imgLogotipo", 57.070869, 7.55906, 120, 120},           {"imgLogoPrv", 56.69295, 132.28355, 120, 120},
        {"BCCodigoBarrasINI", 3.779528, 10.08658, 167, 64.25201}, {"Memo3", 0, 0, 264.5671, 13.228346},
        {"BCCodigoBarrasINT", 7.559058, 3.779528, 167, 64.25201}, {"Memo4", 0, 0, 264.566929, 13.228346},
        {"BCCodigoBarrasFIN", 7.559058, 3.77953, 167, 64.25201},
    };
    for (const auto &s : sizes) {
        const ReportComponent *c = route.frxReport1.findObject(QLatin1String(s.name));
        ASSERT_NE(c, nullptr) << s.name;
        EXPECT_EQ(QList<double>({c->left, c->top, c->width, c->height}), QList<double>({s.left, s.top, s.width, s.height}))
            << s.name;
    }
    const auto *memo = static_cast<const TextObject *>(route.frxReport1.findObject(QStringLiteral("Memo3")));
    EXPECT_EQ(memo->text, "[elementBefore]");
    EXPECT_EQ(memo->font.pointSizeF(), 8);
}

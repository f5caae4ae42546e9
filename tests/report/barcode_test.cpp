// Barcodes: the hand-written encoders against known symbols and libzint, and every symbol
// printed on a page read back by a scanner program.
#include "barcodeobject.h"
#include "code128encoder.h"
#include "imageprobe.h"
#include "interleaved2of5encoder.h"
#include "report.h"

#include <gtest/gtest.h>
#include <zint.h>

using namespace report;

namespace {

// Module widths of libzint's symbol for the same text.
QList<int> zintWidths(int symbology, const QByteArray &text)
{
    zint_symbol *symbol = ZBarcode_Create();
    symbol->symbology = symbology;
    symbol->show_hrt = 0;
    symbol->output_options |= BARCODE_NO_QUIET_ZONES;
    QList<int> widths;
    if (ZBarcode_Encode_and_Buffer_Vector(symbol, reinterpret_cast<const unsigned char *>(text.constData()),
                                          static_cast<int>(text.size()), 0) < ZINT_ERROR) {
        const double module = symbol->vector->width / symbol->width;
        double end = 0;
        for (const zint_vector_rect *r = symbol->vector->rectangles; r; r = r->next) {
            if (r->x > end + module / 2)
                widths << qRound((r->x - end) / module);
            widths << qRound(r->width / module);
            end = r->x + r->width;
        }
    }
    ZBarcode_Delete(symbol);
    return widths;
}

QList<int> zintCode128(const QByteArray &text)
{
    return zintWidths(BARCODE_CODE128, text);
}

// A page with one barcode, rendered and scanned.
struct Printed {
    QStringList scanned;
    QList<InkBlock> ink;
    QString problem;
};

Printed print(BarcodeObject::Symbology symbology, const QString &text, double paperMm = 70, double dpi = 203)
{
    Report report;
    report.loadFromData(QStringLiteral(R"(<report><page paperWidth="%1" paperHeight="40" marginLeft="3" marginTop="3">
        <band name="b" kind="title" height="70"><barcode name="c" symbology="code128c" height="64"/></band>
        </page></report>)")
                            .arg(paperMm)
                            .toUtf8(),
                        QStringLiteral("test"));
    auto *barcode = static_cast<BarcodeObject *>(report.findObject(QStringLiteral("c")));
    barcode->setSymbology(symbology);
    barcode->setText(text);
    report.prepare();
    const QImage page = report.prepared().renderPage(0, dpi);
    return {scanBarcodes(page), inkBlocks(page, 2), barcode->symbol().problem};
}

} // namespace

TEST(Code128, DigitPairsGoInCodeSetCTheRestInB)
{
    const struct {
        QString text;
        QList<int> values; // start code, data, switches (99 to C, 100 to B)
    } cases[] = {
        {"12345678901234567890", {105, 12, 34, 56, 78, 90, 12, 34, 56, 78, 90}},
        {"1234", {105, 12, 34}},
        {"123", {105, 12, 100, 19}},
        {"7", {104, 23}},
        {"AB-12", {104, 33, 34, 13, 99, 12}},
        {"ab12345c", {104, 65, 66, 99, 12, 34, 100, 21, 67}},
        {"0000", {105, 0, 0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Code128Encoder::values(c.text), c.values) << c.text.toStdString();

}

TEST(Code128, SymbolsMatchLibzint)
{
    QStringList texts;
    for (int pair = 0; pair < 100; ++pair)
        texts << QString::number(pair).rightJustified(2, u'0');
    for (char c = ' '; c <= '~'; ++c)
        if (c < '0' || c > '9')
            texts << QString(QLatin1Char(c)) + QStringLiteral("x");
    texts << QStringLiteral("12345678901234567890") << QStringLiteral("000000") << QStringLiteral("Ticket");
    for (const QString &text : texts)
        EXPECT_EQ(Code128Encoder::encode(text).widths, zintCode128(text.toLatin1())) << text.toStdString();
}

TEST(Barcode, EveryPrintedSymbolScansBackToItsText)
{
    using S = BarcodeObject::Symbology;
    const struct {
        S symbology;
        QString text;
        QStringList scanned;
        bool problem;
    } cases[] = {
        {S::Code128C, "12345678901234567890", {"CODE-128:12345678901234567890"}, false},
        {S::Code128C, "12345", {"CODE-128:12345"}, false},        // odd digit in set B: read back exactly
        {S::Code128C, "Ref AB-12", {"CODE-128:Ref AB-12"}, false}, // not digits: set B
        {S::Code128C, QStringLiteral("Año"), {}, true},            // outside Code 128: no bars
        {S::Code128C, "", {}, true},
        {S::Interleaved2of5, "1234567890", {"I2/5:1234567890"}, false},
        {S::Interleaved2of5, "12345", {"I2/5:012345"}, false}, // odd count: leading zero
        {S::Interleaved2of5, "12A45", {}, true},               // not digits: no bars
    };
    for (const auto &c : cases) {
        const Printed printed = print(c.symbology, c.text);
        EXPECT_EQ(printed.scanned, c.scanned) << c.text.toStdString();
        EXPECT_EQ(!printed.problem.isEmpty(), c.problem) << c.text.toStdString();
        // Without bars the text is still printed for a person to read.
        if (!c.text.isEmpty()) {
            EXPECT_FALSE(printed.ink.isEmpty()) << c.text.toStdString();
        }
    }
}

TEST(Barcode, ASymbolWiderThanThePaperIsNarrowedAndStillScans)
{
    // 22 digits of Interleaved 2 of 5 need 162 modules (43 mm at one unit each): on 40 mm paper
    // the symbol shrinks to end at the paper's edge.
    const double dpi = 600;
    const Printed printed = print(BarcodeObject::Symbology::Interleaved2of5, QStringLiteral("1234567890123456789012"), 40, dpi);
    EXPECT_EQ(printed.scanned, QStringList{"I2/5:1234567890123456789012"});
}

TEST(Interleaved2of5, WideElementsAreTwiceTheNarrowOnes)
{
    // Start 1111, the pair 1-2 as bars 2,1,1,1,2 interleaved with spaces 1,2,1,1,2, stop 2 1 1.
    const BarcodeSymbol twelve = Interleaved2of5Encoder::encode(QStringLiteral("12"));
    EXPECT_EQ(twelve.humanText, "12");
    EXPECT_EQ(twelve.widths, (QList<int>{1, 1, 1, 1, 2, 1, 1, 2, 1, 1, 1, 1, 2, 2, 2, 1, 1}));

    // libzint draws the same bars with wide elements of three modules; the templates want two.
    const struct {
        QString text;
        QString human;
    } cases[] = {
        {"1234567890", "1234567890"}, {"0987654321", "0987654321"}, {"12345", "012345"},
        {"00", "00"},                 {"99999999", "99999999"},     {"7", "07"},
    };
    for (const auto &c : cases) {
        const BarcodeSymbol symbol = Interleaved2of5Encoder::encode(c.text);
        QList<int> zint = zintWidths(BARCODE_C25INTER, c.text.toLatin1());
        ASSERT_FALSE(zint.isEmpty()) << c.text.toStdString();
        for (int &w : zint)
            w = w == 3 ? 2 : w;
        EXPECT_EQ(symbol.widths, zint) << c.text.toStdString();
        EXPECT_EQ(symbol.humanText, c.human) << c.text.toStdString();
    }
}

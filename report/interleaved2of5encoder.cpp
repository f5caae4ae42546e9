#include "interleaved2of5encoder.h"

#include <algorithm>
#include <memory>
#include <vector>
#include <zint.h>

namespace report {
namespace {

struct SymbolDeleter {
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};

} // namespace

BarcodeSymbol Interleaved2of5Encoder::encode(const QString &text)
{
    if (text.isEmpty())
        return BarcodeSymbol::withoutBars(text, QStringLiteral("texto vacío"));
    if (!std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return BarcodeSymbol::withoutBars(text, QStringLiteral("Interleaved 2 of 5 solo codifica dígitos"));

    const std::unique_ptr<zint_symbol, SymbolDeleter> zint(ZBarcode_Create());
    if (!zint)
        throw std::bad_alloc();
    zint->symbology = BARCODE_C25INTER;
    zint->show_hrt = 0;
    zint->output_options |= BARCODE_NO_QUIET_ZONES;
    const QByteArray data = text.toLatin1();
    if (ZBarcode_Encode_and_Buffer_Vector(zint.get(), reinterpret_cast<const unsigned char *>(data.constData()),
                                          static_cast<int>(data.size()), 0) >= ZINT_ERROR)
        return BarcodeSymbol::withoutBars(text, QString::fromLatin1(zint->errtxt));

    // The vector output holds one rectangle per bar; the gaps between them are the spaces.
    BarcodeSymbol symbol;
    std::vector<const zint_vector_rect *> bars;
    for (const zint_vector_rect *r = zint->vector->rectangles; r; r = r->next)
        bars.push_back(r);
    std::sort(bars.begin(), bars.end(), [](auto a, auto b) { return a->x < b->x; });
    const double module = zint->vector->width / zint->width;
    double end = bars.empty() ? 0 : bars.front()->x;
    for (const zint_vector_rect *bar : bars) {
        if (!symbol.widths.isEmpty())
            symbol.widths << qRound((bar->x - end) / module);
        symbol.widths << qRound(bar->width / module);
        end = bar->x + bar->width;
    }
    symbol.humanText = QString::fromLatin1(reinterpret_cast<const char *>(zint->text));
    return symbol;
}

} // namespace report

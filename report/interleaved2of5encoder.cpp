#include "interleaved2of5encoder.h"

#include <algorithm>

namespace report {
namespace {

// The five elements of each digit, 1 for wide: the first digit of a pair is drawn by the
// bars, the second by the spaces between them.
constexpr const char *kDigits[10] = {"00110", "10001", "01001", "11000", "00101",
                                     "10100", "01100", "00011", "10010", "01010"};

int width(char element)
{
    return element == '1' ? Interleaved2of5Encoder::kWide : 1;
}

} // namespace

BarcodeSymbol Interleaved2of5Encoder::encode(const QString &text)
{
    if (text.isEmpty())
        return BarcodeSymbol::withoutBars(text, QStringLiteral("texto vacío"));
    if (!std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return BarcodeSymbol::withoutBars(text, QStringLiteral("Interleaved 2 of 5 solo codifica dígitos"));

    const QString digits = text.size() % 2 ? u'0' + text : text;
    BarcodeSymbol symbol;
    symbol.humanText = digits;
    symbol.widths = {1, 1, 1, 1}; // start: narrow bar, space, bar, space
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const char *bars = kDigits[digits[i].unicode() - u'0'];
        const char *spaces = kDigits[digits[i + 1].unicode() - u'0'];
        for (int k = 0; k < 5; ++k)
            symbol.widths << width(bars[k]) << width(spaces[k]);
    }
    symbol.widths << kWide << 1 << 1; // stop: wide bar, narrow space, narrow bar
    return symbol;
}

} // namespace report

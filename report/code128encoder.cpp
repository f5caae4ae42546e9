#include "code128encoder.h"

#include <array>

namespace report {
namespace {

// Bar and space widths of the 107 symbols (value 106 is the stop, with a final bar).
constexpr std::array<const char *, 107> kPatterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

constexpr int kCodeB = 100;
constexpr int kCodeC = 99;
constexpr int kStartB = 104;
constexpr int kStartC = 105;
constexpr int kStop = 106;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QList<int> Code128Encoder::values(const QString &text)
{
    QList<int> values;
    enum { None, B, C } set = None;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype run = 0;
        while (i + run < text.size() && isDigit(text[i + run]))
            ++run;
        if (run >= 2) {
            if (set != C)
                values << (set == None ? kStartC : kCodeC);
            set = C;
            for (const qsizetype end = i + run - run % 2; i < end; i += 2)
                values << (text[i].unicode() - u'0') * 10 + (text[i + 1].unicode() - u'0');
            if (run % 2 == 0)
                continue;
        }
        if (set != B)
            values << (set == None ? kStartB : kCodeB);
        set = B;
        values << text[i].unicode() - 32;
        ++i;
    }
    return values;
}

BarcodeSymbol Code128Encoder::encode(const QString &text)
{
    if (text.isEmpty())
        return BarcodeSymbol::withoutBars(text, QStringLiteral("texto vacío"));
    for (QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 126)
            return BarcodeSymbol::withoutBars(text, QStringLiteral("el carácter '%1' no existe en Code 128").arg(c));
    BarcodeSymbol symbol;
    symbol.humanText = text;
    QList<int> codes = values(text);
    int check = codes.first();
    for (qsizetype k = 1; k < codes.size(); ++k)
        check += static_cast<int>(k) * codes.at(k);
    codes << check % 103 << kStop;
    for (int code : codes)
        for (const char *w = kPatterns[code]; *w; ++w)
            symbol.widths << *w - '0';
    return symbol;
}

} // namespace report

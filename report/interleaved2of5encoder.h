#pragma once

#include "barcodesymbol.h"

namespace report {

// Interleaved 2 of 5 with wide elements twice as wide as narrow ones, the templates' wide-bar
// ratio. It encodes digit pairs only: an odd count of digits gets a leading zero (the usual
// rule for this symbology, which every scanner reads back as the same number); any other
// character gives no bars.
class Interleaved2of5Encoder {
public:
    static constexpr int kWide = 2;

    static BarcodeSymbol encode(const QString &text);
};

} // namespace report

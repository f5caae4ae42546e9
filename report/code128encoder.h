#pragma once

#include "barcodesymbol.h"

namespace report {

// Code 128 with digit pairs in code set C. Whatever set C cannot hold (the odd digit of a
// run, any other printable ASCII character) goes in code set B, so a scanner always reads
// back the exact text. Text outside printable ASCII gives no bars.
class Code128Encoder {
public:
    static BarcodeSymbol encode(const QString &text);
    // Symbol values before the check character, start code included (for tests).
    static QList<int> values(const QString &text);
};

} // namespace report

#pragma once

#include <QList>
#include <QString>

namespace report {

// An encoded one-row barcode: widths in modules, alternately bar and space, starting with a
// bar. When the text cannot be encoded there are no widths and `problem` says why.
struct BarcodeSymbol {
    QList<int> widths;
    QString humanText; // what a scanner reads back, printed under the bars
    QString problem;

    // The text printed alone, for the reason given.
    static BarcodeSymbol withoutBars(const QString &text, const QString &problem) { return {{}, text, problem}; }

    bool hasBars() const { return !widths.isEmpty(); }
    int modules() const
    {
        int n = 0;
        for (int w : widths)
            n += w;
        return n;
    }
};

} // namespace report

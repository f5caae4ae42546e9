#pragma once

#include <QImage>
#include <QList>
#include <QStringList>

// What a person sees on a rendered page, found without reading the program's own data: the
// horizontal strips that hold ink, the barcodes a scanner reads, the text of a PDF.
struct InkBlock {
    int top = 0;
    int bottom = 0; // inclusive
    int left = 0;
    int right = 0; // inclusive
    int height() const { return bottom - top + 1; }
    int width() const { return right - left + 1; }
};

// Runs of rows holding dark pixels, top to bottom; runs closer than `gap` blank rows merge.
QList<InkBlock> inkBlocks(const QImage &image, int gap = 1);
// The symbols zbarimg finds, as "CODE-128:text" or "I2/5:text".
QStringList scanBarcodes(const QImage &image);
// pdftotext's text of a PDF, one entry per non-empty line.
QStringList pdfLines(const QString &pdfPath);

#pragma once

#include <QByteArray>
#include <QImage>

// Pictures decoded from a file's bytes straight into memory. Each raises ImageFormatError when
// the bytes are not a picture of its format, or declare a size beyond the limits below, before
// anything that large is allocated.
namespace picturedecoders {

constexpr int kMaxSide = 32767;
constexpr qint64 kMaxPixels = 50'000'000;

// Through libjpeg; grey, colour and CMYK pictures, as RGB.
QImage decodeJpeg(const QByteArray &bytes);
// Through libpng; transparent parts are laid on white, as they print on a ticket.
QImage decodePng(const QByteArray &bytes);
// A Windows bitmap, through QImage.
QImage decodeBmp(const QByteArray &bytes);

} // namespace picturedecoders

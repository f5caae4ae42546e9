#pragma once

#include <QImage>
#include <QRect>
#include <QString>

// The ticket logo taken from a picture chosen by the user: a Windows bitmap, JPEG or PNG file,
// recognised by its extension alone, case included: ".bmp" ".BMP" ".jpg" ".JPG" ".jpeg" ".JPEG"
// ".png" ".PNG". JPEG and PNG pictures are decoded straight into memory, so no file is written
// on the way. A file that is not a regular file, or whose picture declares an absurd size, is
// refused before it is read.

// Loads the picture into `destination`, fitted into `box`'s width and height when `fit`. False,
// with `destination` unchanged, when the extension is not accepted or the file cannot be read or
// decoded. A failure of the fitting itself (no memory left) reaches the caller.
bool cargarImagen(const QString &fileName, QImage &destination, const QRect &box, bool fit);

// Decode the picture and save it as a Windows bitmap file; raise ImageFormatError or
// FileWriteError.
void convertirJpgABmp(const QString &sourceFile, const QString &bitmapFile);
void convertirPngABmp(const QString &sourceFile, const QString &bitmapFile);

// Scales the picture, up or down, so that it fits width x height with its proportions kept: one
// side equals the box's, the other is at most the box's and at least 1 pixel.
void ajustarBitmap(QImage &bitmap, int width, int height);

// Writes the picture as a Windows bitmap file, replacing it atomically where the directory
// allows it and never leaving it truncated; raises FileWriteError and leaves the old file.
void saveBitmap(const QImage &bitmap, const QString &path);

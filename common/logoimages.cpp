#include "logoimages.h"

#include "atomicwrite.h"
#include "filewriteerror.h"
#include "imageformaterror.h"
#include "picturedecoders.h"
#include "regularfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <new>

namespace {

// Far beyond any logo; a larger file is not read at all.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

QByteArray readPictureFile(const QString &path)
{
    QByteArray bytes;
    switch (const int code = platform::readRegularFile(path, kMaxFileSize, &bytes)) {
    case 0:
        return bytes;
    case EINVAL:
        throw ImageFormatError(QStringLiteral("%1 no es un fichero").arg(path));
    case EFBIG:
        throw ImageFormatError(QStringLiteral("%1 es demasiado grande").arg(path));
    default:
        throw ImageFormatError(QStringLiteral("No se puede leer %1: %2").arg(path, qt_error_string(code)));
    }
}

using Decoder = QImage (*)(const QByteArray &);

// The decoder for the name's extension, compared exactly; null for any other.
Decoder decoderFor(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return nullptr;
    const QString extension = name.mid(dot);
    if (extension == u".bmp" || extension == u".BMP")
        return picturedecoders::decodeBmp;
    if (extension == u".jpg" || extension == u".JPG" || extension == u".jpeg" || extension == u".JPEG")
        return picturedecoders::decodeJpeg;
    if (extension == u".png" || extension == u".PNG")
        return picturedecoders::decodePng;
    return nullptr;
}

} // namespace

bool cargarImagen(const QString &fileName, QImage &destination, const QRect &box, bool fit)
{
    const Decoder decode = decoderFor(fileName);
    if (!decode)
        return false;
    QImage working;
    try {
        working = decode(readPictureFile(fileName));
    } catch (const std::exception &) {
        return false;
    }
    if (fit)
        ajustarBitmap(working, box.width(), box.height());
    destination = working;
    return true;
}

void convertirJpgABmp(const QString &sourceFile, const QString &bitmapFile)
{
    saveBitmap(picturedecoders::decodeJpeg(readPictureFile(sourceFile)), bitmapFile);
}

void convertirPngABmp(const QString &sourceFile, const QString &bitmapFile)
{
    saveBitmap(picturedecoders::decodePng(readPictureFile(sourceFile)), bitmapFile);
}

void ajustarBitmap(QImage &bitmap, int width, int height)
{
    const qint64 w = bitmap.width();
    const qint64 h = bitmap.height();
    if (w <= 0 || h <= 0 || width <= 0 || height <= 0)
        return;
    qint64 newWidth = width;
    qint64 newHeight = height;
    if (double(width) / double(w) >= double(height) / double(h))
        newWidth = w * height / h;
    else
        newHeight = h * width / w;
    // A very thin picture would otherwise get a side of 0 pixels, which no file can hold.
    bitmap = bitmap.scaled(int(std::max<qint64>(newWidth, 1)), int(std::max<qint64>(newHeight, 1)),
                           Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (bitmap.isNull())
        throw std::bad_alloc();
}

void saveBitmap(const QImage &bitmap, const QString &path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (bitmap.isNull() || !bitmap.save(&buffer, "BMP"))
        throw FileWriteError(path);
    errno = 0;
    if (!platform::writeFileAtomically(path, bytes))
        throw FileWriteError(path, errno ? qt_error_string(errno) : QString());
}

#include "pictureobject.h"

#include "imageformaterror.h"
#include "regularfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace report {

std::unique_ptr<ReportObject> PictureObject::clone() const
{
    return std::make_unique<PictureObject>(*this);
}

void PictureObject::loadFromFile(const QString &path)
{
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty() || !QImageReader::supportedImageFormats().contains(format))
        throw ImageFormatError(QStringLiteral("Extensión de imagen desconocida: %1").arg(path));
    // The name comes from the settings or the print string: only a regular file is read.
    QByteArray bytes;
    if (const int code = platform::readRegularFile(path, kMaxFileSize, &bytes))
        throw ImageFormatError(QStringLiteral("No se puede leer la imagen %1: %2").arg(path, qt_error_string(code)));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    QImage loaded = reader.read();
    if (loaded.isNull())
        throw ImageFormatError(QStringLiteral("No se puede leer la imagen %1: %2").arg(path, reader.errorString()));
    picture = std::move(loaded);
}

void PictureObject::paint(QPainter &painter, const QRectF &area, double scale) const
{
    if (picture.isNull())
        return;
    const QSizeF size(picture.width() * scale, picture.height() * scale);
    const QPointF origin = center ? QPointF(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2)
                                  : area.topLeft();
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.drawImage(QRectF(origin, size), picture);
    painter.restore();
}

} // namespace report

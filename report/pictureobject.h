#pragma once

#include "reportobject.h"

#include <QImage>

namespace report {

// A picture drawn at its own size (one pixel per unit), centred in the object's rectangle
// and cut to it, never stretched.
class PictureObject : public ReportObject {
public:
    using ReportObject::ReportObject;

    std::unique_ptr<ReportObject> clone() const override;
    void paint(QPainter &painter, const QRectF &area, double scale) const override;
    bool paintsNothing() const override { return picture.isNull(); }

    // Far beyond any logo; a larger file is not read at all.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    // The decoder follows the file's extension; raises ImageFormatError when the file is
    // missing, not a regular file, larger than kMaxFileSize, of an unknown kind or not
    // decodable as its extension says.
    void loadFromFile(const QString &path);

    QImage picture;
    bool center = true;
};

} // namespace report

#include "picturedecoders.h"

#include "imageformaterror.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <png.h>

// libjpeg and libpng report errors by longjmp. Each decoder keeps all its state in one job
// object declared before setjmp and runs the libraries from a frame with no C++ objects of its
// own, so the jump skips only C frames.

namespace picturedecoders {
namespace {

bool sizeAllowed(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

const char kTooLarge[] = "tamaño declarado fuera de límites";

// --- JPEG ---

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegJob {
    jpeg_decompress_struct info;
    JpegErrors errors;
    QImage image;
    std::vector<JSAMPLE> cmykRow;
};

[[noreturn]] void jpegFailed(j_common_ptr info)
{
    auto *errors = reinterpret_cast<JpegErrors *>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void jpegQuiet(j_common_ptr) {}

void cmykToRgb(const JSAMPLE *cmyk, uchar *rgb, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; ++c)
            rgb[c] = uchar((inverted ? cmyk[c] : 255 - cmyk[c]) * k / 255);
    }
}

bool runJpeg(JpegJob &job, const QByteArray &bytes)
{
    job.info.err = jpeg_std_error(&job.errors.base);
    job.errors.base.error_exit = jpegFailed;
    job.errors.base.output_message = jpegQuiet;
    job.errors.message[0] = 0;
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    jpeg_create_decompress(&job.info);
    jpeg_mem_src(&job.info, reinterpret_cast<const unsigned char *>(bytes.constData()), (unsigned long)bytes.size());
    jpeg_read_header(&job.info, TRUE);
    if (!sizeAllowed(job.info.image_width, job.info.image_height)) {
        std::strcpy(job.errors.message, kTooLarge);
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    const bool cmyk = job.info.jpeg_color_space == JCS_CMYK || job.info.jpeg_color_space == JCS_YCCK;
    job.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&job.info);
    job.image = QImage(int(job.info.output_width), int(job.info.output_height), QImage::Format_RGB888);
    if (cmyk)
        job.cmykRow.resize(size_t(job.info.output_width) * 4);
    if (job.image.isNull()) {
        std::strcpy(job.errors.message, "sin memoria");
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    while (job.info.output_scanline < job.info.output_height) {
        uchar *line = job.image.scanLine(int(job.info.output_scanline));
        JSAMPROW row = cmyk ? job.cmykRow.data() : line;
        if (jpeg_read_scanlines(&job.info, &row, 1) != 1)
            break;
        if (cmyk)
            cmykToRgb(row, line, job.info.output_width, job.info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&job.info);
    jpeg_destroy_decompress(&job.info);
    return true;
}

// --- PNG ---

struct PngJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const QByteArray *bytes = nullptr;
    qsizetype offset = 0;
    QImage image;
    std::vector<png_bytep> rows;
    char message[200] = {};
};

[[noreturn]] void pngFailed(png_structp png, png_const_charp message)
{
    auto *job = static_cast<PngJob *>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", message);
    png_longjmp(png, 1);
}

void pngQuiet(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep out, size_t length)
{
    auto *job = static_cast<PngJob *>(png_get_io_ptr(png));
    if (qsizetype(length) > job->bytes->size() - job->offset)
        png_error(png, "datos incompletos");
    std::memcpy(out, job->bytes->constData() + job->offset, length);
    job->offset += qsizetype(length);
}

bool runPng(PngJob &job)
{
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, pngFailed, pngQuiet);
    if (!job.png)
        return false;
    job.info = png_create_info_struct(job.png);
    if (!job.info || setjmp(png_jmpbuf(job.png))) {
        png_destroy_read_struct(&job.png, &job.info, nullptr);
        return false;
    }
    png_set_read_fn(job.png, &job, pngRead);
    png_read_info(job.png, job.info);
    const png_uint_32 width = png_get_image_width(job.png, job.info);
    const png_uint_32 height = png_get_image_height(job.png, job.info);
    if (!sizeAllowed(width, height))
        png_error(job.png, kTooLarge);

    const int colorType = png_get_color_type(job.png, job.info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(job.png);
    if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(job.png, job.info) < 8)
        png_set_expand_gray_1_2_4_to_8(job.png);
    const bool transparency = png_get_valid(job.png, job.info, PNG_INFO_tRNS);
    if (transparency)
        png_set_tRNS_to_alpha(job.png);
    png_set_strip_16(job.png);
    if (!(colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(job.png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !transparency)
        png_set_filler(job.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(job.png);
    png_read_update_info(job.png, job.info);
    if (png_get_rowbytes(job.png, job.info) != size_t(width) * 4)
        png_error(job.png, "formato de píxel no previsto");

    job.image = QImage(int(width), int(height), QImage::Format_RGBA8888);
    if (job.image.isNull())
        png_error(job.png, "sin memoria");
    bool rowsAllocated = true;
    try {
        job.rows.resize(height);
    } catch (const std::bad_alloc &) {
        rowsAllocated = false;
    }
    if (!rowsAllocated)
        png_error(job.png, "sin memoria");
    for (png_uint_32 y = 0; y < height; ++y)
        job.rows[y] = job.image.scanLine(int(y));
    png_read_image(job.png, job.rows.data());
    png_read_end(job.png, nullptr);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    return true;
}

// Lays a picture with an alpha channel on white.
QImage onWhite(const QImage &rgba)
{
    QImage rgb(rgba.size(), QImage::Format_RGB888);
    if (rgb.isNull())
        throw ImageFormatError(QStringLiteral("PNG: sin memoria"));
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar *in = rgba.constScanLine(y);
        uchar *out = rgb.scanLine(y);
        for (int x = 0; x < rgba.width(); ++x, in += 4, out += 3) {
            const int alpha = in[3];
            for (int c = 0; c < 3; ++c)
                out[c] = uchar((in[c] * alpha + 255 * (255 - alpha) + 127) / 255);
        }
    }
    return rgb;
}

} // namespace

QImage decodeJpeg(const QByteArray &bytes)
{
    JpegJob job;
    if (!runJpeg(job, bytes))
        throw ImageFormatError(QStringLiteral("JPEG: %1").arg(QString::fromLocal8Bit(job.errors.message)));
    return job.image;
}

QImage decodePng(const QByteArray &bytes)
{
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8) != 0)
        throw ImageFormatError(QStringLiteral("PNG: no es un fichero PNG"));
    PngJob job;
    job.bytes = &bytes;
    if (!runPng(job))
        throw ImageFormatError(QStringLiteral("PNG: %1").arg(QString::fromUtf8(job.message)));
    return onWhite(job.image);
}

QImage decodeBmp(const QByteArray &bytes)
{
    // The header's size, checked before the reader sees it: after the 14 bytes of the file
    // header, an OS/2 header of 12 bytes has 16-bit sides, any later one 32-bit sides (a negative
    // height stands for a picture stored top down).
    if (bytes.size() >= 26 && bytes.startsWith("BM")) {
        const char *info = bytes.constData() + 14;
        const bool core = qFromLittleEndian<quint32>(info) == 12;
        const qint64 width = core ? qFromLittleEndian<quint16>(info + 4) : qFromLittleEndian<qint32>(info + 4);
        const qint64 height = core ? qFromLittleEndian<quint16>(info + 6) : qFromLittleEndian<qint32>(info + 8);
        if (!sizeAllowed(qAbs(width), qAbs(height)))
            throw ImageFormatError(QStringLiteral("BMP: %1").arg(QString::fromUtf8(kTooLarge)));
    }
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    const QSize declared = reader.size();
    if (!declared.isValid())
        throw ImageFormatError(QStringLiteral("BMP: %1").arg(reader.errorString()));
    if (!sizeAllowed(declared.width(), declared.height()))
        throw ImageFormatError(QStringLiteral("BMP: %1").arg(QString::fromUtf8(kTooLarge)));
    QImage image = reader.read();
    if (image.isNull())
        throw ImageFormatError(QStringLiteral("BMP: %1").arg(reader.errorString()));
    return image;
}

} // namespace picturedecoders

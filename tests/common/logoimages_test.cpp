#include "filewriteerror.h"
#include "imageformaterror.h"
#include "logoimages.h"
#include "picturedecoders.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

const QRect kBox(0, 0, 120, 120);

// A picture red on its left half and blue on its right half, in `format`; "PNGA" is a PNG whose
// left half is fully transparent.
QByteArray picture(QSize size, const char *format)
{
    const bool transparent = qstrcmp(format, "PNGA") == 0;
    QImage image(size, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixel(x, y, transparent ? qRgba(0, 0, 0, 0) : qRgb(255, 0, 0));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, transparent ? "PNG" : format)) << format;
    return bytes;
}

// The same picture declaring 60000 x 60000 pixels.
QByteArray absurd(const char *format)
{
    QByteArray bytes = picture(QSize(8, 8), format);
    if (qstrcmp(format, "PNG") == 0) {
        qToBigEndian<quint32>(60000, bytes.data() + 16);
        qToBigEndian<quint32>(60000, bytes.data() + 20);
        const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(bytes.constData() + 12), 17);
        qToBigEndian<quint32>(quint32(crc), bytes.data() + 29);
    } else if (qstrcmp(format, "JPG") == 0) {
        const qsizetype sof = bytes.indexOf("\xFF\xC0");
        qToBigEndian<quint16>(60000, bytes.data() + sof + 5);
        qToBigEndian<quint16>(60000, bytes.data() + sof + 7);
    } else {
        qToLittleEndian<qint32>(60000, bytes.data() + 18);
        qToLittleEndian<qint32>(60000, bytes.data() + 22);
    }
    return bytes;
}

class LogoImagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    }
    void TearDown() override { qunsetenv("TMPDIR"); }

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList files() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) +
               QDir(m_tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_tmp;
};

TEST_F(LogoImagesTest, PicturesAreTakenByTheirExtensionAndFitted)
{
    const struct {
        const char *name;
        const char *format; // what the file holds
        QSize size;
        bool fit;
        QSize result; // empty: refused
    } rows[] = {
        {"a.bmp", "BMP", {400, 300}, true, {120, 90}},
        {"b.BMP", "BMP", {300, 400}, true, {90, 120}},
        {"c.jpg", "JPG", {60, 30}, true, {120, 60}},
        {"d.JPEG", "JPG", {77, 77}, true, {120, 120}},
        {"e.JPG", "JPG", {300, 400}, true, {90, 120}},
        {"f.jpeg", "JPG", {400, 300}, false, {400, 300}},
        {"g.png", "PNG", {1, 1000}, true, {1, 120}},
        {"h.PNG", "PNG", {1000, 1}, true, {120, 1}},
        {"i.png", "PNGA", {40, 40}, true, {120, 120}},
        // 120 * 5 / 7 = 85.7: the short side is truncated, not rounded.
        {"r.bmp", "BMP", {7, 5}, true, {120, 85}},
        {"s.bmp", "BMP", {5, 7}, true, {85, 120}},
        {"j.Bmp", "BMP", {10, 10}, true, {}},
        {"k.gif", "BMP", {10, 10}, true, {}},
        {"l.Jpg", "JPG", {10, 10}, true, {}},
        {"m.pNG", "PNG", {10, 10}, true, {}},
        {"noextension", "PNG", {10, 10}, true, {}},
        {"n.png", "JPG", {10, 10}, true, {}},
        {"o.jpg", "PNG", {10, 10}, true, {}},
        {"p.bmp", "PNG", {10, 10}, true, {}},
    };
    for (const auto &row : rows) {
        const QString name = QString::fromLatin1(row.name);
        const QByteArray source = picture(row.size, row.format);
        write(name, source);
        const QStringList before = files();
        const QImage sentinel(7, 7, QImage::Format_RGB32);
        QImage destination = sentinel;
        const bool loaded = cargarImagen(path(name), destination, kBox, row.fit);
        EXPECT_EQ(loaded, !row.result.isEmpty()) << row.name;
        EXPECT_EQ(files(), before) << row.name << ": no file is left or written";
        EXPECT_EQ(read(name), source) << row.name;
        if (!loaded) {
            EXPECT_EQ(destination, sentinel) << row.name;
            continue;
        }
        EXPECT_EQ(destination.size(), row.result) << row.name;
        // Left red (white where transparent), right blue: the fitting stretches, it does not crop.
        const QRgb left = destination.pixel(0, destination.height() / 2);
        const QRgb right = destination.pixel(destination.width() - 1, destination.height() / 2);
        if (destination.width() > 1) {
            const bool white = qstrcmp(row.format, "PNGA") == 0;
            EXPECT_GT(qRed(left), 200) << row.name;
            EXPECT_EQ(qBlue(left) > 200, white) << row.name;
            EXPECT_LT(qRed(right), 60) << row.name;
            EXPECT_GT(qBlue(right), 200) << row.name;
        }
    }
}

TEST_F(LogoImagesTest, AbsurdDeclaredSizesAreRefusedBeforeDecoding)
{
    const struct {
        const char *format;
        QImage (*decode)(const QByteArray &);
        const char *name;
    } rows[] = {
        {"PNG", picturedecoders::decodePng, "big.png"},
        {"JPG", picturedecoders::decodeJpeg, "big.jpg"},
        {"BMP", picturedecoders::decodeBmp, "big.bmp"},
    };
    for (const auto &row : rows) {
        const QByteArray bytes = absurd(row.format);
        try {
            row.decode(bytes);
            ADD_FAILURE() << row.format << " decoded";
        } catch (const ImageFormatError &e) {
            EXPECT_TRUE(e.message().endsWith(QStringLiteral("tamaño declarado fuera de límites")))
                << row.format << ": " << e.message().toStdString();
        }
        write(QString::fromLatin1(row.name), bytes);
        QImage destination;
        EXPECT_FALSE(cargarImagen(path(QString::fromLatin1(row.name)), destination, kBox, true)) << row.format;
    }
}

TEST_F(LogoImagesTest, OnlyRegularFilesAreRead)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(path(QStringLiteral("fifo.png"))).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder.bmp"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("device.jpg"))));
    // A pipe that holds a whole picture under a picture's name: read, it would be taken.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const QByteArray bitmap = picture({30, 20}, "BMP");
    ASSERT_EQ(::write(ends[1], bitmap.constData(), size_t(bitmap.size())), bitmap.size());
    ::close(ends[1]);
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/fd/%1").arg(ends[0]), path(QStringLiteral("pipe.bmp"))));
    for (const char *name : {"fifo.png", "folder.bmp", "missing.jpg", "device.jpg", "pipe.bmp"}) {
        QImage destination;
        EXPECT_FALSE(cargarImagen(path(QString::fromLatin1(name)), destination, kBox, true)) << name;
    }
    ::close(ends[0]);
}

TEST_F(LogoImagesTest, ConversionsWriteBitmapFilesAndRaiseOnFailure)
{
    write(QStringLiteral("in.jpg"), picture({30, 20}, "JPG"));
    write(QStringLiteral("in.png"), picture({20, 30}, "PNG"));
    convertirJpgABmp(path(QStringLiteral("in.jpg")), path(QStringLiteral("jpg.bmp")));
    convertirPngABmp(path(QStringLiteral("in.png")), path(QStringLiteral("png.bmp")));
    EXPECT_EQ(QImage::fromData(read(QStringLiteral("jpg.bmp")), "BMP").size(), QSize(30, 20));
    EXPECT_EQ(QImage::fromData(read(QStringLiteral("png.bmp")), "BMP").size(), QSize(20, 30));

    // The wrong decoder raises, and the bitmap file already there stays as it was.
    const QByteArray old = read(QStringLiteral("jpg.bmp"));
    EXPECT_THROW(convertirJpgABmp(path(QStringLiteral("in.png")), path(QStringLiteral("jpg.bmp"))), ImageFormatError);
    EXPECT_THROW(convertirPngABmp(path(QStringLiteral("in.jpg")), path(QStringLiteral("jpg.bmp"))), ImageFormatError);
    EXPECT_THROW(convertirJpgABmp(path(QStringLiteral("in.jpg")), path(QStringLiteral("no/such/dir.bmp"))),
                 FileWriteError);
    EXPECT_EQ(read(QStringLiteral("jpg.bmp")), old);
}

} // namespace

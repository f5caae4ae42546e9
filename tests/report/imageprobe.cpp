#include "imageprobe.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

bool isInk(QRgb pixel)
{
    return qGray(pixel) < 128;
}

QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

} // namespace

QList<InkBlock> inkBlocks(const QImage &image, int gap)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QList<InkBlock> blocks;
    int blankRun = gap;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        int left = -1;
        int right = -1;
        for (int x = 0; x < rgb.width(); ++x) {
            if (isInk(row[x])) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left < 0) {
            ++blankRun;
            continue;
        }
        if (blankRun >= gap || blocks.isEmpty()) {
            blocks.append({y, y, left, right});
        } else {
            InkBlock &b = blocks.last();
            b.bottom = y;
            b.left = std::min(b.left, left);
            b.right = std::max(b.right, right);
        }
        blankRun = 0;
    }
    return blocks;
}

QStringList scanBarcodes(const QImage &image)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/page.png");
    image.save(path, "PNG");
    return QString::fromUtf8(runTool(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), path}))
        .split(u'\n', Qt::SkipEmptyParts);
}

QStringList pdfLines(const QString &pdfPath)
{
    QStringList lines;
    for (const QString &line :
         QString::fromUtf8(runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")}))
             .split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    }
    return lines;
}

// Fuzzes one of the logo picture decoders (LOGO_DECODER), then fits the picture into the
// configuration window's box as the window does.
#include "imageformaterror.h"
#include "logoimages.h"
#include "picturedecoders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QImage picture;
    try {
        picture = picturedecoders::LOGO_DECODER(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const ImageFormatError &) {
        return 0;
    }
    if (picture.isNull() || picture.width() > picturedecoders::kMaxSide || picture.height() > picturedecoders::kMaxSide)
        __builtin_trap();
    ajustarBitmap(picture, 120, 120);
    if (picture.width() > 120 || picture.height() > 120 || (picture.width() != 120 && picture.height() != 120))
        __builtin_trap();
    return 0;
}

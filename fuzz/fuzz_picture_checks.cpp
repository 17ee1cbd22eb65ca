// The checks of a picture's own bytes, for every format they know, on any bytes.
#include "resources/PictureData.h"
#include "resources/PictureFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const hop::resources::Claim claim = hop::resources::claimedSize(bytes);
    if (claim.size.isValid() && (claim.size.width() < 0 || claim.size.height() < 0 || claim.bytesPerPixel < 4))
        std::abort();
    for (const char* format : {"bmp", "gif", "jpeg", "png", "xbm", "xpm", "pbm", "pgm", "ppm", "ico"})
        hop::resources::wholeness(format, bytes);
    QByteArray png(bytes.constData(), bytes.size());
    hop::resources::dropUnshownChunks(&png);
    if (png.size() > bytes.size())
        std::abort();
    // As the game does, only for pictures within its limit.
    if (claim.fitsIn(hop::resources::kMaxDecodedBytes))
        hop::resources::decodeRunLength(bytes);
    return 0;
}

// The whole way from a file's bytes to a picture: the game's checks, then Qt's decoders.
// A picture handed back must be whole: with every allocation filled with one byte
// (ASAN_OPTIONS=max_malloc_fill_size), a pixel left unset in a palette picture names a
// colour the palette does not have.
#include "resources/PictureFile.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The first pixel that names a colour the palette lacks, or -1. Uninstrumented: the game
// reads a picture of the largest size it takes in a tenth of a second, and an instrumented
// look at each of its pixels would take longer than the time allowed for a whole input.
__attribute__((no_sanitize("address", "undefined", "coverage"))) qint64 unsetPixel(const QImage& image)
{
    const int width = image.width(), height = image.height(), colours = image.colorCount();
    for (int y = 0; y < height; ++y) {
        const uchar* row = image.constScanLine(y);
        uchar highest = 0;
        for (int x = 0; x < width; ++x)
            highest = row[x] > highest ? row[x] : highest;
        if (highest >= colours)
            for (int x = 0; x < width; ++x)
                if (row[x] >= colours)
                    return qint64(y) * width + x;
    }
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);  // where Qt looks for its decoders
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace hop::resources;
    const LoadedPicture picture = decodePicture(QStringLiteral("fuzz"), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // HOPSTONE_FUZZ_SAY=1, to see what the game would say of each file run by hand.
    static const bool say = qEnvironmentVariableIsSet("HOPSTONE_FUZZ_SAY");
    if (say)
        std::fprintf(stderr, "%s\n", picture.ok() ? qPrintable(QStringLiteral("%1 × %2, format %3").arg(picture.image.width()).arg(picture.image.height()).arg(int(picture.image.format())))
                                                  : qPrintable(picture.error));
    if (!picture.ok())
        return 0;
    const QImage& image = picture.image;
    if (image.isNull() || image.sizeInBytes() > kMaxDecodedBytes)
        std::abort();
    if (image.format() == QImage::Format_Indexed8) {
        if (const qint64 at = unsetPixel(image); at >= 0) {
            std::fprintf(stderr, "pixel (%lld, %lld) names a colour beyond the palette's %d\n", at % image.width(),
                         at / image.width(), int(image.colorCount()));
            std::abort();
        }
    }
    return 0;
}

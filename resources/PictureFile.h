// Reads a picture file by bare name, format from its content, with a clear reason on failure.
#pragma once

#include <QImage>
#include <QString>

namespace hop::res {

struct LoadedPicture {
    QImage image;
    QString error;  // empty when the picture was read; otherwise names the file and the reason
    bool ok() const { return error.isEmpty(); }
};

// Pictures larger than this many pixels are refused before anything is allocated.
inline constexpr qint64 kMaxPicturePixels = 4096LL * 4096LL;

LoadedPicture readPictureFile(const QString& fileName);

} // namespace hop::res

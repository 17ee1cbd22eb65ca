// Reads a picture file by bare name, format from its content, with a clear reason on failure.
#pragma once

#include <QImage>
#include <QString>

namespace hop::resources {

struct LoadedPicture {
    QImage image;
    QString error;  // empty when the picture was read; otherwise names the file and the reason
    bool ok() const { return error.isEmpty(); }
};

// A picture whose decoded pixels would need more memory than this is refused
// before anything is allocated for it (8192 × 8192 at 32 bits still loads).
inline constexpr qint64 kMaxDecodedBytes = 256LL << 20;

// Room for an uncompressed picture right at the decoded limit, with its header.
inline constexpr qint64 kMaxFileBytes = kMaxDecodedBytes + (1 << 20);

// Never blocks: a pipe, a device or a socket under the name is refused, not opened for reading.
LoadedPicture readPictureFile(const QString& fileName);

// The picture in a file's bytes, already read; `fileName` names it in the message.
LoadedPicture decodePicture(const QString& fileName, QByteArray bytes);

} // namespace hop::resources

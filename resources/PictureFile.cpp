// Qt's readers accept some broken files (a BMP cut short comes back "successfully"
// with garbage rows), so the file is checked against its own header first.
#include "resources/PictureFile.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <climits>

namespace hop::res {

namespace {

quint32 le32(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}

quint16 le16(const QByteArray& b, int at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

quint32 be32(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 | quint32(quint8(b[at + 2])) << 8 |
           quint32(quint8(b[at + 3]));
}

// The size a BMP or PNG header claims, read without any decoder, so a header
// promising gigapixels is refused before a decoder could reserve memory for it.
QSize declaredSize(const QByteArray& head)
{
    if (head.size() >= 26 && head.startsWith("BM")) {
        const qint64 w = qint32(le32(head, 18));
        const qint64 h = qAbs(qint64(qint32(le32(head, 22))));
        return QSize(int(qMin<qint64>(w, INT_MAX)), int(qMin<qint64>(h, INT_MAX)));
    }
    if (head.size() >= 24 && head.startsWith("\x89PNG\r\n\x1a\n") && head.mid(12, 4) == "IHDR")
        return QSize(int(qMin<quint32>(be32(head, 16), INT_MAX)), int(qMin<quint32>(be32(head, 20), INT_MAX)));
    return QSize();
}

// An uncompressed BMP must hold every row its header promises.
bool bmpIsComplete(const QByteArray& head, qint64 fileSize)
{
    if (head.size() < 34)
        return false;
    const quint32 offset = le32(head, 10);
    const quint32 infoSize = le32(head, 14);
    if (infoSize < 40)
        return true;  // old OS/2 headers: leave them to the reader
    const qint64 width = qint32(le32(head, 18));
    const qint64 height = qAbs(qint64(qint32(le32(head, 22))));
    const quint16 bits = le16(head, 28);
    const quint32 compression = le32(head, 30);
    if (compression != 0 && compression != 3)
        return true;  // run-length data has no fixed size
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    return qint64(offset) + stride * height <= fileSize;
}

// A JPEG cut short decodes "successfully" as grey; a whole one ends with EOI.
bool jpegIsComplete(QFile& file)
{
    if (file.size() < 4 || !file.seek(file.size() - 2))
        return false;
    const QByteArray tail = file.read(2);
    file.seek(0);
    return tail == QByteArray("\xFF\xD9", 2);
}

QString failure(const QString& fileName, const QString& reason)
{
    return QStringLiteral("ファイル「%1」を読み込めません。\r\n%2").arg(fileName, reason);
}

} // namespace

LoadedPicture readPictureFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return {{}, failure(fileName, QStringLiteral("ファイルが見つかりません。"))};
    if (info.isDir())
        return {{}, failure(fileName, QStringLiteral("同じ名前のフォルダーがあります。"))};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, failure(fileName, QStringLiteral("読み取りが許可されていません。"))};
    if (file.size() == 0)
        return {{}, failure(fileName, QStringLiteral("ファイルが空です。"))};

    // Read before any decoder moves the file position.
    const QByteArray head = file.peek(64);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    QSize size = declaredSize(head);
    const QByteArray format = reader.format();
    if (!size.isValid() && !format.isEmpty())
        size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return {{}, failure(fileName, QStringLiteral("画像が大きすぎます（%1 × %2）。").arg(size.width()).arg(size.height()))};
    if (format.isEmpty() || !reader.canRead())
        return {{}, failure(fileName, QStringLiteral("画像ファイルではありません。"))};
    if (format == "bmp" && !bmpIsComplete(head, file.size()))
        return {{}, failure(fileName, QStringLiteral("画像のデータが途中で切れています。"))};
    if ((format == "jpeg" || format == "jpg") && !jpegIsComplete(file))
        return {{}, failure(fileName, QStringLiteral("画像のデータが途中で切れています。"))};

    QImage image = reader.read();
    if (image.isNull())
        return {{}, failure(fileName, QStringLiteral("画像のデータが壊れています。"))};
    return {image, {}};
}

} // namespace hop::res

// The file is read whole into memory once, no further than the limit, and decoded from there; the decoder's own warnings count as a refusal.
#include "resources/PictureFile.h"

#include "resources/PictureData.h"
#include "resources/RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMutex>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace hop::resources {

namespace {

QString failure(const QString& fileName, const QString& reason)
{
    return QStringLiteral("ファイル「%1」を読み込めません。\r\n%2").arg(fileName, reason);
}

// `count` × `each` bytes, in whole megabytes rounded up; the count may be as large as 2^62.
QString megabytes(qint64 count, int each = 1)
{
    const qint64 mb = 1 << 20;
    return QString::number(count / mb * each + (count % mb * each + mb - 1) / mb);
}

// A size of -1: the file held more than the limit, whatever size it reported.
QString tooLargeFile(qint64 size)
{
    if (size < 0)
        return QStringLiteral("ファイルが大きすぎます（上限の %1 MB を超えています）。").arg(megabytes(kMaxFileBytes));
    return QStringLiteral("ファイルが大きすぎます（%1 MB。上限は %2 MB です）。").arg(megabytes(size), megabytes(kMaxFileBytes));
}

QString notRegular(mode_t mode)
{
    const QString kind = S_ISFIFO(mode)   ? QStringLiteral("名前付きパイプ")
                         : S_ISSOCK(mode) ? QStringLiteral("ソケット")
                         : S_ISCHR(mode) || S_ISBLK(mode) ? QStringLiteral("デバイス")
                                                          : QStringLiteral("特殊ファイル");
    return QStringLiteral("通常のファイルではありません（%1）。").arg(kind);
}

QString openFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        // The game looks for its files by bare name in the folder it was started in.
        return QStringLiteral("フォルダー「%1」にファイルが見つかりません。").arg(currentFolderForDisplay());
    case ELOOP:
        return QStringLiteral("シンボリックリンクが循環しています。");
    case EACCES:
    case EPERM:
        return QStringLiteral("読み取りが許可されていません。");
    default:
        return QStringLiteral("ファイルを開けません（%1）。").arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

// Reads the whole file, or says why not.
QString readWholeFile(const QString& fileName, QByteArray* bytes)
{
    RegularFile file(QFile::encodeName(fileName));
    if (!file.isOpen() && file.error() != 0)
        return openFailure(file.error());
    if (S_ISDIR(file.mode()))
        return QStringLiteral("同じ名前のフォルダーがあります。");
    if (!file.isOpen())
        return notRegular(file.mode());
    if (file.stamp().size > kMaxFileBytes)
        return tooLargeFile(file.stamp().size);
    if (file.readAll(kMaxFileBytes, bytes))
        return {};
    // A file that reported less than it holds says nothing true about its size.
    return file.error() == EFBIG ? tooLargeFile(-1) : openFailure(file.error());
}

// Counts the warnings the decoders report on this thread while one picture is decoded:
// libjpeg's "Corrupt JPEG data", the XPM reader's missing pixels and the like. Decoding is
// serialised, since a message handler is one for the whole program.
class DecoderWarnings {
public:
    DecoderWarnings() : lock_(&mutex())
    {
        thread_ = QThread::currentThread();
        count_ = 0;
        previous_ = qInstallMessageHandler(&DecoderWarnings::handle);
    }
    ~DecoderWarnings() { qInstallMessageHandler(previous_); }
    int count() const { return count_; }

private:
    static QMutex& mutex()
    {
        static QMutex m;
        return m;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (QThread::currentThread() != thread_) {
            if (previous_)
                previous_(type, context, message);
        } else if (type != QtDebugMsg && type != QtInfoMsg)
            ++count_;
    }

    QMutexLocker<QMutex> lock_;
    static inline QThread* thread_ = nullptr;
    static inline int count_ = 0;
    static inline QtMessageHandler previous_ = nullptr;
};

// What decoding the picture takes, as its header tells it: the file's own bytes where
// the game reads them, else the reader's word. A reader on bytes of its own, as some
// (the icon reader) move on while they tell the size.
Claim claim(const QByteArray& bytes)
{
    Claim claimed = claimedSize(bytes);
    if (!claimed.size.isValid()) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        if (reader.canRead())
            claimed.size = reader.size();
    }
    return claimed;
}

} // namespace

LoadedPicture decodePicture(const QString& fileName, QByteArray bytes)
{
    if (bytes.isEmpty())
        return {{}, failure(fileName, QStringLiteral("ファイルが空です。"))};
    // The game draws every picture at 32 bits, so none is counted smaller than that.
    const Claim claimed = claim(bytes);
    const QSize size = claimed.size;
    if (!claimed.fitsIn(kMaxDecodedBytes))
        return {{}, failure(fileName, QStringLiteral("画像が大きすぎます（%1 × %2 ピクセル、読み込むには %3 MB 必要です。上限は %4 MB です）。")
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(megabytes(claimed.pixels(), claimed.bytesPerPixel), megabytes(kMaxDecodedBytes)))};
    dropUnshownChunks(&bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Qt's own limit stays above ours, as a backstop for readers that do not tell their size.
    reader.setAllocationLimit(int(2 * kMaxDecodedBytes >> 20));
    if (!reader.canRead())
        return {{}, failure(fileName, QStringLiteral("画像ファイルではありません。"))};

    // The data is judged before a decoder sees it, so that none allocates or works for
    // what the file does not hold.
    const QByteArray name = reader.format();
    const DataFault fault = wholeness(name, bytes);
    if (fault == DataFault::CutShort)
        return {{}, failure(fileName, QStringLiteral("画像のデータが途中で切れています。"))};
    QImage image;
    int warnings = 0;
    if (std::optional<QImage> runLength = name == "bmp" ? decodeRunLength(bytes) : std::nullopt) {
        image = std::move(*runLength);
    } else if (fault == DataFault::None) {
        const DecoderWarnings caught;
        image = reader.read();
        warnings = caught.count();
    }
    if (image.isNull() || warnings > 0)
        return {{}, failure(fileName, QStringLiteral("画像のデータが壊れています。"))};
    return {image, {}};
}

LoadedPicture readPictureFile(const QString& fileName)
{
    QByteArray bytes;
    const QString error = readWholeFile(fileName, &bytes);
    if (!error.isEmpty())
        return {{}, failure(fileName, error)};
    return decodePicture(fileName, std::move(bytes));
}

} // namespace hop::resources

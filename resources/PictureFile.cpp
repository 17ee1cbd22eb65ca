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

// Room for an uncompressed picture right at the decoded limit, with its header.
constexpr qint64 kMaxFileBytes = kMaxDecodedBytes + (1 << 20);

QString failure(const QString& fileName, const QString& reason)
{
    return QStringLiteral("ファイル「%1」を読み込めません。\r\n%2").arg(fileName, reason);
}

QString megabytes(qint64 bytes)
{
    return QString::number((bytes + (1 << 20) - 1) >> 20);
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

LoadedPicture decode(const QString& fileName, QByteArray bytes)
{
    if (bytes.isEmpty())
        return {{}, failure(fileName, QStringLiteral("ファイルが空です。"))};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Qt's own limit stays above ours, as a backstop for readers that do not tell their size.
    reader.setAllocationLimit(int(2 * kMaxDecodedBytes >> 20));

    QSize size = claimedSize(bytes);
    if (!size.isValid() && reader.canRead())
        size = reader.size();
    // The game draws every picture at 32 bits, so none is counted smaller than that.
    // A broken header can make a reader name a format that does not exist.
    qint64 decodedBytes = qint64(size.width()) * size.height() * 4;
    const QImage::Format format = decodedBytes <= kMaxDecodedBytes ? reader.imageFormat() : QImage::Format_Invalid;
    if (format > QImage::Format_Invalid && format < QImage::NImageFormats)
        decodedBytes = decodedBytes / 32 * qMax(32, int(QImage::toPixelFormat(format).bitsPerPixel()));
    if (size.isValid() && decodedBytes > kMaxDecodedBytes)
        return {{}, failure(fileName, QStringLiteral("画像が大きすぎます（%1 × %2 ピクセル、読み込むには %3 MB 必要です。上限は %4 MB です）。")
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(megabytes(decodedBytes), megabytes(kMaxDecodedBytes)))};
    if (!reader.canRead())
        return {{}, failure(fileName, QStringLiteral("画像ファイルではありません。"))};

    const QByteArray name = reader.format();
    QImage image;
    int warnings = 0;
    {
        const DecoderWarnings caught;
        image = reader.read();
        warnings = caught.count();
    }
    // Data that ends early is named as such, even when the reader gave up on it.
    const DataFault fault = wholeness(name, bytes);
    if (fault == DataFault::CutShort)
        return {{}, failure(fileName, QStringLiteral("画像のデータが途中で切れています。"))};
    if (image.isNull() || fault == DataFault::Broken || warnings > 0)
        return {{}, failure(fileName, QStringLiteral("画像のデータが壊れています。"))};
    return {image, {}};
}

} // namespace

LoadedPicture readPictureFile(const QString& fileName)
{
    QByteArray bytes;
    const QString error = readWholeFile(fileName, &bytes);
    if (!error.isEmpty())
        return {{}, failure(fileName, error)};
    return decode(fileName, std::move(bytes));
}

} // namespace hop::resources

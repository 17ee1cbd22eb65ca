// Both the pictures and the sounds come through here, so they cannot differ in what
// they will open or how far they will read.
#include "resources/RegularFile.h"

#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace hop::resources {

namespace {

ssize_t readSome(int fd, void* into, std::size_t bytes, off_t at)
{
    ssize_t got;
    do
        got = at < 0 ? ::read(fd, into, bytes) : ::pread(fd, into, bytes, at);
    while (got < 0 && errno == EINTR);
    return got;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0.
int utf8Length(const QByteArray& b, qsizetype at)
{
    const auto lead = quint8(b[at]);
    const int n = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (n == 0 || at + n > b.size())
        return 0;
    // The decoder does its work, and finds its errors, when its result becomes a string.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return QString(decoder(b.mid(at, n))).isEmpty() || decoder.hasError() ? 0 : n;
}

} // namespace

RegularFile::RegularFile(const QByteArray& name)
{
    // A device is not even opened: opening some has effects of their own.
    struct stat st;
    if (::fstatat(AT_FDCWD, name.constData(), &st, 0) != 0) {
        error_ = errno;
        return;
    }
    mode_ = st.st_mode;
    if (!S_ISREG(st.st_mode))
        return;
    // O_NONBLOCK: should the name become a FIFO meanwhile, opening it must not wait for a writer.
    fd_ = ::openat(AT_FDCWD, name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        mode_ = st.st_mode;
        ::close(fd_);
        fd_ = -1;
        return;
    }
    stamp_ = {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

RegularFile::~RegularFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int RegularFile::release()
{
    return std::exchange(fd_, -1);
}

bool RegularFile::readAll(qint64 limit, QByteArray* bytes)
{
    // The reported size is only a first guess at how much room to make. Pieces are whole
    // 64 KB, as some files of the system will only be read in multiples of 8 bytes.
    constexpr qint64 kPiece = 1 << 16;
    auto whole = [](qint64 bytes) { return (bytes + kPiece - 1) / kPiece * kPiece; };
    const qint64 most = whole(limit + 1);
    qsizetype room = qsizetype(qMin(whole(qMax<qint64>(stamp_.size + 1, 1)), most));
    bytes->clear();
    for (;;) {
        if (bytes->size() == room)
            room = qsizetype(qMin<qint64>(2 * qint64(room), most));
        if (bytes->capacity() < room)
            bytes->reserve(room);
        const qsizetype had = bytes->size();
        bytes->resize(room);
        const ssize_t got = readSome(fd_, bytes->data() + had, std::size_t(room - had), -1);
        bytes->resize(had + qMax<qsizetype>(got, 0));
        if (got < 0)
            error_ = errno;
        else if (bytes->size() > limit)
            error_ = EFBIG;
        else if (got > 0)
            continue;
        return got == 0;
    }
}

bool readAt(int fd, off_t at, void* into, std::size_t bytes)
{
    auto* out = static_cast<char*>(into);
    while (bytes > 0) {
        const ssize_t got = readSome(fd, out, bytes, at);
        if (got <= 0)
            return false;
        out += got;
        at += got;
        bytes -= std::size_t(got);
    }
    return true;
}

QString currentFolderForDisplay()
{
    QByteArray path(4096, '\0');
    if (::getcwd(path.data(), std::size_t(path.size())) != nullptr) {
        path.truncate(qsizetype(qstrlen(path.constData())));
    } else {
        // The folder has been removed: the system still knows which it was.
        const ssize_t n = ::readlink("/proc/self/cwd", path.data(), std::size_t(path.size()));
        path.truncate(qMax<qsizetype>(n, 0));
        if (path.endsWith(" (deleted)"))
            path.chop(10);
    }
    QString shown;
    for (qsizetype at = 0; at < path.size();) {
        const int n = utf8Length(path, at);
        if (n > 0)
            shown += QString::fromUtf8(path.constData() + at, n);
        else
            shown += QString::asprintf("<x%02X>", quint8(path[at]));
        at += qMax(n, 1);
    }
    return shown;
}

} // namespace hop::resources

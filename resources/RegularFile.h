// Opens the game's files by the bytes of their names, relative to the folder the game
// stands in, without ever blocking on what is not a regular file, and reads them no
// further than a limit, whatever size they report.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <ctime>

namespace hop::resources {

// What tells one version of a file from the next: a file replaced or rewritten while
// the game runs differs in at least one of these.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    bool operator==(const FileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec;
    }
};

class RegularFile {
public:
    // A name without a slash is looked up in the current folder; a folder that has been
    // removed holds nothing, so nothing is read from anywhere else.
    explicit RegularFile(const QByteArray& name);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // When not open: the errno of the failed look-up, or 0 when the name is something
    // other than a regular file, whose kind `mode()` tells.
    int error() const { return error_; }
    mode_t mode() const { return mode_; }
    const FileStamp& stamp() const { return stamp_; }
    // Hands the descriptor over; the caller closes it.
    int release();

    // The whole file, or false with `error()` set (EFBIG as soon as it holds more than
    // `limit` bytes). Read in pieces, so a file that reports too small a size, or none,
    // never costs more than the limit and one piece.
    bool readAll(qint64 limit, QByteArray* bytes);

private:
    int fd_ = -1;
    int error_ = 0;
    mode_t mode_ = 0;
    FileStamp stamp_;
};

// Reads exactly `bytes` at `at`, or false at the end of the file or on an error.
bool readAt(int fd, off_t at, void* into, std::size_t bytes);

// The current folder as a file manager shows it: its bytes decoded as UTF-8, any byte
// that is not shown as <xNN>, so two folders never look alike. Not \xNN: a Japanese
// font draws the backslash as a yen sign. A folder that has been removed is still
// named, as it was.
QString currentFolderForDisplay();

} // namespace hop::resources

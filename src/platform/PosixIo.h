#pragma once

// The pieces the POSIX file layer shares between its files; not for use outside src/platform.
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace nw::fs::detail {

// The fault the move fault hook gives step, 0 for none.
int injected(MoveStep step);

class Fd {
public:
    explicit Fd(int fd = -1)
        : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes and returns the close error, which on network file systems reports a failed write.
    int close() {
        const int rc = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Set by openRegular for an entry that is there but not a regular file.
constexpr int kNotRegular = EBADFD;

// Opens name as a regular file. A listed file may since have been replaced: a link at the name
// is not followed, a FIFO or device does not block the open, and anything but a regular file is
// refused. The descriptor, or -1 with errno set.
int openRegular(int dirfd, const char* name, int flags, struct stat& st, mode_t mode = 0);

// The error of a failed openRegular: whatever stands there instead of a file cannot be used.
ErrorInfo openFailure(int err, const QString& path, bool missingIsPath = false);

// Renames without ever replacing an existing to: a no-replace rename, else a hard link and an
// unlink, else (a file system with neither) a look, then a rename.
int renameNoReplace(int fromDir, const char* from, int toDir, const char* to);

} // namespace nw::fs::detail

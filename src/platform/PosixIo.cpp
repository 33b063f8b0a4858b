#include "platform/PosixIo.h"

#include <cstdio> // RENAME_NOREPLACE
#include <fcntl.h>

namespace nw::fs {

namespace detail {

int injected(MoveStep step) {
    const auto& hook = moveFaultHookService().get();
    return hook ? hook(step) : 0;
}

int openRegular(int dirfd, const char* name, int flags, struct stat& st, mode_t mode) {
    const int fd = ::openat(dirfd, name, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0)
        return -1;
    int err = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : kNotRegular;
    if (err == 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        err = errno;
    if (err != 0) {
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

ErrorInfo openFailure(int err, const QString& path, bool missingIsPath) {
    if (err == ELOOP || err == ENXIO || err == kNotRegular)
        return ErrorInfo::make(ErrPathFileAccess, path);
    return errorFromErrno(err, path, missingIsPath);
}

int renameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    if (::linkat(fromDir, from, toDir, to, 0) == 0) {
        if (::unlinkat(fromDir, from, 0) == 0)
            return 0;
        const int err = errno; // two names would not be a rename
        ::unlinkat(toDir, to, 0);
        return err;
    }
    if (errno == EEXIST)
        return EEXIST;
    struct stat st;
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(fromDir, from, toDir, to) == 0 ? 0 : errno;
}

} // namespace detail

Service<MoveFaultHook>& moveFaultHookService() {
    static Service<MoveFaultHook> hook;
    return hook;
}

} // namespace nw::fs

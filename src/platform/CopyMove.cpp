// The copying half of a move across file systems, and the careful removal of its source.
#include "platform/Crc32.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/PosixIo.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif
#include <unistd.h>

namespace nw::fs {

using namespace detail;

namespace {

constexpr size_t kCopyBlock = size_t(1) << 20;

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

#ifndef O_PATH
#define O_PATH O_RDONLY
#endif

// The folder of path, held open so that every step of a move acts on the same folder, and the
// name in it. Held as a path only: a folder that may be searched but not read still works.
int openParent(const QByteArray& path, Fd& dir, QByteArray& name) {
    const qsizetype slash = path.lastIndexOf('/');
    name = path.mid(slash + 1);
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : path.left(slash);
    dir.reset(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return dir.get() < 0 ? errno : 0;
}

void syncFolder(int dir) {
    Fd readable(::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (readable.get() >= 0)
        ::fsync(readable.get());
}

// A name for a file in passing: hidden from scans, and not one that anything else would take.
QByteArray passingName(const char* prefix) {
    return prefix + QByteArray::number(quint64(QRandomGenerator::global()->generate64()), 36);
}

ssize_t preadAll(int fd, char* buffer, size_t len, qint64 at) {
    size_t done = 0;
    while (done < len) {
        const ssize_t r = ::pread(fd, buffer + done, len - done, off_t(at + qint64(done)));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        done += size_t(r);
    }
    return ssize_t(done);
}

int pwriteAll(int fd, const char* data, size_t len, qint64 at) {
    while (len > 0) {
        const ssize_t w = ::pwrite(fd, data, len, off_t(at));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += w;
        len -= size_t(w);
        at += w;
    }
    return 0;
}

// The copy while it is made: a file without a name where the file system offers one, so that
// nothing is left behind however the process ends; else a file under a hidden temporary name.
class PendingCopy {
public:
    explicit PendingCopy(int dir)
        : dir_(dir) {}
    PendingCopy(const PendingCopy&) = delete;
    PendingCopy& operator=(const PendingCopy&) = delete;
    ~PendingCopy() {
        fd_.reset();
        if (!tempName_.isEmpty())
            ::unlinkat(dir_, tempName_.constData(), 0);
    }
    int fd() const { return fd_.get(); }

    int create() {
#ifdef O_TMPFILE
        fd_.reset(::openat(dir_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (fd_.get() >= 0)
            return 0;
        // EISDIR from kernels that do not know the flag, EOPNOTSUPP from file systems.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
#endif
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = passingName(".namewick-move-");
            fd_.reset(::openat(dir_, name.constData(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (fd_.get() >= 0) {
                tempName_ = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    // Gives the copy its name, never replacing an existing one, and closes it.
    int publish(const QByteArray& name) {
        if (::fstat(fd_.get(), &self_) != 0)
            return errno;
        if (const int err = tempName_.isEmpty() ? linkUnnamed(name)
                                                : renameNoReplace(dir_, tempName_.constData(), dir_,
                                                                  name.constData()))
            return err;
        tempName_.clear();
        published_ = true;
        // Network file systems may report a failed write only here.
        if (const int err = fd_.close()) {
            unpublish(name);
            return err;
        }
        return 0;
    }

    // Takes the name away again, as long as it still names the copy.
    void unpublish(const QByteArray& name) {
        struct stat there;
        if (published_ && ::fstatat(dir_, name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
            there.st_dev == self_.st_dev && there.st_ino == self_.st_ino)
            ::unlinkat(dir_, name.constData(), 0);
        published_ = false;
    }

private:
    int linkUnnamed(const QByteArray& name) {
#ifdef O_TMPFILE
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_.get());
        if (::linkat(AT_FDCWD, self.constData(), dir_, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        if (errno != ENOENT)
            return errno;
        // No /proc: by the descriptor itself, which older kernels allow only the privileged.
        return ::linkat(fd_.get(), "", dir_, name.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
#else
        (void)name;
        return ENOTSUP;
#endif
    }

    int dir_;
    Fd fd_;
    QByteArray tempName_; // empty while the copy has no name, and once it has its own
    bool published_ = false;
    struct stat self_ {};
};

bool allZero(const char* data, size_t len) {
    return len == 0 || (data[0] == 0 && std::memcmp(data, data + 1, len - 1) == 0);
}

// SEEK_DATA or SEEK_HOLE from at, no further than size: at for data where the file system cannot
// tell, size where nothing of the kind follows.
qint64 seekFrom(int fd, qint64 at, int whence, qint64 size) {
    const off_t found = ::lseek(fd, off_t(at), whence);
    if (found < 0)
        return whence == SEEK_DATA && errno != ENXIO ? at : size;
    return std::min(qint64(found), size);
}

// Writes a block of the copy: by the kernel's copy while it works here (it may share blocks or
// copy on a server), else from the buffer that holds what was read.
int writeBlock(int in, int out, const char* buffer, size_t len, qint64 at, bool& kernelCopy) {
    size_t done = 0;
#ifdef __linux__
    while (kernelCopy && done < len) {
        loff_t from = loff_t(at + qint64(done)), to = from;
        const ssize_t n = ::copy_file_range(in, &from, out, &to, len - done, 0);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return errno;
        kernelCopy = false; // not between these files, or the source ended early
    }
#else
    (void)in;
    kernelCopy = false;
#endif
    return pwriteAll(out, buffer + done, len - done, at + qint64(done));
}

// Copies size bytes of the source block by block, asking proceed between blocks. Every byte is
// read and goes into crc; a block within a hole that reads as zeros is not written, so the hole
// stays one. A file system that reports a hole wrongly so costs space, never content.
ErrorInfo copyContent(int in, int out, qint64 size, char* buffer, uint32_t& crc,
                      const QString& source, const QString& destination,
                      const MoveProceed& proceed) {
    bool kernelCopy = true, inHole = false;
    qint64 stretchEnd = 0;
    crc = 0;
    for (qint64 at = 0; at < size;) {
        if (at >= stretchEnd) {
            const qint64 data = seekFrom(in, at, SEEK_DATA, size);
            inHole = data > at;
            stretchEnd = inHole ? data : seekFrom(in, at, SEEK_HOLE, size);
            if (stretchEnd <= at)
                stretchEnd = size;
        }
        const size_t len = size_t(std::min(stretchEnd - at, qint64(kCopyBlock)));
        const ssize_t r = preadAll(in, buffer, len, at);
        if (r < 0)
            return errorFromErrno(errno, source);
        if (size_t(r) != len) // cut short while copied
            return ErrorInfo::make(ErrPathFileAccess, source);
        crc = crc32Update(crc, buffer, len);
        if (!inHole || !allZero(buffer, len))
            if (const int err = writeBlock(in, out, buffer, len, at, kernelCopy))
                return errorFromErrno(err, destination);
        at += qint64(len);
        if (const int err = injected(MoveStep::CopyBlock))
            return errorFromErrno(err, destination);
        if (proceed && !proceed())
            return ErrorInfo::make(ErrUserInterrupt, source);
    }
    if (::ftruncate(out, off_t(size)) != 0) // a hole at the end has nothing written
        return errorFromErrno(errno, destination);
    return {};
}

// Reads the copy back from the disk's side and compares it with what was read from the source.
ErrorInfo verifyCopy(int out, qint64 size, char* buffer, uint32_t sourceCrc, const QString& source,
                     const QString& destination, const MoveProceed& proceed) {
    if (::fsync(out) != 0)
        return errorFromErrno(errno, destination);
    struct stat written;
    if (::fstat(out, &written) != 0)
        return errorFromErrno(errno, destination);
    uint32_t crc = 0;
    qint64 at = 0;
    for (ssize_t r; (r = preadAll(out, buffer, kCopyBlock, at)) != 0; at += r) {
        if (r < 0)
            return errorFromErrno(errno, destination);
        crc = crc32Update(crc, buffer, size_t(r));
        if (proceed && !proceed())
            return ErrorInfo::make(ErrUserInterrupt, source);
    }
    if (const int err = injected(MoveStep::Verify))
        return errorFromErrno(err, destination);
    if (written.st_size != size || at != size || crc != sourceCrc)
        return errorFromErrno(EIO, destination);
    return {};
}

#ifdef __linux__
// An attribute's value, or for a null name the list of names; asked again if it grew meanwhile.
int readAttribute(int fd, const char* name, QByteArray& value) {
    for (;;) {
        const ssize_t size =
            name ? ::fgetxattr(fd, name, nullptr, 0) : ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno;
        value.resize(size);
        const ssize_t got = name ? ::fgetxattr(fd, name, value.data(), size_t(size))
                                 : ::flistxattr(fd, value.data(), size_t(size));
        if (got >= 0) {
            value.resize(got);
            return 0;
        }
        if (errno != ERANGE)
            return errno;
    }
}
#endif

// Copies the extended attributes. Other namespaces than user.* may be refused (labels, trusted.*
// without privilege) and are let go; so are all where the copy's file system keeps none.
int copyAttributes(int in, int out) {
#ifdef __linux__
    QByteArray names, value;
    if (const int err = readAttribute(in, nullptr, names))
        return err == ENOTSUP ? 0 : err;
    for (const QByteArray& name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        int err = readAttribute(in, name.constData(), value);
        if (err == 0 &&
            ::fsetxattr(out, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            err = errno;
        if (err != 0 && err != ENOTSUP && err != ENODATA && name.startsWith("user."))
            return err;
    }
#else
    (void)in;
    (void)out;
#endif
    return 0;
}

// Gives the copy the source's owner, extended attributes, mode and times, in this order: a new
// owner clears setuid, setgid and capabilities, and every change touches the times. An owner or
// mode the copy cannot take is let go, as before this program copied anything.
ErrorInfo copyMetadata(int in, int out, const struct stat& st, const QString& destination) {
    if (::fchown(out, st.st_uid, st.st_gid) != 0) {
        // Not the mover's to give away; the copy keeps the mover's ownership.
    }
    if (const int err = copyAttributes(in, out))
        return errorFromErrno(err, destination);
    ::fchmod(out, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (::fsync(out) != 0)
        return errorFromErrno(errno, destination);
    return {};
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether now is the file that was copied, as it was then. A rename changes the change time, so
// after one only the modification time and size can tell.
bool unchanged(const struct stat& was, const struct stat& now, bool byChangeTime) {
    return S_ISREG(now.st_mode) && now.st_dev == was.st_dev && now.st_ino == was.st_ino &&
           now.st_size == was.st_size && sameTime(now.st_mtim, was.st_mtim) &&
           (!byChangeTime || sameTime(now.st_ctim, was.st_ctim));
}

// Removes the source, but only while its name still holds the very file that was copied,
// unchanged: a file saved anew under the name, or written to, stays. The name is first moved to a
// private one, so nothing can come in between the last look and the removal; a file found
// changed there goes back under its name.
ErrorInfo removeSource(int dir, const QByteArray& name, const struct stat& was,
                       const QString& source) {
    ErrorInfo changed = ErrorInfo::make(ErrPathFileAccess, source);
    struct stat now;
    if (::fstatat(dir, name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !unchanged(was, now, true))
        return changed;
    QByteArray hidden;
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        hidden = passingName(".namewick-remove-");
        err = renameNoReplace(dir, name.constData(), dir, hidden.constData());
    }
    if (err != 0)
        return errorFromErrno(err, source);
    ErrorInfo result = changed;
    if (::fstatat(dir, hidden.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        unchanged(was, now, false)) {
        err = injected(MoveStep::RemoveSource);
        if (err == 0 && ::unlinkat(dir, hidden.constData(), 0) != 0)
            err = errno;
        if (err == 0)
            return {};
        result = errorFromErrno(err, source);
    }
    if (renameNoReplace(dir, hidden.constData(), dir, name.constData()) != 0) // a new file came
        result.detail = parentOf(source) + QLatin1Char('/') + decodePath(hidden);
    return result;
}

} // namespace

ErrorInfo copyMove(const QString& source, const QString& destination, const MoveProceed& proceed) {
    Fd srcDir, dstDir;
    QByteArray srcName, dstName;
    if (const int err = openParent(encodePath(source), srcDir, srcName))
        return errorFromErrno(err, source);
    struct stat st;
    Fd in(openRegular(srcDir.get(), srcName.constData(), O_RDONLY, st));
    if (in.get() < 0)
        return openFailure(errno, source);
    if (const int err = openParent(encodePath(destination), dstDir, dstName))
        return errorFromErrno(err, destination, true);
    struct stat existing;
    if (::fstatat(dstDir.get(), dstName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return ErrorInfo::make(ErrFileExists, destination);

    PendingCopy copy(dstDir.get());
    if (const int err = copy.create())
        return errorFromErrno(err, destination, true);
    std::unique_ptr<char[]> buffer(new char[kCopyBlock]);
    uint32_t crc = 0;
    if (ErrorInfo error = copyContent(in.get(), copy.fd(), qint64(st.st_size), buffer.get(), crc,
                                      source, destination, proceed))
        return error;
    if (ErrorInfo error = verifyCopy(copy.fd(), qint64(st.st_size), buffer.get(), crc, source,
                                     destination, proceed))
        return error;
    if (ErrorInfo error = copyMetadata(in.get(), copy.fd(), st, destination))
        return error;
    if (const int err = injected(MoveStep::Publish))
        return errorFromErrno(err, destination);
    if (const int err = copy.publish(dstName))
        return errorFromErrno(err, destination);
    syncFolder(dstDir.get());

    ErrorInfo error = errorFromErrno(injected(MoveStep::CheckSource), source);
    if (!error)
        error = removeSource(srcDir.get(), srcName, st, source);
    if (error) // the source stays, and both would be a duplicate the user did not ask for
        copy.unpublish(dstName);
    return error;
}

} // namespace nw::fs

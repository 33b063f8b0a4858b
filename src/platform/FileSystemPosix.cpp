#include "Crc32.h"
#include "FileSystem.h"
#include "PathCodec.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nw::fs {

namespace {

MoveFaultHook& faultHook() {
    static MoveFaultHook hook;
    return hook;
}

int injected(MoveStep step) {
    const auto& hook = faultHook();
    return hook ? hook(step) : 0;
}

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

int writeAll(int fd, const char* data, qint64 len) {
    while (len > 0) {
        const ssize_t w = ::write(fd, data, size_t(len));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += w;
        len -= w;
    }
    return 0;
}

ssize_t readSome(int fd, char* buffer, size_t capacity) {
    for (;;) {
        const ssize_t r = ::read(fd, buffer, capacity);
        if (r < 0 && errno == EINTR)
            continue;
        return r;
    }
}

constexpr size_t kCopyBlock = size_t(1) << 20;

// Set by openRegular for an entry that is there but not a regular file.
constexpr int kNotRegular = EBADFD;

// Opens name as a regular file. A listed file may since have been replaced: a link at the name
// is not followed, a FIFO or device does not block the open, and anything but a regular file is
// refused. The descriptor, or -1 with errno set.
int openRegular(int dirfd, const char* name, int flags, struct stat& st, mode_t mode = 0) {
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

// The error of a failed openRegular: whatever stands there instead of a file cannot be used.
ErrorInfo openFailure(int err, const QString& path, bool missingIsPath = false) {
    if (err == ELOOP || err == ENXIO || err == kNotRegular)
        return ErrorInfo::make(ErrPathFileAccess, path);
    return errorFromErrno(err, path, missingIsPath);
}

QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

void syncFolder(const QString& folder) {
    Fd dir(::open(encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// Puts from in place as to without ever replacing an existing to.
int publishNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    // A file system without hard links or no-replace renames: test, then rename.
    struct stat st;
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

QChar separator() {
    return QLatin1Char('/');
}

QString folderText(const QString& path) {
    if (path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

Kind kindOf(const QString& path) {
    struct stat st;
    if (::lstat(encodePath(path).constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return Kind::Other;
}

ErrorInfo listFolder(const QString& folder, QStringList& names, QList<Kind>* kinds) {
    names.clear();
    if (kinds)
        kinds->clear();
    const QByteArray encoded = encodePath(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(encoded.constData()), &::closedir);
    if (!dir)
        return errorFromErrno(errno, folder, true);
    const int dfd = ::dirfd(dir.get());
    std::vector<std::pair<QString, Kind>> found;
    bool searchable = false;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir.get());
        if (!e) {
            if (errno != 0)
                return errorFromErrno(errno, folder, true);
            break;
        }
        if (e->d_name[0] == '.')
            continue; // ".", ".." and hidden names
        unsigned char type = e->d_type;
        if (type != DT_UNKNOWN && type != DT_REG && type != DT_DIR)
            continue;
        // Looked up beside the folder's handle until one lookup works: as a lookup by path, it
        // fails for every entry of a folder that may be read but not searched. After that the
        // listing's own type is as good.
        if (!searchable || type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            searchable = true;
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == DT_REG || type == DT_DIR)
            found.emplace_back(decodePath(QByteArray(e->d_name)),
                               type == DT_DIR ? Kind::Folder : Kind::File);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    names.reserve(qsizetype(found.size()));
    if (kinds)
        kinds->reserve(qsizetype(found.size()));
    for (auto& [name, kind] : found) {
        names.append(std::move(name));
        if (kinds)
            kinds->append(kind);
    }
    return {};
}

ErrorInfo fileSize(const QString& path, qint64& size) {
    size = 0;
    struct stat st;
    if (::stat(encodePath(path).constData(), &st) != 0)
        return errorFromErrno(errno, path);
    if (S_ISDIR(st.st_mode))
        return ErrorInfo::make(ErrPathFileAccess, path);
    size = qint64(st.st_size);
    return {};
}

bool fileExists(const QString& path) {
    const Kind k = kindOf(path);
    return k == Kind::File || k == Kind::Other;
}

bool folderExists(const QString& path) {
    struct stat st;
    return ::stat(encodePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

ErrorInfo createFolder(const QString& path) {
    if (::mkdir(encodePath(path).constData(), 0777) != 0)
        return errorFromErrno(errno, path, true);
    return {};
}

ErrorInfo deleteFile(const QString& path) {
    const QByteArray p = encodePath(path);
    struct stat st;
    if (::lstat(p.constData(), &st) != 0)
        return errorFromErrno(errno, path);
    if (S_ISDIR(st.st_mode))
        return ErrorInfo::make(ErrPathFileAccess, path);
    if (::unlink(p.constData()) != 0)
        return errorFromErrno(errno, path);
    return {};
}

ErrorInfo appendToFile(const QString& path, const QByteArray& data) {
    struct stat st;
    Fd fd(openRegular(AT_FDCWD, encodePath(path).constData(), O_WRONLY | O_APPEND | O_CREAT, st,
                      0666));
    if (fd.get() < 0)
        return openFailure(errno, path, true);
    if (const int err = writeAll(fd.get(), data.constData(), data.size()))
        return errorFromErrno(err, path);
    if (const int err = fd.close())
        return errorFromErrno(err, path);
    return {};
}

FileReader::~FileReader() {
    close();
}

ErrorInfo FileReader::open(const QString& path) {
    close();
    path_ = path;
    error_ = {};
    struct stat st;
    const int fd = openRegular(AT_FDCWD, encodePath(path).constData(), O_RDONLY, st);
    if (fd < 0)
        return error_ = openFailure(errno, path);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    size_ = qint64(st.st_size);
    handle_ = fd;
    return {};
}

qint64 FileReader::read(char* buffer, qint64 capacity) {
    if (handle_ < 0)
        return -1;
    const ssize_t r = readSome(int(handle_), buffer, size_t(capacity));
    if (r < 0) {
        error_ = errorFromErrno(errno, path_);
        return -1;
    }
    return r;
}

void FileReader::close() {
    if (handle_ >= 0)
        ::close(int(handle_));
    handle_ = -1;
}

void setMoveFaultHook(MoveFaultHook hook) {
    faultHook() = std::move(hook);
}

ErrorInfo copyMove(const QString& source, const QString& destination, const MoveProceed& proceed) {
    const QByteArray src = encodePath(source);
    const QByteArray dst = encodePath(destination);
    struct stat st;
    Fd in(openRegular(AT_FDCWD, src.constData(), O_RDONLY, st));
    if (in.get() < 0)
        return openFailure(errno, source);

    const QString folder = parentOf(destination);
    QByteArray tmpl = encodePath(folder + QStringLiteral("/.namewick-move-XXXXXX"));
    Fd out(::mkostemp(tmpl.data(), O_CLOEXEC));
    if (out.get() < 0)
        return errorFromErrno(errno, destination, true);
    const QByteArray tmp = tmpl;
    bool keepTemp = false;
    auto dropTemp = [&] {
        if (!keepTemp)
            ::unlink(tmp.constData());
    };

    auto fail = [&](int err, const QString& detail) {
        out.reset();
        dropTemp();
        return errorFromErrno(err, detail);
    };

    std::unique_ptr<char[]> buffer(new char[kCopyBlock]);
    uint32_t sourceCrc = 0;
    qint64 copied = 0;
    for (;;) {
        const ssize_t r = readSome(in.get(), buffer.get(), kCopyBlock);
        if (r < 0)
            return fail(errno, source);
        if (r == 0)
            break;
        sourceCrc = crc32Update(sourceCrc, buffer.get(), size_t(r));
        if (const int err = writeAll(out.get(), buffer.get(), r))
            return fail(err, destination);
        copied += r;
        if (const int err = injected(MoveStep::CopyBlock))
            return fail(err, destination);
        if (proceed && !proceed()) {
            out.reset();
            dropTemp();
            return ErrorInfo::make(ErrUserInterrupt, source);
        }
    }
    if (::fsync(out.get()) != 0)
        return fail(errno, destination);

    // Read back what reached the disk before anything is removed.
    struct stat written;
    if (::fstat(out.get(), &written) != 0)
        return fail(errno, destination);
    if (written.st_size != st.st_size || copied != qint64(st.st_size))
        return fail(EIO, destination);
    if (::lseek(out.get(), 0, SEEK_SET) != 0)
        return fail(errno, destination);
    uint32_t copyCrc = 0;
    for (;;) {
        const ssize_t r = readSome(out.get(), buffer.get(), kCopyBlock);
        if (r < 0)
            return fail(errno, destination);
        if (r == 0)
            break;
        copyCrc = crc32Update(copyCrc, buffer.get(), size_t(r));
    }
    if (const int err = injected(MoveStep::Verify))
        return fail(err, destination);
    if (copyCrc != sourceCrc)
        return fail(EIO, destination);

    ::fchmod(out.get(), st.st_mode & 07777);
    if (::fchown(out.get(), st.st_uid, st.st_gid) != 0) {
        // Not the owner's to give away; the copy keeps the mover's ownership.
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.get(), times);
    if (const int err = out.close())
        return fail(err, destination);

    if (const int err = injected(MoveStep::Publish))
        return fail(err, destination);
    if (const int err = publishNoReplace(tmp, dst))
        return fail(err, destination);
    keepTemp = true; // the name now belongs to the destination
    syncFolder(folder);

    int err = injected(MoveStep::RemoveSource);
    if (err == 0 && ::unlink(src.constData()) != 0)
        err = errno;
    if (err != 0) {
        // Keeping both copies would leave a duplicate the user did not ask for.
        ::unlink(dst.constData());
        return errorFromErrno(err, source);
    }
    return {};
}

ErrorInfo moveFile(const QString& source, const QString& destFolder, const MoveProceed& proceed) {
    const QString name = source.mid(source.lastIndexOf(QLatin1Char('/')) + 1);
    const QString destination = folderText(destFolder) + name;
    const QByteArray src = encodePath(source);
    const QByteArray dst = encodePath(destination);

    struct stat st;
    if (::lstat(src.constData(), &st) != 0)
        return errorFromErrno(errno, source);
    if (S_ISDIR(st.st_mode))
        return ErrorInfo::make(ErrPathFileAccess, source);
    if (!folderExists(destFolder))
        return ErrorInfo::make(ErrPathNotFound, destFolder);
    struct stat existing;
    if (::lstat(dst.constData(), &existing) == 0)
        return ErrorInfo::make(ErrFileExists, destination);

    int err = injected(MoveStep::Rename);
    if (err == 0) {
#ifdef RENAME_NOREPLACE
        if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) ==
            0)
            return {};
        err = errno;
        if (err == EINVAL || err == ENOSYS || err == ENOTSUP)
            err = publishNoReplace(src, dst);
#else
        err = publishNoReplace(src, dst);
#endif
        if (err == 0)
            return {};
    }
    if (err == EXDEV)
        return copyMove(source, destination, proceed);
    return errorFromErrno(err, err == EEXIST ? destination : source);
}

} // namespace nw::fs

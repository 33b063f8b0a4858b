#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/PosixIo.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nw::fs {

using namespace detail;

namespace {

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

ErrorInfo listFolder(const QString& folder, QStringList& names, QList<Kind>* kinds,
                     const std::function<void()>& listing) {
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
    for (int entry = 1;; ++entry) {
        if (listing && entry % ListingStep == 0)
            listing();
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

bool removeEmptyFolder(const QString& path) {
    return ::rmdir(encodePath(path).constData()) == 0;
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
    if (err == 0)
        err = renameNoReplace(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData());
    if (err == 0)
        return {};
    if (err == EXDEV)
        return copyMove(source, destination, proceed);
    return errorFromErrno(err, err == EEXIST ? destination : source);
}

} // namespace nw::fs

// The file-system services on platforms without POSIX calls (Windows), over Qt's classes.
#include "platform/Crc32.h"
#include "platform/FileSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace nw::fs {

namespace {

constexpr qint64 kCopyBlock = qint64(1) << 20;

int injected(MoveStep step) {
    const auto& hook = moveFaultHookService().get();
    return hook ? hook(step) : 0;
}

// The error for a path that is not there. A file standing where the path needs a folder is "Path
// not found", as the POSIX layer reports it; otherwise missingIsPath decides.
ErrorInfo missingError(const QString& path, bool missingIsPath = false) {
    QFileInfo up(QFileInfo(path).absolutePath());
    while (!up.exists() && !up.isRoot())
        up.setFile(up.absolutePath());
    const bool blocked = up.exists() && !up.isDir();
    return ErrorInfo::make(blocked || missingIsPath ? ErrPathNotFound : ErrFileNotFound, path);
}

// Why a file did not open, which Qt does not say: creating, a missing folder is "Path not found".
ErrorInfo openError(const QString& path, bool creating) {
    if (kindOf(path) != Kind::Missing || (creating && folderExists(QFileInfo(path).absolutePath())))
        return ErrorInfo::make(ErrPermissionDenied, path);
    return missingError(path, creating);
}

ErrorInfo fromFile(const QFileDevice& f, const QString& path) {
    switch (f.error()) {
    case QFileDevice::NoError:
        return {};
    case QFileDevice::ResourceError:
        return ErrorInfo::make(ErrDiskFull, path);
    case QFileDevice::PermissionsError:
        return ErrorInfo::make(ErrPermissionDenied, path);
    default:
        return ErrorInfo::make(ErrPathFileAccess, path);
    }
}

// Whether a rename can carry a file from one folder to the other. Where it cannot, QFile::rename
// would copy by itself, unchecked, so such moves go through copyMove instead.
bool sameVolume(const QString& file, const QString& folder) {
    const QStorageInfo from(QFileInfo(file).absolutePath());
    const QStorageInfo to(folder);
    return from.isValid() && to.isValid() && from.rootPath() == to.rootPath() &&
           from.device() == to.device();
}

// Removes a copy of ours, read-only or not (Windows removes no read-only file).
void discard(QFile& copy) {
    copy.close();
    copy.setPermissions(copy.permissions() | QFileDevice::WriteOwner);
    copy.remove();
}

// What the source was when its copy began; a source no longer so is kept.
struct SourceState {
    explicit SourceState(const QFileInfo& info)
        : size(info.size())
        , modified(info.lastModified())
        , changed(info.metadataChangeTime()) {}
    bool operator==(const SourceState&) const = default;

    qint64 size;
    QDateTime modified;
    QDateTime changed;
};

ErrorInfo removeSource(const QString& source, const SourceState& was) {
    const QFileInfo now(source);
    if (now.isSymLink() || !now.isFile() || SourceState(now) != was)
        return ErrorInfo::make(ErrPathFileAccess, source);
    if (const int err = injected(MoveStep::RemoveSource))
        return errorFromErrno(err, source);
    QFile file(source);
    if (!file.remove())
        return ErrorInfo::make(ErrPermissionDenied, source);
    return {};
}

// Copies in into out block by block, asking proceed between blocks, and reads the copy back;
// both checksums and sizes must agree.
ErrorInfo copyContent(QFile& in, QFile& out, qint64 size, const QString& source,
                      const QString& destination, const MoveProceed& proceed) {
    uint32_t crc = 0;
    qint64 copied = 0;
    QByteArray block;
    while (!(block = in.read(kCopyBlock)).isEmpty()) {
        crc = crc32Update(crc, block.constData(), size_t(block.size()));
        copied += block.size();
        if (out.write(block) != block.size())
            return fromFile(out, destination);
        if (const int err = injected(MoveStep::CopyBlock))
            return errorFromErrno(err, destination);
        if (proceed && !proceed())
            return ErrorInfo::make(ErrUserInterrupt, source);
    }
    if (in.error() != QFileDevice::NoError)
        return fromFile(in, source);
    if (copied != size) // cut short or grown while copied
        return ErrorInfo::make(ErrPathFileAccess, source);
    if (!out.flush() || !out.seek(0))
        return fromFile(out, destination);
    uint32_t copyCrc = 0;
    qint64 readBack = 0;
    while (!(block = out.read(kCopyBlock)).isEmpty()) {
        copyCrc = crc32Update(copyCrc, block.constData(), size_t(block.size()));
        readBack += block.size();
        if (proceed && !proceed())
            return ErrorInfo::make(ErrUserInterrupt, source);
    }
    if (const int err = injected(MoveStep::Verify))
        return errorFromErrno(err, destination);
    if (copyCrc != crc || readBack != size || out.size() != size)
        return ErrorInfo::make(ErrDeviceIO, destination);
    return {};
}

} // namespace

QChar separator() {
    return QDir::separator();
}

QString folderText(const QString& path) {
    if (path.endsWith(separator()) || path.endsWith(QLatin1Char('/')))
        return path;
    return path + separator();
}

Kind kindOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Kind::Missing;
    if (info.isSymLink())
        return Kind::Other;
    if (info.isDir())
        return Kind::Folder;
    return info.isFile() ? Kind::File : Kind::Other;
}

ErrorInfo listFolder(const QString& folder, QStringList& names, QList<Kind>* kinds,
                     const std::function<void()>& listing) {
    names.clear();
    if (kinds)
        kinds->clear();
    QDir dir(folder);
    if (!dir.exists())
        return ErrorInfo::make(ErrPathNotFound, folder);
    std::vector<std::pair<QString, Kind>> found;
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    int entry = 0;
    for (const QFileInfo& info : entries) {
        if (listing && ++entry % ListingStep == 0)
            listing();
        if (info.isSymLink() || info.fileName().startsWith(QLatin1Char('.')))
            continue;
        found.emplace_back(info.fileName(), info.isDir() ? Kind::Folder : Kind::File);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [name, kind] : found) {
        names.append(name);
        if (kinds)
            kinds->append(kind);
    }
    return {};
}

ErrorInfo fileSize(const QString& path, qint64& size) {
    const QFileInfo info(path);
    size = 0;
    if (!info.exists())
        return missingError(path);
    if (info.isDir())
        return ErrorInfo::make(ErrPathFileAccess, path);
    size = info.size();
    return {};
}

bool fileExists(const QString& path) {
    const Kind k = kindOf(path);
    return k == Kind::File || k == Kind::Other;
}

bool folderExists(const QString& path) {
    return QFileInfo(path).isDir();
}

bool removeEmptyFolder(const QString& path) {
    return QDir().rmdir(path);
}

ErrorInfo createFolder(const QString& path) {
    if (folderExists(path))
        return ErrorInfo::make(ErrFileExists, path);
    if (!QDir().mkdir(path))
        return ErrorInfo::make(ErrPathNotFound, path);
    return {};
}

ErrorInfo deleteFile(const QString& path) {
    const Kind kind = kindOf(path);
    if (kind == Kind::Missing)
        return missingError(path);
    if (kind == Kind::Folder)
        return ErrorInfo::make(ErrPathFileAccess, path);
    if (!QFile::remove(path))
        return ErrorInfo::make(ErrPermissionDenied, path);
    return {};
}

ErrorInfo appendToFile(const QString& path, const QByteArray& data) {
    const Kind kind = kindOf(path);
    if (kind != Kind::Missing && kind != Kind::File)
        return ErrorInfo::make(ErrPathFileAccess, path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return openError(path, true);
    if (f.write(data) != data.size() || !f.flush())
        return fromFile(f, path);
    return {};
}

FileReader::~FileReader() {
    close();
}

ErrorInfo FileReader::open(const QString& path) {
    close();
    path_ = path;
    error_ = {};
    const Kind kind = kindOf(path);
    if (kind == Kind::Folder || kind == Kind::Other)
        return error_ = ErrorInfo::make(ErrPathFileAccess, path);
    auto* f = new QFile(path);
    if (!f->open(QIODevice::ReadOnly)) {
        delete f;
        return error_ = openError(path, false);
    }
    size_ = f->size();
    handle_ = reinterpret_cast<intptr_t>(f);
    return {};
}

qint64 FileReader::read(char* buffer, qint64 capacity) {
    if (handle_ < 0)
        return -1;
    auto* f = reinterpret_cast<QFile*>(handle_);
    const qint64 r = f->read(buffer, capacity);
    if (r < 0)
        error_ = fromFile(*f, path_);
    return r;
}

void FileReader::close() {
    if (handle_ >= 0)
        delete reinterpret_cast<QFile*>(handle_);
    handle_ = -1;
}

Service<MoveFaultHook>& moveFaultHookService() {
    static Service<MoveFaultHook> hook;
    return hook;
}

ErrorInfo copyMove(const QString& source, const QString& destination, const MoveProceed& proceed) {
    const QFileInfo info(source);
    if (info.isSymLink() || !info.isFile())
        return info.exists() || info.isSymLink() ? ErrorInfo::make(ErrPathFileAccess, source)
                                                 : missingError(source);
    if (kindOf(destination) != Kind::Missing)
        return ErrorInfo::make(ErrFileExists, destination);
    const SourceState was(info);
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return openError(source, false);
    // Under a hidden name until it is whole, so that no scan lists a part of it.
    QFile out(QFileInfo(destination).absolutePath() + QStringLiteral("/.namewick-move-") +
              QString::number(QRandomGenerator::global()->generate64(), 36));
    if (!out.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        return openError(destination, true);
    ErrorInfo error = copyContent(in, out, was.size, source, destination, proceed);
    if (!error) {
        // The User flags are what this process may do, which for root is everything.
        constexpr QFileDevice::Permissions user =
            QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
        out.setPermissions(info.permissions() & ~user);
        out.setFileTime(was.modified, QFileDevice::FileModificationTime);
        error = errorFromErrno(injected(MoveStep::Publish), destination);
    }
    out.close();
    if (!error && (kindOf(destination) != Kind::Missing || !out.rename(destination)))
        error = ErrorInfo::make(ErrFileExists, destination);
    if (error) {
        discard(out);
        return error;
    }

    in.close(); // Windows removes no open file
    error = errorFromErrno(injected(MoveStep::CheckSource), source);
    if (!error)
        error = removeSource(source, was);
    if (error) // the source stays, and both would be a duplicate the user did not ask for
        discard(out);
    return error;
}

ErrorInfo moveFile(const QString& source, const QString& destFolder, const MoveProceed& proceed) {
    const QString destination = folderText(destFolder) + QFileInfo(source).fileName();
    const Kind kind = kindOf(source);
    if (kind == Kind::Missing)
        return missingError(source);
    if (kind == Kind::Folder)
        return ErrorInfo::make(ErrPathFileAccess, source);
    if (!folderExists(destFolder))
        return ErrorInfo::make(ErrPathNotFound, destFolder);
    if (kindOf(destination) != Kind::Missing)
        return ErrorInfo::make(ErrFileExists, destination);

    int err = injected(MoveStep::Rename);
    if (err == 0 && !sameVolume(source, destFolder))
        err = EXDEV;
    if (err == EXDEV)
        return copyMove(source, destination, proceed);
    if (err != 0)
        return errorFromErrno(err, source);
    if (QFile::rename(source, destination))
        return {};
    if (kindOf(destination) != Kind::Missing)
        return ErrorInfo::make(ErrFileExists, destination);
    return ErrorInfo::make(ErrPermissionDenied, source);
}

} // namespace nw::fs

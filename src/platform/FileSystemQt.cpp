// The file-system services on platforms without POSIX calls (Windows), over Qt's classes.
#include "platform/Crc32.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <vector>

namespace nw::fs {

namespace {

ErrorInfo fromFile(const QFile& f, const QString& path) {
    switch (f.error()) {
    case QFileDevice::NoError:
        return {};
    case QFileDevice::OpenError:
        return ErrorInfo::make(QFileInfo::exists(path) ? ErrPermissionDenied : ErrFileNotFound,
                               path);
    case QFileDevice::ResourceError:
        return ErrorInfo::make(ErrDiskFull, path);
    case QFileDevice::PermissionsError:
        return ErrorInfo::make(ErrPermissionDenied, path);
    default:
        return ErrorInfo::make(ErrPathFileAccess, path);
    }
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

ErrorInfo listFolder(const QString& folder, QStringList& names, QList<Kind>* kinds) {
    names.clear();
    if (kinds)
        kinds->clear();
    QDir dir(folder);
    if (!dir.exists())
        return ErrorInfo::make(ErrPathNotFound, folder);
    std::vector<std::pair<QString, Kind>> found;
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
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
        return ErrorInfo::make(ErrFileNotFound, path);
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
    return kindOf(path) == Kind::Folder;
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
    QFile f(path);
    if (!f.exists())
        return ErrorInfo::make(ErrFileNotFound, path);
    if (!f.remove())
        return ErrorInfo::make(ErrPermissionDenied, path);
    return {};
}

ErrorInfo appendToFile(const QString& path, const QByteArray& data) {
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isFile()))
        return ErrorInfo::make(ErrPathFileAccess, path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return fromFile(f, path);
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
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isFile()))
        return error_ = ErrorInfo::make(ErrPathFileAccess, path);
    auto* f = new QFile(path);
    if (!f->open(QIODevice::ReadOnly)) {
        error_ = fromFile(*f, path);
        delete f;
        return error_;
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
    if (QFileInfo::exists(destination))
        return ErrorInfo::make(ErrFileExists, destination);
    const QFileInfo info(source);
    if (info.isSymLink() || !info.isFile())
        return ErrorInfo::make(ErrPathFileAccess, source);
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fromFile(in, source);
    const QString tmp = destination + QStringLiteral(".namewick-move");
    QFile out(tmp);
    if (!out.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        return fromFile(out, destination);
    auto drop = [&](const ErrorInfo& error) {
        out.remove();
        return error;
    };
    uint32_t crc = 0;
    QByteArray block;
    while (!(block = in.read(1 << 20)).isEmpty()) {
        crc = crc32Update(crc, block.constData(), size_t(block.size()));
        if (out.write(block) != block.size())
            return drop(fromFile(out, destination));
        if (proceed && !proceed())
            return drop(ErrorInfo::make(ErrUserInterrupt, source));
    }
    uint32_t copyCrc = 0;
    if (!out.flush() || !out.seek(0))
        return drop(fromFile(out, destination));
    while (!(block = out.read(1 << 20)).isEmpty())
        copyCrc = crc32Update(copyCrc, block.constData(), size_t(block.size()));
    if (copyCrc != crc || out.size() != size)
        return drop(ErrorInfo::make(ErrDeviceIO, destination));
    out.setFileTime(modified, QFileDevice::FileModificationTime);
    out.close();
    if (!QFile::rename(tmp, destination))
        return drop(ErrorInfo::make(ErrPathFileAccess, destination));
    // The source goes only while it is still the file that was copied, unchanged.
    const QFileInfo now(source);
    in.close();
    const bool changed = now.size() != size || now.lastModified() != modified;
    if (changed || !QFile::remove(source)) {
        QFile::remove(destination);
        return ErrorInfo::make(changed ? ErrPathFileAccess : ErrPermissionDenied, source);
    }
    return {};
}

ErrorInfo moveFile(const QString& source, const QString& destFolder, const MoveProceed& proceed) {
    const QString destination = folderText(destFolder) + QFileInfo(source).fileName();
    if (!QFileInfo::exists(source))
        return ErrorInfo::make(ErrFileNotFound, source);
    if (!folderExists(destFolder))
        return ErrorInfo::make(ErrPathNotFound, destFolder);
    if (QFileInfo::exists(destination))
        return ErrorInfo::make(ErrFileExists, destination);
    if (QDir().rename(source, destination))
        return {};
    return copyMove(source, destination, proceed);
}

} // namespace nw::fs

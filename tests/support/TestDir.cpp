// The test support runs where the POSIX calls are (see Unprivileged.cpp).
#include "support/TestDir.h"
#include "platform/PathCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nw::test {

namespace {

// Empties a folder given by its raw bytes, names that are not UTF-8 and locked folders included.
void removeContents(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            ::chmod(path.constData(), 0700);
            removeContents(path);
            ::rmdir(path.constData());
        } else {
            ::unlink(path.constData());
        }
    }
    ::closedir(dir);
}

} // namespace

TestDir::TestDir()
    : dir_(QDir::tempPath() + QStringLiteral("/namewick-test-XXXXXX")) {}

TestDir::~TestDir() {
    if (dir_.isValid())
        removeContents(nw::encodePath(dir_.path()));
}

QString TestDir::write(const QString& relative, const QByteArray& content,
                       const QDateTime& modified) {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size() || !f.flush() ||
        (modified.isValid() && !f.setFileTime(modified, QFileDevice::FileModificationTime)))
        qFatal("TestDir: cannot write %s", qPrintable(full));
    return full;
}

QString TestDir::mkdir(const QString& relative) {
    QDir().mkpath(file(relative));
    return file(relative);
}

QByteArray TestDir::read(const QString& relative) const {
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestDir::exists(const QString& relative) const {
    return QFileInfo::exists(file(relative));
}

QByteArray readRaw(const QByteArray& path) {
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    char buffer[65536];
    ssize_t r = 0;
    while ((r = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, r);
    ::close(fd);
    return out;
}

QStringList crlfLines(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    if (!bytes.endsWith("\r\n") || bytes.count('\n') != bytes.count("\r\n"))
        return {QStringLiteral("<not CR LF terminated>")};
    QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

ModeGuard::ModeGuard(const QString& path, unsigned mode)
    : path_(QFile::encodeName(path)) {
    struct stat st;
    if (::lstat(path_.constData(), &st) != 0 || ::chmod(path_.constData(), mode_t(mode)) != 0)
        qFatal("ModeGuard: cannot change the mode of %s", path_.constData());
    old_ = st.st_mode & 07777;
}

ModeGuard::~ModeGuard() {
    ::chmod(path_.constData(), mode_t(old_));
}

} // namespace nw::test

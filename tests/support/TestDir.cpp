#include "support/TestDir.h"
#include "platform/PathCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace nw::test {

TestDir::~TestDir() {
    if (dir_.isValid())
        removeContents(nw::encodePath(dir_.path()));
}

TestDir::TestDir()
    : dir_(QDir::tempPath() + QStringLiteral("/namewick-test-XXXXXX")) {}

QString TestDir::file(const QString& relative) const {
    return dir_.path() + QLatin1Char('/') + relative;
}

QString TestDir::write(const QString& relative, const QByteArray& content) {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("TestDir: cannot write %s", qPrintable(full));
    return full;
}

QString TestDir::write(const QString& relative, const QByteArray& content,
                       const QDateTime& modified) {
    const QString full = write(relative, content);
    QFile f(full);
    if (!f.open(QIODevice::ReadWrite) ||
        !f.setFileTime(modified, QFileDevice::FileModificationTime))
        qFatal("TestDir: cannot set the time of %s", qPrintable(full));
    return full;
}

QString TestDir::mkdir(const QString& relative) {
    const QString full = file(relative);
    QDir().mkpath(full);
    return full;
}

QByteArray TestDir::read(const QString& relative) const {
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestDir::exists(const QString& relative) const {
    return QFileInfo::exists(file(relative));
}

} // namespace nw::test

namespace nw::test {

#ifdef Q_OS_UNIX
bool runningAsRoot() {
    return ::geteuid() == 0;
}

ModeGuard::ModeGuard(const QString& path, unsigned mode)
    : path_(QFile::encodeName(path)) {
    struct stat st;
    if (::lstat(path_.constData(), &st) != 0)
        qFatal("ModeGuard: cannot stat %s", path_.constData());
    old_ = st.st_mode & 07777;
    if (::chmod(path_.constData(), mode_t(mode)) != 0)
        qFatal("ModeGuard: cannot chmod %s", path_.constData());
    changed_ = true;
}

ModeGuard::~ModeGuard() {
    if (changed_)
        ::chmod(path_.constData(), mode_t(old_));
}
#else
// Mode bits do not keep anyone from reading here.
bool runningAsRoot() {
    return true;
}
ModeGuard::ModeGuard(const QString&, unsigned) {}
ModeGuard::~ModeGuard() {}
#endif

void removeContents(const QByteArray& folder) {
#ifdef Q_OS_UNIX
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
#else
    Q_UNUSED(folder);
#endif
}

QByteArray readRaw(const QByteArray& path) {
    QByteArray out;
#ifdef Q_OS_UNIX
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    char buffer[65536];
    ssize_t r = 0;
    while ((r = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, r);
    ::close(fd);
#else
    QFile f(QFile::decodeName(path));
    if (f.open(QIODevice::ReadOnly))
        out = f.readAll();
#endif
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

} // namespace nw::test

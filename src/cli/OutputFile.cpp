#include "cli/OutputFile.h"
#include "platform/PathCodec.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nw::cli {

OutputFile::~OutputFile() {
    if (ownFd_)
        ::close(fd_);
}

bool OutputFile::open(const QString& name, QString& error) {
    if (name.isEmpty())
        return true;
    const QByteArray path = encodePath(name);
    struct stat st;
    if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        const int fd = ::open(path.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            error =
                QStringLiteral("%1: %2").arg(name, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        fd_ = fd;
        ownFd_ = true;
        return true;
    }
    file_ = std::make_unique<QSaveFile>(name);
    if (!file_->open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1: %2").arg(name, file_->errorString());
        return false;
    }
    return true;
}

bool OutputFile::isTerminal() const {
    return !file_ && ::isatty(fd_);
}

bool OutputFile::write(const QByteArray& data) {
    if (file_) {
        if (file_->write(data) == data.size())
            return true;
        writeError_ = file_->errorString();
        return false;
    }
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            writeError_ = QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO));
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

bool OutputFile::finish() {
    if (!file_ || file_->commit())
        return true;
    writeError_ = file_->errorString();
    return false;
}

} // namespace nw::cli

#include "TestDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace nw::test {

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

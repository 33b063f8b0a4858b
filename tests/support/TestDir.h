#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace nw::test {

// A temporary folder tree for a test: files with given content, folders, links. It is removed
// with system calls: Qt cannot remove names that are not UTF-8.
class TestDir {
public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;
    bool isValid() const { return dir_.isValid(); }
    // The root, without a trailing separator.
    QString path() const { return dir_.path(); }
    // root + "/" + relative
    QString file(const QString& relative) const { return path() + QLatin1Char('/') + relative; }
    // Writes a file (making its folders), with the given time when it is valid; its full path.
    QString write(const QString& relative, const QByteArray& content = {},
                  const QDateTime& modified = {});
    QString mkdir(const QString& relative);
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const;

private:
    QTemporaryDir dir_;
};

// The content of a file given by its raw bytes (empty when it cannot be read).
QByteArray readRaw(const QByteArray& path);

// The lines of a CR LF text file; one "<not CR LF terminated>" line when any line is not.
QStringList crlfLines(const QByteArray& bytes);

// Gives path the mode bits mode (chmod) until the guard ends, then back what it had, so that
// the temporary tree can still be removed.
class ModeGuard {
public:
    ModeGuard(const QString& path, unsigned mode);
    ~ModeGuard();
    ModeGuard(const ModeGuard&) = delete;
    ModeGuard& operator=(const ModeGuard&) = delete;

private:
    QByteArray path_;
    unsigned old_ = 0;
};

} // namespace nw::test

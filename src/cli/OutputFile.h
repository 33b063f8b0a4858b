#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>

namespace nw::cli {

// Where the results go: standard output, or the file named by --output. A regular file or a new
// name is written beside and renamed into place, so an interrupted run leaves no half file. Any
// other thing that exists (FIFO, device, terminal, also through a link) is written into
// directly: renaming onto it would put a plain file in its place.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Opens the destination (empty name: standard output) before the scan, so that results
    // that could not be delivered fail the run before anything is touched. Opening a FIFO waits
    // for its reader, as a shell's redirection does. False with the reason in error.
    bool open(const QString& name, QString& error);
    bool isTerminal() const;
    // The whole of data, after what was written before; false when any of it could not be
    // written.
    bool write(const QByteArray& data);
    // Puts a file written beside in place, once everything is written; false when it fails.
    bool finish();
    // Why the last write failed.
    const QString& writeError() const { return writeError_; }

private:
    std::unique_ptr<QSaveFile> file_;
    QString writeError_;
    int fd_ = 1;
    bool ownFd_ = false;
};

} // namespace nw::cli

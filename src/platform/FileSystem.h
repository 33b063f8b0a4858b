#pragma once

#include "platform/ErrorCodes.h"
#include "platform/ScopedService.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// The file-system services the engine and the window use. Paths are the program's texts
// (see PathCodec); every call works on the exact bytes of the name it was listed under.
namespace nw::fs {

QChar separator();

// A folder text: the path with a trailing separator, unless it already ends with one.
QString folderText(const QString& path);

enum class Kind { Missing, File, Folder, Other };

// What stands at path, without following a symbolic link. Missing also when it cannot be read.
Kind kindOf(const QString& path);

// Names in a folder that a scan may look at: regular files and folders, no dot-names, no links,
// no special files; in ordinal (UTF-16 code unit) order so the same tree always lists the same.
// An entry that cannot be looked up is left out. kinds, when given, gets each name's kind (File
// or Folder) as it was when listed, so a walk need not look every entry up again by its path.
// listing, when given, is called every ListingStep entries, so that a window stays alive while a
// folder of tens of thousands of entries is read.
inline constexpr int ListingStep = 2048;
ErrorInfo listFolder(const QString& folder, QStringList& names, QList<Kind>* kinds = nullptr,
                     const std::function<void()>& listing = {});

ErrorInfo fileSize(const QString& path, qint64& size);
bool fileExists(const QString& path);   // anything but a folder stands there
bool folderExists(const QString& path); // a folder, or a link to one, stands there
ErrorInfo createFolder(const QString& path);
// Removes the folder only when nothing is in it; false otherwise.
bool removeEmptyFolder(const QString& path);
ErrorInfo deleteFile(const QString& path);

// Appends data to the file, creating it when missing; the whole of data or an error. A link, FIFO
// or anything else but a regular file at path is a "Path/File access error" and is left as it is.
ErrorInfo appendToFile(const QString& path, const QByteArray& data);

// Reads a file from start to end in blocks. Only a regular file opens: a link, FIFO or device at
// path (a listed file replaced since) is a "Path/File access error", never followed or waited on.
class FileReader {
public:
    FileReader() = default;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    ErrorInfo open(const QString& path);
    // Bytes read into buffer, 0 at the end; -1 on an error (see error()).
    qint64 read(char* buffer, qint64 capacity);
    qint64 size() const { return size_; }
    const ErrorInfo& error() const { return error_; }
    void close();

private:
    QString path_;
    ErrorInfo error_;
    qint64 size_ = 0;
    intptr_t handle_ = -1;
};

// Asked between the blocks of a long copy: false abandons the move, which then leaves the
// source untouched and ends "User interrupt occurred".
using MoveProceed = std::function<bool()>;

// Moves source into destFolder under its own name. Never overwrites: an existing name there is
// "File already exists". Within a file system it is one rename that cannot replace anything.
// Across file systems the file is copied into a file without a name (under a hidden temporary
// name only where the file system cannot make nameless files), holes kept; the copy is written to
// the disk, read back and checked against the source by size and checksum, given the source's
// owner where permitted, extended attributes, mode (setuid and setgid included) and times, and
// then named without replacing anything. Only then is the source removed, and only while its name
// still holds the very file that was copied, unchanged (device, inode, size, modification and
// change time); a source replaced or written to meanwhile is kept, the copy removed and the move
// fails with "Path/File access error". Any failure or stop leaves the source where it was and
// nothing new behind, and so does a process ended mid-copy unless the temporary name was needed;
// a source that a new file pushed from its name in the instant of removal is kept under the
// hidden name the error gives.
// A link, FIFO or device given as source is not copied ("Path/File access error").
ErrorInfo moveFile(const QString& source, const QString& destFolder,
                   const MoveProceed& proceed = {});

// The copying half of moveFile, used where a rename cannot work; open for tests.
ErrorInfo copyMove(const QString& source, const QString& destination,
                   const MoveProceed& proceed = {});

// Test seam: called at each step of a move; a non-zero system error code makes that step fail.
// CheckSource comes once the copy has its name, before the source is looked at and removed.
enum class MoveStep { Rename, CopyBlock, Verify, Publish, CheckSource, RemoveSource };
using MoveFaultHook = std::function<int(MoveStep)>;
Service<MoveFaultHook>& moveFaultHookService();

} // namespace nw::fs

#pragma once

#include <QString>

namespace nw {

// Error numbers keep the meaning users and the error-report page know them by.
enum ErrorNumber : int {
    ErrNone = 0,
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrTypeMismatch = 13,
    ErrUserInterrupt = 18,
    ErrBadFileName = 52,
    ErrFileNotFound = 53,
    ErrDeviceIO = 57,
    ErrFileExists = 58,
    ErrDiskFull = 61,
    ErrTooManyFiles = 67,
    ErrDeviceUnavailable = 68,
    ErrPermissionDenied = 70,
    ErrDifferentDrive = 74,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrObjectNotSet = 91,
    ErrFormShownModally = 400,
    ErrCantCreateObject = 429,
};

// The standard text of an error number.
QString errorDescription(int number);

// An error as the procedures hand it on: number, standard text and, where it helps the user,
// the path or value concerned.
struct ErrorInfo {
    int number = ErrNone;
    QString description;
    QString detail;

    bool ok() const { return number == ErrNone; }
    explicit operator bool() const { return number != ErrNone; }
    static ErrorInfo make(int number, const QString& detail = {});
};

// Maps a system error code to the program's numbers; missingIsPath picks "Path not found"
// over "File not found" where the missing thing is a folder.
ErrorInfo errorFromErrno(int err, const QString& detail, bool missingIsPath = false);

} // namespace nw

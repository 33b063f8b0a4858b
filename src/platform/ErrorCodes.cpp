#include "platform/ErrorCodes.h"

#include <cerrno>

namespace nw {

QString errorDescription(int number) {
    switch (number) {
    case ErrNone:
        return {};
    case ErrInvalidCall:
        return QStringLiteral("Invalid procedure call or argument");
    case ErrOverflow:
        return QStringLiteral("Overflow");
    case ErrOutOfMemory:
        return QStringLiteral("Out of memory");
    case ErrTypeMismatch:
        return QStringLiteral("Type mismatch");
    case ErrUserInterrupt:
        return QStringLiteral("User interrupt occurred");
    case ErrBadFileName:
        return QStringLiteral("Bad file name or number");
    case ErrFileNotFound:
        return QStringLiteral("File not found");
    case ErrDeviceIO:
        return QStringLiteral("Device I/O error");
    case ErrFileExists:
        return QStringLiteral("File already exists");
    case ErrDiskFull:
        return QStringLiteral("Disk full");
    case ErrTooManyFiles:
        return QStringLiteral("Too many files");
    case ErrDeviceUnavailable:
        return QStringLiteral("Device unavailable");
    case ErrPermissionDenied:
        return QStringLiteral("Permission denied");
    case ErrDifferentDrive:
        return QStringLiteral("Can't rename with different drive");
    case ErrPathFileAccess:
        return QStringLiteral("Path/File access error");
    case ErrPathNotFound:
        return QStringLiteral("Path not found");
    case ErrObjectNotSet:
        return QStringLiteral("Object variable or With block variable not set");
    case ErrFormShownModally:
        return QStringLiteral("Form already displayed; can't show modally");
    case ErrCantCreateObject:
        return QStringLiteral("Can't create object");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

ErrorInfo ErrorInfo::make(int number, const QString& detail) {
    return ErrorInfo{number, errorDescription(number), detail};
}

ErrorInfo errorFromErrno(int err, const QString& detail, bool missingIsPath) {
    int number = ErrPathFileAccess;
    switch (err) {
    case 0:
        return {};
    case ENOENT:
        number = missingIsPath ? ErrPathNotFound : ErrFileNotFound;
        break;
    case ENOTDIR:
        number = ErrPathNotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = ErrPermissionDenied;
        break;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        number = ErrDiskFull;
        break;
    case EEXIST:
        number = ErrFileExists;
        break;
    case EIO:
        number = ErrDeviceIO;
        break;
    case EMFILE:
    case ENFILE:
        number = ErrTooManyFiles;
        break;
    case ENOMEM:
        number = ErrOutOfMemory;
        break;
    case EXDEV:
        number = ErrDifferentDrive;
        break;
    case ENODEV:
    case ENXIO:
        number = ErrDeviceUnavailable;
        break;
    default:
        break;
    }
    return ErrorInfo::make(number, detail);
}

} // namespace nw

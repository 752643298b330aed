#include "framework/FileException.h"

#include "framework/MessageBox.h"

#include <cerrno>

CFileException::Cause CFileException::CauseFromErrno(int error)
{
    switch (error) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return accessDenied;
    case EISDIR: return folder;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EBADF: return invalidFile;
    case EWOULDBLOCK: return sharingViolation;
    case ENOLCK: return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    case EIO: return hardIO;
    case ESPIPE:
    case EOVERFLOW: return badSeek;
    default: return genericException;
    }
}

QString CFileException::ErrorMessage() const
{
    QString text;
    switch (TheCause) {
    case fileNotFound: text = QStringLiteral("%1 was not found."); break;
    case badPath: text = QStringLiteral("%1 contains an incorrect path."); break;
    case tooManyOpenFiles:
        text = QStringLiteral("%1 could not be opened because there are too many open files.");
        break;
    case accessDenied: text = QStringLiteral("Access to %1 was denied."); break;
    case invalidFile:
        text = QStringLiteral("An incorrect file handle was associated with %1.");
        break;
    case directoryFull:
        text = QStringLiteral("%1 could not be created because the directory is full.");
        break;
    case badSeek: text = QStringLiteral("Seek failed on %1"); break;
    case hardIO:
        text = QStringLiteral("A hardware I/O error was reported while accessing %1.");
        break;
    case sharingViolation:
        text = QStringLiteral("Unable to read from %1, it is opened by someone else.");
        break;
    case lockViolation:
        text = QStringLiteral("A locking violation occurred while accessing %1.");
        break;
    case diskFull: text = QStringLiteral("Disk full while accessing %1."); break;
    case endOfFile:
        text = QStringLiteral("An attempt was made to access %1 past its end.");
        break;
    case folder: text = QStringLiteral("%1 is a folder, not a file."); break;
    case notRegularFile: text = QStringLiteral("%1 is a device, a pipe or a socket, not a regular file."); break;
    case nameNotText:
        text = QStringLiteral("The name %1 is not UTF-8 text, which BYTELON cannot carry to the file system, so no "
                              "file was opened or changed. Rename the file and try again.");
        break;
    case nameMisread:
        text = QStringLiteral("The folder of %1 holds a file whose name is not UTF-8 text and reads the same. "
                              "BYTELON cannot tell the two apart, so neither was opened or changed. Rename that "
                              "file and try again.");
        break;
    default: text = QStringLiteral("An unexpected error occurred while accessing %1."); break;
    }
    return text.arg(FileName.isEmpty() ? QStringLiteral("an unnamed file") : FileName);
}

void CFileException::ReportError() const
{
    AfxMessageBox(ErrorMessage(), MB_OK | MB_ICONEXCLAMATION);
}

void CFileException::ReportIfOutOfDescriptors() const
{
    if (TheCause == tooManyOpenFiles)
        ReportError();
}

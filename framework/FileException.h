#pragma once
// A failed file operation: filled in by a failed open, thrown by failed reads,
// writes and length changes, and reported with the framework's standard texts.

#include <QString>

class CFileException {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
        folder,
        notRegularFile,
        // A name with bytes that are not UTF-8 text (see NativeNames.h).
        nameNotText,
        // A name that also reads as one in its folder that is not UTF-8 text.
        nameMisread,
    };

    CFileException() = default;
    CFileException(Cause cause, int osError, QString fileName)
        : TheCause(cause), OsError(osError), FileName(std::move(fileName)) {}

    [[nodiscard]] static Cause CauseFromErrno(int error);

    // The standard text, with the file name filled in.
    [[nodiscard]] QString ErrorMessage() const;
    // Shows the standard text in a message box.
    void ReportError() const;
    // Reports the cause when the descriptors have run out, which the generic
    // messages of the callers cannot tell.
    void ReportIfOutOfDescriptors() const;

    Cause TheCause = none;
    int OsError = 0;
    QString FileName;
};

// Ends a command whose failure has already been reported to the user.
class CUserException {};

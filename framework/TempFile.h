#pragma once
// Temporary files: the work folder and new, empty, uniquely named files in it.
// The work folder is $TMPDIR when the environment sets it; otherwise a folder
// of the user's own on disk, under $XDG_STATE_HOME (by default ~/.local/state)
// and named after the profile key and the application, kept at mode 0700:
// /tmp is often memory, and shared by every user.

#include <QString>

class CFileException;

// False when the folder cannot be made private or its path needs more than
// bufferLimit - 1 characters. The path ends with a slash.
[[nodiscard]] bool AfxGetTempPath(QString& path, int bufferLimit);
// Creates a new empty file in dir whose name starts with prefix; false when
// that is impossible, with the cause in pError when given.
[[nodiscard]] bool AfxGetTempFileName(const QString& dir, const QString& prefix, QString& fileName,
                                      CFileException* pError = nullptr);
// A new temporary file in the work folder, as the program's work and tail
// files are made; empty when it could not be created (reported only when the
// descriptors have run out).
[[nodiscard]] QString AfxCreateTempFile(const QString& prefix);
// Makes fileName as a new, empty file only its owner may read; false, with
// the cause in pError when given, when it exists already or cannot be made.
[[nodiscard]] bool AfxCreateNewFile(const QString& fileName, CFileException* pError = nullptr);
// Six letters and digits, different at each call, for a new file's name.
[[nodiscard]] QString AfxUniqueSuffix();
// The work folder when TMPDIR is not set, made or not.
[[nodiscard]] QString AfxPrivateWorkFolder();

#pragma once
// Temporary files: the system's temporary directory and new, empty, uniquely
// named files in it.

#include <QString>

class CFileException;

// False when the directory's path needs more than bufferLimit - 1 characters.
[[nodiscard]] bool AfxGetTempPath(QString& path, int bufferLimit);
// Creates a new empty file in dir whose name starts with prefix; false when
// that is impossible, with the cause in pError when given.
[[nodiscard]] bool AfxGetTempFileName(const QString& dir, const QString& prefix, QString& fileName,
                                      CFileException* pError = nullptr);
// A new temporary file in the system's temporary directory, as the program's
// work and tail files are made; empty when it could not be created (reported
// only when the descriptors have run out).
[[nodiscard]] QString AfxCreateTempFile(const QString& prefix);

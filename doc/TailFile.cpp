#include "doc/TailFile.h"

#include "framework/TempFile.h"

namespace {
long createdCount = 0;
}

CTailFile::~CTailFile()
{
    File.Close();
    if (!Name.isEmpty())
        CFile::Remove(Name);
}

bool CTailFile::Create(const QString& fileName)
{
    if (fileName.isEmpty())
        return false;
    // Left by an edit whose end could not remove it: its bytes are stale.
    CFile::Remove(fileName);
    CFileException error;
    if (!AfxCreateNewFile(fileName, &error)) {
        error.ReportIfOutOfDescriptors();
        return false;
    }
    Name = fileName;
    ++createdCount;
    return true;
}

long CTailFile::CreatedCount()
{
    return createdCount;
}

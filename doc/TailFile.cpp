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

bool CTailFile::Create()
{
    const QString name = AfxCreateTempFile(QStringLiteral("BYT"));
    CFileStatus status;
    if (name.isEmpty() || !CFile::GetStatus(name, status))
        return false;
    Name = name;
    ++createdCount;
    return true;
}

long CTailFile::CreatedCount()
{
    return createdCount;
}

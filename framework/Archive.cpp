#include "framework/Archive.h"

#include "framework/File.h"

UINT CArchive::Read(void* pBuffer, UINT count)
{
    return pFile->Read(pBuffer, count);
}

void CArchive::Write(const void* pBuffer, UINT count)
{
    pFile->Write(pBuffer, count);
}

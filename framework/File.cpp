#include "framework/File.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CFile::Statistics stats;
CFile::WriteFault writeFault;
CFile::ReadFault readFault;

constexpr UINT ReadAheadSize = 65536;

QByteArray NativePath(const QString& name)
{
    return QFile::encodeName(name);
}

}  // namespace

CFile::~CFile()
{
    Close();
}

bool CFile::Open(const QString& fileName, UINT openFlags, CFileException* pError)
{
    Close();
    int flags = O_CLOEXEC;
    switch (openFlags & 0x3) {
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }
    auto fail = [&](int error) {
        if (pError)
            *pError = CFileException(CFileException::CauseFromErrno(error), error, fileName);
        return false;
    };
    if (fileName.isEmpty())
        return fail(ENOENT);
    // Non-blocking only while opening: a named pipe without a writer would
    // otherwise hang the program here.
    const int fd = ::open(NativePath(fileName).constData(), flags | O_NONBLOCK, 0666);
    if (fd < 0)
        return fail(errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(EISDIR);
    }
    const UINT share = openFlags & 0x70;
    int lock = 0;
    if (share == shareExclusive || share == shareCompat)
        lock = LOCK_EX;
    else if (share == shareDenyWrite || share == shareDenyRead)
        lock = LOCK_SH;
    if (lock != 0 && ::flock(fd, lock | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    Fd = fd;
    Path = fileName;
    Pos = 0;
    SequentialScan = (openFlags & osSequentialScan) != 0;
    DropReadAhead();
    ++stats.Opens;
    return true;
}

void CFile::Close()
{
    if (Fd >= 0) {
        ::close(Fd);  // also releases the lock
        Fd = -1;
    }
    Pos = 0;
    DropReadAhead();
}

std::int64_t CFile::Seek(std::int64_t offset, SeekPosition from)
{
    if (Fd < 0)
        return -1;
    std::int64_t base = 0;
    if (from == current)
        base = Pos;
    else if (from == end)
        base = GetLength();
    const std::int64_t target = base + offset;
    if (target < 0)
        return -1;
    Pos = target;
    return Pos;
}

UINT CFile::Read(void* pBuffer, UINT count)
{
    if (Fd < 0)
        ThrowError(EBADF);
    auto* out = static_cast<unsigned char*>(pBuffer);
    UINT done = 0;
    if (SequentialScan && count < ReadAheadSize) {
        while (done < count) {
            if (Pos < AheadStart || Pos >= AheadStart + AheadLen) {
                Ahead.resize(ReadAheadSize);
                CheckReadFault(Pos, ReadAheadSize);
                ssize_t got;
                do
                    got = ::pread(Fd, Ahead.data(), ReadAheadSize, Pos);
                while (got < 0 && errno == EINTR);
                if (got < 0)
                    ThrowError(errno);
                AheadStart = Pos;
                AheadLen = got;
                if (got == 0)
                    break;
            }
            const std::int64_t avail = AheadStart + AheadLen - Pos;
            const UINT n = UINT(std::min<std::int64_t>(avail, count - done));
            std::memcpy(out + done, Ahead.data() + (Pos - AheadStart), n);
            done += n;
            Pos += n;
        }
    } else {
        CheckReadFault(Pos, count);
        while (done < count) {
            const ssize_t got = ::pread(Fd, out + done, count - done, Pos);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                ThrowError(errno);
            }
            if (got == 0)
                break;
            done += UINT(got);
            Pos += got;
        }
    }
    stats.BytesRead += done;
    return done;
}

void CFile::CheckWriteFault(std::int64_t pos, UINT count) const
{
    if (writeFault && writeFault(Path, pos, count))
        ThrowError(ENOSPC);
    ++stats.Writes;
}

void CFile::CheckReadFault(std::int64_t pos, UINT count) const
{
    if (readFault && readFault(Path, pos, count))
        ThrowError(EIO);
    ++stats.Reads;
}

void CFile::Write(const void* pBuffer, UINT count)
{
    if (Fd < 0)
        ThrowError(EBADF);
    DropReadAhead();
    CheckWriteFault(Pos, count);
    const auto* in = static_cast<const unsigned char*>(pBuffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t put = ::pwrite(Fd, in + done, count - done, Pos);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            ThrowError(errno);
        }
        if (put == 0)
            ThrowError(ENOSPC);
        done += UINT(put);
        Pos += put;
    }
    stats.BytesWritten += done;
}

void CFile::SetLength(std::int64_t newLength)
{
    if (Fd < 0)
        ThrowError(EBADF);
    DropReadAhead();
    CheckWriteFault(newLength, 0);
    if (::ftruncate(Fd, newLength) != 0)
        ThrowError(errno);
}

std::int64_t CFile::GetLength() const
{
    if (Fd < 0)
        return 0;
    struct stat st {};
    if (::fstat(Fd, &st) != 0)
        return 0;
    return st.st_size;
}

void CFile::Flush()
{
    if (Fd < 0)
        return;
    CheckWriteFault(GetLength(), 0);
    if (::fsync(Fd) != 0 && errno != EINVAL && errno != EROFS)
        ThrowError(errno);
}

UINT CFile::CopyRange(CFile& src, std::int64_t srcPos, CFile& dst, std::int64_t dstPos, UINT count, void* pBuffer,
                      UINT bufferSize, UINT* pDone)
{
    if (pDone)
        *pDone = 0;
    if (src.Fd < 0)
        src.ThrowError(EBADF);
    if (dst.Fd < 0)
        dst.ThrowError(EBADF);
    src.DropReadAhead();
    dst.DropReadAhead();
    const bool sameFile = &src == &dst || src.Fd == dst.Fd;
    const bool overlap = sameFile && srcPos < dstPos + count && dstPos < srcPos + count;
    std::int64_t moved = 0;
    if (!overlap) {
        src.CheckReadFault(srcPos, count);
        dst.CheckWriteFault(dstPos, count);
        loff_t in = srcPos;
        loff_t out = dstPos;
        while (moved < count) {
            const ssize_t n = ::copy_file_range(src.Fd, &in, dst.Fd, &out, count - moved, 0);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
                    break;  // this pair of files needs the buffer
                if (pDone)
                    *pDone = UINT(moved);
                dst.ThrowError(errno);
            }
            if (n == 0)
                break;
            moved += n;
        }
        if (moved == count || (moved < count && in >= src.GetLength())) {
            stats.BytesRead += moved;
            stats.BytesWritten += moved;
            src.Pos = srcPos + moved;
            dst.Pos = dstPos + moved;
            return UINT(moved);
        }
    }
    // Through the buffer, in pieces no larger than it.
    bool writing = false;
    try {
        while (moved < count) {
            const UINT n = UINT(std::min<std::int64_t>(bufferSize, count - moved));
            src.Pos = srcPos + moved;
            const UINT got = src.Read(pBuffer, n);
            dst.Pos = dstPos + moved;
            writing = true;
            dst.Write(pBuffer, got);
            writing = false;
            moved += got;
            if (got < n)
                break;
        }
    } catch (const CFileException&) {
        // A write that failed part-way leaves the position after what it wrote.
        if (pDone)
            *pDone = UINT(moved + (writing ? dst.Pos - (dstPos + moved) : 0));
        throw;
    }
    if (pDone)
        *pDone = UINT(moved);
    return UINT(moved);
}

bool CFile::GetStatus(const QString& fileName, CFileStatus& status)
{
    struct stat st {};
    if (fileName.isEmpty() || ::stat(NativePath(fileName).constData(), &st) != 0)
        return false;
    status.Size = st.st_size;
    status.Modified = QDateTime::fromSecsSinceEpoch(st.st_mtime);
    status.IsDirectory = S_ISDIR(st.st_mode);
    return true;
}

bool CFile::Remove(const QString& fileName, CFileException* pError)
{
    if (::unlink(NativePath(fileName).constData()) == 0)
        return true;
    if (pError)
        *pError = CFileException(CFileException::CauseFromErrno(errno), errno, fileName);
    return false;
}

bool CFile::Rename(const QString& oldName, const QString& newName, CFileException* pError)
{
    if (::rename(NativePath(oldName).constData(), NativePath(newName).constData()) == 0)
        return true;
    if (pError)
        *pError = CFileException(CFileException::CauseFromErrno(errno), errno, newName);
    return false;
}

void CFile::ThrowError(int error) const
{
    throw CFileException(CFileException::CauseFromErrno(error), error, Path);
}

CFile::Statistics CFile::GetStatistics()
{
    return stats;
}

void CFile::ResetStatistics()
{
    stats = Statistics{};
}

void CFile::SetWriteFault(WriteFault fault)
{
    writeFault = std::move(fault);
}

void CFile::SetReadFault(ReadFault fault)
{
    readFault = std::move(fault);
}

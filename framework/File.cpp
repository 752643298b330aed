#include "framework/File.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
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
    if (openFlags & modeCreateNew)
        flags |= O_CREAT | O_EXCL;
    auto fail = [&](int error) {
        const CFileException cause(CFileException::CauseFromErrno(error), error, NameForReports(fileName));
        if (pError)
            *pError = cause;
        else
            cause.ReportIfOutOfDescriptors();
        return false;
    };
    if (fileName.isEmpty())
        return fail(ENOENT);
    // Non-blocking only while opening: a named pipe without a writer would
    // otherwise hang the program here.
    const int fd = ::open(NativePath(fileName).constData(), flags | O_NONBLOCK, (openFlags & modePrivate) ? 0600 : 0666);
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
    // Reads and writes give positions: a pipe in a file's place has none.
    Seekable = ::lseek(fd, 0, SEEK_CUR) >= 0;
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
    if (target < 0 || !Seekable)
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
    WriteSpans({{pBuffer, count}});
}

void CFile::WriteSpans(const std::vector<CSpan>& spans)
{
    if (Fd < 0)
        ThrowError(EBADF);
    DropReadAhead();
    std::int64_t total = 0;
    for (const CSpan& span : spans)
        total += span.Count;
    CheckWriteFault(Pos, UINT(total));
    std::vector<iovec> pieces;
    std::size_t next = 0;
    std::size_t offset = 0;  // into spans[next], after a write that stopped inside it
    for (;;) {
        while (next < spans.size() && spans[next].Count == offset) {
            ++next;
            offset = 0;
        }
        if (next == spans.size())
            break;
        pieces.clear();
        for (std::size_t i = next; i < spans.size() && pieces.size() < IOV_MAX; ++i) {
            const std::size_t skip = i == next ? offset : 0;
            pieces.push_back({const_cast<char*>(static_cast<const char*>(spans[i].pData)) + skip,
                              spans[i].Count - skip});
        }
        const ssize_t put = ::pwritev(Fd, pieces.data(), int(pieces.size()), Pos);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            ThrowError(errno);
        }
        if (put == 0)
            ThrowError(ENOSPC);
        Pos += put;
        stats.BytesWritten += put;
        for (std::size_t left = std::size_t(put); left > 0;) {
            const std::size_t rest = spans[next].Count - offset;
            if (left < rest) {
                offset += left;
                break;
            }
            left -= rest;
            ++next;
            offset = 0;
        }
    }
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

std::int64_t CFile::GetContentLength(std::int64_t limit)
{
    const std::int64_t length = GetLength();
    if (length > 0 || Fd < 0)
        return length;
    std::vector<char> buffer(ReadAheadSize);
    const std::int64_t position = Pos;
    Pos = 0;
    std::int64_t total = 0;
    UINT got = 0;
    do {
        got = Read(buffer.data(), ReadAheadSize);
        total += got;
    } while (got == ReadAheadSize && total <= limit);
    Pos = position;
    return total;
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
        // A source that reports no length (/proc, /sys) is read through the buffer.
        if (moved == count || (moved < count && src.GetLength() > 0 && in >= src.GetLength())) {
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
    status.IsRegular = S_ISREG(st.st_mode);
    return true;
}

bool CFile::CheckRegular(const QString& fileName, CFileException* pError)
{
    if (!CheckName(fileName, pError))
        return false;
    CFileStatus status;
    if (!GetStatus(fileName, status) || status.IsRegular)
        return true;
    if (pError)
        *pError = CFileException(status.IsDirectory ? CFileException::folder : CFileException::notRegularFile, 0,
                                 fileName);
    return false;
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

bool CFile::RenameOverScratch(const QString& oldName, const QString& newName, CFileException* pError)
{
    const QByteArray from = NativePath(oldName);
    const QByteArray to = NativePath(newName);
    // Where swapping is not offered, or newName does not exist, a plain rename.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0)
        return Rename(oldName, newName, pError);
    // The old bytes, now under oldName, are scratch: failing to remove them harms no document.
    Remove(oldName);
    return true;
}

void CFile::ThrowError(int error) const
{
    throw CFileException(CFileException::CauseFromErrno(error), error, NameForReports(Path));
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

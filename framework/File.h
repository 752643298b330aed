#pragma once
// Files reached through POSIX descriptors with the open modes of the class
// library: nothing is created unless asked, and "no sharing" is an exclusive
// non-blocking lock held while the file is open, so a second open of the same
// file by the program fails.

#include "framework/Afx.h"
#include "framework/FileException.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

struct CFileStatus {
    std::int64_t Size = 0;
    QDateTime Modified;
    bool IsDirectory = false;
    // Neither a folder nor a device, a named pipe or a socket.
    bool IsRegular = false;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        // Created, and only when no file of the name exists.
        modeCreateNew = 0x4000,
        // A file created is readable and writable by its owner only; otherwise
        // by everyone the umask allows, as any program creates files.
        modePrivate = 0x8000,
        // Small sequential reads are served from a read-ahead buffer.
        osSequentialScan = 0x10000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False on failure, with the cause in pError when given. Without pError a
    // failure for want of descriptors is reported at once: no message of the
    // caller's can tell that cause.
    [[nodiscard]] bool Open(const QString& fileName, UINT openFlags, CFileException* pError = nullptr);
    // Closes without reporting anything; harmless when not open.
    void Close();

    [[nodiscard]] bool IsOpen() const { return Fd >= 0; }
    [[nodiscard]] QString GetFilePath() const { return Path; }
    // Failures are reported under this name, whatever name the file is opened
    // by: a temporary file that stands for the user's is known by the user's.
    void SetReportedName(const QString& name) { ReportedName = name; }
    [[nodiscard]] int Handle() const { return Fd; }

    // The new position, or -1 when it would be negative, the file is closed
    // or cannot seek (a pipe).
    std::int64_t Seek(std::int64_t offset, SeekPosition from);
    [[nodiscard]] std::int64_t GetPosition() const { return Pos; }
    std::int64_t SeekToEnd() { return Seek(0, end); }

    // The count read: less than asked only at the end of the file.
    // Throws CFileException on an I/O error (or an injected read fault).
    UINT Read(void* pBuffer, UINT count);
    // Throws CFileException when not every byte is written.
    void Write(const void* pBuffer, UINT count);
    // Writes the spans one after another from the current position, as a
    // Write of each would, in few system calls; throws as Write does, and is
    // one write for the write fault.
    struct CSpan {
        const void* pData;
        UINT Count;
    };
    void WriteSpans(const std::vector<CSpan>& spans);
    // Throws CFileException; a write as far as the write fault is concerned.
    void SetLength(std::int64_t newLength);
    [[nodiscard]] std::int64_t GetLength() const;
    // The length; for a file that reports none, as those under /proc and /sys
    // do, the count of bytes a read to its end gives, stopping once past limit.
    // Throws CFileException.
    [[nodiscard]] std::int64_t GetContentLength(std::int64_t limit);
    // Forces the written bytes to the disk, where a full disk may show only
    // now; throws CFileException, and counts as a write for the write fault.
    void Flush();

    // Moves count bytes from src at srcPos to dst at dstPos as one read and
    // one write through pBuffer would; where the two ranges cannot overlap the
    // kernel copies them without the buffer (one read and one write). Returns
    // the count moved, less than asked only at the end of src. Throws
    // CFileException on a read or write failure, with the count already in
    // place at dstPos in *pDone when given.
    static UINT CopyRange(CFile& src, std::int64_t srcPos, CFile& dst, std::int64_t dstPos,
                          UINT count, void* pBuffer, UINT bufferSize, UINT* pDone = nullptr);

    [[nodiscard]] static bool GetStatus(const QString& fileName, CFileStatus& status);
    // False, with the cause in pError, when fileName cannot be carried to the
    // file system byte for byte (NativeNames.h), or names a folder, a device,
    // a named pipe or a socket; true for a regular file and for no file at all.
    [[nodiscard]] static bool CheckRegular(const QString& fileName, CFileException* pError);
    // False, with the cause in pError, when fileName holds bytes that are not
    // UTF-8 text, or may stand for a name in its folder that does.
    [[nodiscard]] static bool CheckName(const QString& fileName, CFileException* pError);
    // False when the file could not be removed, with the cause in pError.
    static bool Remove(const QString& fileName, CFileException* pError = nullptr);
    static bool Rename(const QString& oldName, const QString& newName, CFileException* pError = nullptr);
    // Rename over a scratch file, whose bytes need not survive a crash: the
    // two are swapped and the replaced bytes removed, as a rename over a file
    // makes ext4 write the new bytes to the disk at once.
    static bool RenameOverScratch(const QString& oldName, const QString& newName, CFileException* pError = nullptr);

    // Introspection for tests and the benchmark: what all files have done.
    // Reads counts the reads that reach the disk (a read served from the
    // read-ahead buffer does not) and Writes the writes, length changes and
    // flushes: exactly the places the faults below are consulted, in order.
    struct Statistics {
        long long Opens = 0;
        long long Reads = 0;
        long long BytesRead = 0;
        long long Writes = 0;
        long long BytesWritten = 0;
    };
    [[nodiscard]] static Statistics GetStatistics();
    static void ResetStatistics();
    // Introspection for tests: counts what one operation does, from its
    // construction on, without resetting the totals.
    class CActivity {
    public:
        CActivity() : Start(GetStatistics()) {}
        [[nodiscard]] long long Reads() const { return GetStatistics().Reads - Start.Reads; }
        [[nodiscard]] long long Writes() const { return GetStatistics().Writes - Start.Writes; }

    private:
        Statistics Start;
    };

    // Fault injection for tests: when set and it returns true for a write of
    // count bytes at pos to path, that write fails as on a full disk. Length
    // changes ask with count 0 and the new length, flushes with count 0 and
    // the file's length.
    using WriteFault = std::function<bool(const QString& path, std::int64_t pos, UINT count)>;
    static void SetWriteFault(WriteFault fault);
    // Fault injection for tests: when set and it returns true for a read of
    // count bytes at pos from path, that read fails as an I/O error does.
    using ReadFault = std::function<bool(const QString& path, std::int64_t pos, UINT count)>;
    static void SetReadFault(ReadFault fault);

private:
    void ThrowError(int error) const;
    [[nodiscard]] QString NameForReports(const QString& fileName) const
    {
        return ReportedName.isEmpty() ? fileName : ReportedName;
    }
    // Each disk access asks the fault first, then counts itself.
    void CheckWriteFault(std::int64_t pos, UINT count) const;
    void CheckReadFault(std::int64_t pos, UINT count) const;
    void DropReadAhead() { AheadLen = 0; }

    int Fd = -1;
    QString Path;
    QString ReportedName;
    std::int64_t Pos = 0;
    bool Seekable = true;
    bool SequentialScan = false;
    std::vector<unsigned char> Ahead;
    std::int64_t AheadStart = 0;
    std::int64_t AheadLen = 0;
};

#include "framework/RecordFile.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int SlotSize = CRecordFile::Capacity + 32;
// Magic, sequence number, length and checksum, then the text.
constexpr char Magic[8] = {'B', 'Y', 'T', 'R', 'E', 'C', '0', '1'};
constexpr int HeaderSize = 32;

CRecordFile::WriteFault writeFault = nullptr;

std::uint64_t Checksum(std::uint64_t sequence, std::uint32_t length, const char* pText)
{
    // FNV-1a over the sequence number, the length and the text: a torn write
    // mixes two versions and fails it.
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](const void* pBytes, std::size_t count) {
        const auto* p = static_cast<const unsigned char*>(pBytes);
        for (std::size_t i = 0; i < count; ++i) {
            hash ^= p[i];
            hash *= 1099511628211ull;
        }
    };
    add(&sequence, sizeof sequence);
    add(&length, sizeof length);
    add(pText, length);
    return hash;
}

bool WriteAll(int fd, const char* pBytes, std::size_t count, off_t pos)
{
    while (count > 0) {
        const ssize_t put = ::pwrite(fd, pBytes, count, pos);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        pBytes += put;
        count -= std::size_t(put);
        pos += put;
    }
    return true;
}

}  // namespace

CRecordFile::~CRecordFile()
{
    Release();
}

void CRecordFile::TakeFrom(CRecordFile& other)
{
    if (&other == this)
        return;
    Release();
    Fd = other.Fd;
    FilePath = other.FilePath;
    Sequence = other.Sequence;
    other.Fd = -1;
    other.Release();
}

void CRecordFile::SetWriteFault(WriteFault fault)
{
    writeFault = fault;
}

bool CRecordFile::Create(const QString& folder, const QString& prefix, const QString& suffix,
                         const QByteArray& text)
{
    Release();
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    const QByteArray nativeSuffix = QFile::encodeName(suffix);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray pattern = QFile::encodeName(base + prefix) + "XXXXXX" + nativeSuffix;
        const int fd = ::mkostemps(pattern.data(), int(nativeSuffix.size()), O_CLOEXEC);
        if (fd < 0)
            return false;
        // Another process looking for abandoned records may hold the lock for
        // a moment, and may have removed the new file as one: then it is made again.
        struct stat opened {};
        struct stat named {};
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        if (::fstat(fd, &opened) != 0 || ::stat(pattern.constData(), &named) != 0 || opened.st_ino != named.st_ino
            || opened.st_dev != named.st_dev) {
            ::close(fd);
            continue;
        }
        Fd = fd;
        FilePath = QFile::decodeName(pattern);
        Sequence = 0;
        // Both slots take their room now: no later write needs more.
        const QByteArray zeros(2 * SlotSize, '\0');
        if (!WriteAll(fd, zeros.constData(), std::size_t(zeros.size()), 0) || !Write(text)) {
            const int error = errno;
            Remove();
            errno = error;
            return false;
        }
        return true;
    }
    errno = EEXIST;
    return false;
}

CRecordFile::ETake CRecordFile::Take(const QString& path)
{
    Release();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return ETake::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? ETake::Busy : ETake::Failed;
    }
    Fd = fd;
    FilePath = path;
    Sequence = 0;
    (void)ReadSlots(fd, &Sequence);
    return ETake::Taken;
}

bool CRecordFile::Write(const QByteArray& text)
{
    if (Fd < 0) {
        errno = EBADF;
        return false;
    }
    if (text.size() > Capacity) {
        errno = ENAMETOOLONG;
        return false;
    }
    if (writeFault && writeFault(FilePath)) {
        errno = ENOSPC;
        return false;
    }
    const std::uint64_t sequence = Sequence + 1;
    const auto length = std::uint32_t(text.size());
    const std::uint64_t checksum = Checksum(sequence, length, text.constData());
    QByteArray slot(HeaderSize, '\0');
    std::memcpy(slot.data(), Magic, sizeof Magic);
    std::memcpy(slot.data() + 8, &sequence, sizeof sequence);
    std::memcpy(slot.data() + 16, &length, sizeof length);
    std::memcpy(slot.data() + 24, &checksum, sizeof checksum);
    slot += text;
    // The older slot: the newer keeps the version before until this one is whole.
    if (!WriteAll(Fd, slot.constData(), std::size_t(slot.size()), off_t(sequence % 2) * SlotSize))
        return false;
    Sequence = sequence;
    return true;
}

std::optional<QByteArray> CRecordFile::ReadSlots(int fd, std::uint64_t* pSequence)
{
    std::optional<QByteArray> best;
    std::uint64_t bestSequence = 0;
    QByteArray slot(SlotSize, '\0');
    for (int index = 0; index < 2; ++index) {
        const ssize_t got = ::pread(fd, slot.data(), SlotSize, off_t(index) * SlotSize);
        if (got < HeaderSize || std::memcmp(slot.constData(), Magic, sizeof Magic) != 0)
            continue;
        std::uint64_t sequence = 0;
        std::uint32_t length = 0;
        std::uint64_t checksum = 0;
        std::memcpy(&sequence, slot.constData() + 8, sizeof sequence);
        std::memcpy(&length, slot.constData() + 16, sizeof length);
        std::memcpy(&checksum, slot.constData() + 24, sizeof checksum);
        if (length > std::uint32_t(got - HeaderSize)
            || Checksum(sequence, length, slot.constData() + HeaderSize) != checksum || sequence <= bestSequence)
            continue;
        bestSequence = sequence;
        best = slot.mid(HeaderSize, int(length));
    }
    if (pSequence)
        *pSequence = bestSequence;
    return best;
}

std::optional<QByteArray> CRecordFile::Read() const
{
    return Fd < 0 ? std::nullopt : ReadSlots(Fd, nullptr);
}

std::optional<QByteArray> CRecordFile::Peek(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> text = ReadSlots(fd, nullptr);
    ::close(fd);
    return text;
}

void CRecordFile::Remove()
{
    if (Fd >= 0)
        ::unlink(QFile::encodeName(FilePath).constData());
    Release();
}

void CRecordFile::Release()
{
    if (Fd >= 0)
        ::close(Fd);
    Fd = -1;
    FilePath.clear();
    Sequence = 0;
}

bool CRecordFile::BelongsToUser(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)
           && st.st_uid == ::geteuid();
}

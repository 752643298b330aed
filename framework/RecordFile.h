#pragma once
// A short text that outlives the process as its last complete version, and
// is locked by its owner. Each write goes to the older of two slots, stamped
// with a sequence number and a checksum, so a process killed part-way through
// a write leaves the version before it; no write needs more room on the disk
// than the file took when it was made. The owner holds an exclusive lock
// (flock) as long as it keeps the record: a record whose lock is free belongs
// to no running process.

#include <QString>

#include <cstdint>
#include <optional>

class CRecordFile {
public:
    enum class ETake { Taken, Busy, Failed };

    CRecordFile() = default;
    // Lets the lock go; the file stays.
    ~CRecordFile();
    CRecordFile(const CRecordFile&) = delete;
    CRecordFile& operator=(const CRecordFile&) = delete;
    // Takes the other's file and lock; the other holds none afterwards.
    void TakeFrom(CRecordFile& other);

    // Makes a new record in folder named prefix, six unique characters and
    // suffix, holding its lock, and writes text as its first version. False
    // when that is impossible, with errno telling why.
    [[nodiscard]] bool Create(const QString& folder, const QString& prefix, const QString& suffix,
                              const QByteArray& text);
    // Opens the record at path and takes its lock: Busy while another holds it.
    [[nodiscard]] ETake Take(const QString& path);
    // The new version; false when the text does not fit or the write failed,
    // the version before staying the record's.
    [[nodiscard]] bool Write(const QByteArray& text);
    // The latest complete version of the record held; none when no slot has one.
    [[nodiscard]] std::optional<QByteArray> Read() const;
    // The latest complete version of the record at path, without its lock:
    // another process's, as far as it has written it.
    [[nodiscard]] static std::optional<QByteArray> Peek(const QString& path);
    // Removes the file, then lets the lock go.
    void Remove();
    // Lets the lock go and forgets the file.
    void Release();

    [[nodiscard]] bool IsHeld() const { return Fd >= 0; }
    [[nodiscard]] const QString& Path() const { return FilePath; }
    // Whether the file at path belongs to the user this process runs as.
    [[nodiscard]] static bool BelongsToUser(const QString& path);
    // The most a version may hold.
    static constexpr int Capacity = 16384 - 32;

    // Introspection for tests: when set and it returns true, the next write of
    // the record at path fails as on a full disk.
    using WriteFault = bool (*)(const QString& path);
    static void SetWriteFault(WriteFault fault);

private:
    [[nodiscard]] static std::optional<QByteArray> ReadSlots(int fd, std::uint64_t* pSequence);

    int Fd = -1;
    QString FilePath;
    std::uint64_t Sequence = 0;
};

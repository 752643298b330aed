#pragma once
// What tells one file from another and one version of it from the next: the
// device and inode it lives on, its length and its modification time to the
// nanosecond. A file changed by another program since it was read no longer
// has the identity remembered for it.

#include <QString>

#include <cstdint>

struct CFileIdentity {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    long ModifiedNanoseconds = 0;

    // The identity of the file fileName names now; Exists is false when there
    // is none (or it cannot be reached).
    [[nodiscard]] static CFileIdentity Of(const QString& fileName);
    // Of the file an open descriptor refers to.
    [[nodiscard]] static CFileIdentity OfHandle(int fd);

    // Text of one line, "device inode size seconds nanoseconds", and back: how
    // an identity is written into a file that outlives the process.
    [[nodiscard]] QString ToText() const;
    [[nodiscard]] static CFileIdentity FromText(const QString& text);

    friend bool operator==(const CFileIdentity& a, const CFileIdentity& b)
    {
        return a.Exists == b.Exists
               && (!a.Exists
                   || (a.Device == b.Device && a.Inode == b.Inode && a.Size == b.Size
                       && a.ModifiedSeconds == b.ModifiedSeconds && a.ModifiedNanoseconds == b.ModifiedNanoseconds));
    }
    friend bool operator!=(const CFileIdentity& a, const CFileIdentity& b) { return !(a == b); }
};

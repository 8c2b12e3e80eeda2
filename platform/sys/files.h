#pragma once
// The one way the programs read files and list folders. Plain C++ over POSIX so that the
// cores can use it too. Files are opened without blocking and only regular files are
// read, so a FIFO or a device named like a drawing can never hang a program; reads are
// capped. Paths and names are the local 8-bit bytes, kept as they are (names that are not
// valid UTF-8 included).
#include "platform/sys/byte_buf.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sys {

// Default cap of a whole-file read.
inline constexpr int64_t kReadCap = int64_t{512} << 20;

// A regular file opened for reading.
class TReadFile {
public:
    TReadFile() = default;
    ~TReadFile();
    TReadFile(const TReadFile&) = delete;
    TReadFile& operator=(const TReadFile&) = delete;
    TReadFile(TReadFile&& other) noexcept;
    TReadFile& operator=(TReadFile&& other) noexcept;

    // False, with Error() set, for anything but a readable regular file.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // Why the last call failed: "No such file or directory", "Is a directory", ...
    const std::string& Error() const { return error_; }
    // Size when opened.
    int64_t Size() const { return size_; }
    // Up to n bytes into buf: the count, 0 at the end, -1 on an error (Error() says why).
    int64_t Read(char* buf, std::size_t n);
    // Reads until buf holds n bytes or the file ends; -1 on an error.
    int64_t ReadFull(char* buf, std::size_t n);
    // ReadFull from offset at, leaving the read position alone (several threads may read
    // parts of one file side by side). Error texts of these calls are not kept.
    int64_t ReadFullAt(char* buf, std::size_t n, int64_t at) const;
    // Moves the read position to offset at; false when it cannot.
    bool SeekTo(int64_t at);

private:
    int fd_ = -1;
    int64_t size_ = 0;
    std::string error_;
};

// The whole file into out (replacing its content). False, with error set and out empty,
// when the file is not a readable regular file, is larger than cap, or a read fails.
bool ReadRegularFile(const std::string& path, std::string& out, std::string& error,
                     int64_t cap = kReadCap);
// The same into a byte buffer: the text of a drawing, which its line list keeps. A large
// file is read in parts side by side, so that the fresh pages that receive it are mapped in
// on several processors at once.
bool ReadRegularFile(const std::string& path, TByteBuf& out, std::string& error, int64_t cap = kReadCap);

// The text of an errno value for messages.
std::string ErrorText(int err);

// Replaces the file at path by bytes so that a crash at any moment leaves either the old
// file or the new one, whole, and no stray file beside it: the bytes go to an unnamed file
// in the same folder, which takes the name only once it is complete. A symbolic link is
// followed (the file it names is replaced). With mode >= 0 the file gets exactly that
// mode; otherwise an existing file keeps its mode and a new one gets 0666 less the umask.
// False, with error set, on any failure; the old file is then untouched.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string& error, int mode = -1);

// WriteFileAtomic a piece at a time, for files too large to hold in memory: Open, Write as
// often as needed, then Commit, which gives the file its name. Until then the old file is
// untouched; a writer dropped without Commit leaves nothing behind. Error() is the system's
// reason of the first failure ("No space left on device").
class TAtomicWriter {
public:
    TAtomicWriter() = default;
    ~TAtomicWriter();
    TAtomicWriter(const TAtomicWriter&) = delete;
    TAtomicWriter& operator=(const TAtomicWriter&) = delete;

    bool Open(const std::string& path, int mode = -1);
    bool Write(const char* data, std::size_t n);
    bool Commit();
    const std::string& Error() const { return error_; }

private:
    bool Fail(int err);
    void Abort();
    int fd_ = -1;
    bool named_ = false;
    std::string target_, piece_, error_;
};

// Removes the pieces that WriteFileAtomic leaves in folder when a process is killed in
// the moment between naming its new file and putting it in place. Pieces of live writers
// are left alone. WriteFileAtomic runs this before it writes.
void SweepWritePieces(const std::string& folder);

enum class TEntryKind { Regular, Directory, Other };

struct TDirEntry {
    std::string Name;            // bytes as stored
    TEntryKind Kind = TEntryKind::Other;  // of the target for a symbolic link; a dangling link is Other
    bool IsLink = false;
    // Filled only when asked for (ListFolder's withStat) or when the kind needed a stat.
    bool HasStat = false;
    int64_t Size = 0;
    int64_t MTime = 0;           // seconds since the epoch
    uint64_t Dev = 0;
    uint64_t Ino = 0;
    uint32_t Mode = 0;
};

// Every entry of folder but "." and "..", in the order the file system gives. With
// withStat, each entry carries the size, time, device, inode and mode of what it names
// (following links). False, with error set, when the folder cannot be opened.
bool ListFolder(const std::string& folder, std::vector<TDirEntry>& out, std::string& error,
                bool withStat = false);

// The name of a regular file (links followed) in folder that equals name: name itself when
// it is one, else the first such file equal to it ignoring ASCII case; empty when there is
// none. Folders, FIFOs and dangling links never match.
std::string FindNoCase(const std::string& folder, const std::string& name);

// ASCII case-insensitive comparison of two names, for listings sorted as users expect:
// negative, 0 or positive. Ties are broken by the bytes so that "a.sch" and "A.sch"
// keep a fixed order.
int CompareNoCase(const std::string& a, const std::string& b);

} // namespace sys

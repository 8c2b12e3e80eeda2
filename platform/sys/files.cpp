#include "platform/sys/files.h"

#include "platform/sys/memory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace sys {

std::string ErrorText(int err)
{
    char buf[256];
    // The GNU variant returns the text, which may or may not be in buf.
    const char* text = strerror_r(err, buf, sizeof buf);
    return text ? std::string(text) : std::string("Error ") + std::to_string(err);
}

TReadFile::~TReadFile() { Close(); }

TReadFile::TReadFile(TReadFile&& other) noexcept
    : fd_(other.fd_), size_(other.size_), error_(std::move(other.error_))
{
    other.fd_ = -1;
}

TReadFile& TReadFile::operator=(TReadFile&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        size_ = other.size_;
        error_ = std::move(other.error_);
        other.fd_ = -1;
    }
    return *this;
}

void TReadFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

bool TReadFile::Open(const std::string& path)
{
    Close();
    error_.clear();
    if (path.empty() || path.find('\0') != std::string::npos) {
        error_ = ErrorText(ENOENT);
        return false;
    }
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error_ = ErrorText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = ErrorText(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error_ = S_ISDIR(st.st_mode) ? ErrorText(EISDIR) : std::string("Not a regular file");
        ::close(fd);
        return false;
    }
    // Regular files never block; clear the flag so reads behave normally.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    size_ = st.st_size;
    return true;
}

int64_t TReadFile::Read(char* buf, std::size_t n)
{
    if (fd_ < 0) {
        error_ = ErrorText(EBADF);
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(fd_, buf, n);
        if (got >= 0)
            return got;
        if (errno == EINTR)
            continue;
        error_ = ErrorText(errno);
        return -1;
    }
}

namespace {
// Calls read(done) until n bytes are in or it gives 0 (the end): the count, or -1 on an error.
template <class Read>
int64_t ReadUpTo(std::size_t n, const Read& read)
{
    std::size_t done = 0;
    while (done < n) {
        const int64_t got = read(done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<int64_t>(done);
}
} // namespace

int64_t TReadFile::ReadFull(char* buf, std::size_t n)
{
    return ReadUpTo(n, [&](std::size_t done) { return Read(buf + done, n - done); });
}

bool TReadFile::SeekTo(int64_t at)
{
    return fd_ >= 0 && ::lseek(fd_, static_cast<off_t>(at), SEEK_SET) == static_cast<off_t>(at);
}

int64_t TReadFile::ReadFullAt(char* buf, std::size_t n, int64_t at) const
{
    if (fd_ < 0)
        return -1;
    return ReadUpTo(n, [&](std::size_t done) -> int64_t {
        for (;;) {
            const ssize_t got = ::pread(fd_, buf + done, n - done, static_cast<off_t>(at + static_cast<int64_t>(done)));
            if (got >= 0 || errno != EINTR)
                return got;
        }
    });
}

namespace {

void SetLength(std::string& s, std::size_t n) { s.resize(n); }
void SetLength(TByteBuf& b, std::size_t n) { b.SetSize(n); }

// Room for a whole file. A string is zero-filled, so huge pages are asked for first.
void OpenRoom(std::string& s, std::size_t n)
{
    s.reserve(n);
    AdviseHugePages(s.data(), s.capacity());
    s.resize(n);
}
void OpenRoom(TByteBuf& b, std::size_t n) { b.SetSize(n); }

// Reads the first n bytes of f into p in parts side by side, when n is large enough for it
// to pay; true when all n were read. False (nothing said) when a part fell short, the file
// having shrunk meanwhile, or failed: the caller then reads in order and sees why.
bool ReadSideBySide(const TReadFile& f, char* p, std::size_t n)
{
    constexpr std::size_t kPart = std::size_t{8} << 20;
    const unsigned cpus = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t parts = std::min<std::size_t>({4, cpus, n / kPart});
    if (parts < 2)
        return false;
    // Parts end on huge-page edges, so no page is faulted in by two threads.
    const std::size_t step = (n / parts + kHugePage - 1) & ~(kHugePage - 1);
    std::atomic<bool> whole{true};
    auto part = [&](std::size_t i) {
        const std::size_t at = i * step;
        if (at >= n)
            return;
        const std::size_t len = std::min(step, n - at);
        if (f.ReadFullAt(p + at, len, static_cast<int64_t>(at)) != static_cast<int64_t>(len))
            whole = false;
    };
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < parts; ++i) {
        try {
            helpers.emplace_back(part, i);
        } catch (const std::system_error&) {
            part(i);   // no thread to be had: this one reads the part
        }
    }
    part(0);
    for (std::thread& t : helpers)
        t.join();
    return whole;
}

template <class Buf>
bool ReadWhole(const std::string& path, Buf& out, std::string& error, int64_t cap, bool sideBySide)
{
    SetLength(out, 0);
    error.clear();
    TReadFile f;
    if (!f.Open(path)) {
        error = f.Error();
        return false;
    }
    if (f.Size() > cap) {
        error = "File is larger than " + std::to_string(cap) + " bytes";
        return false;
    }
    // The size may change while reading: read in steps and stop at the cap.
    // One byte more than the size, so the end is seen without growing (and copying) the
    // buffer, which its caller may keep as it is.
    const std::size_t want = static_cast<std::size_t>(f.Size());
    const std::size_t room = f.Size() < cap ? want + 1 : want;
    OpenRoom(out, room);
    std::size_t have = 0;
    if (sideBySide && ReadSideBySide(f, out.data(), want)) {
        have = want;
        if (!f.SeekTo(static_cast<int64_t>(want)))
            have = 0;   // read it in order from the start
    }
    for (;;) {
        if (have == out.size()) {
            // Room for at least one more byte, to see whether the file grew.
            if (static_cast<int64_t>(have) >= cap) {
                char probe;
                const int64_t more = f.Read(&probe, 1);
                if (more == 0)
                    break;
                SetLength(out, 0);
                error = more < 0 ? f.Error()
                                 : "File is larger than " + std::to_string(cap) + " bytes";
                return false;
            }
            const std::size_t grow = std::max<std::size_t>(have / 2, 65536);
            SetLength(out, static_cast<std::size_t>(std::min<int64_t>(cap, static_cast<int64_t>(have + grow))));
        }
        const int64_t got = f.Read(out.data() + have, out.size() - have);
        if (got < 0) {
            SetLength(out, 0);
            error = f.Error();
            return false;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    SetLength(out, have);
    return true;
}

} // namespace

bool ReadRegularFile(const std::string& path, std::string& out, std::string& error, int64_t cap)
{
    return ReadWhole(path, out, error, cap, false);
}

bool ReadRegularFile(const std::string& path, TByteBuf& out, std::string& error, int64_t cap)
{
    return ReadWhole(path, out, error, cap, true);
}

namespace {

bool WriteAllFd(int fd, const char* p, std::size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0) {
            errno = EIO;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

// Pieces are named ".<file>.<pid>-<n>.part" and stay locked while their writer lives.
constexpr std::string_view kPieceEnd = ".part";

bool IsPieceName(std::string_view n)
{
    if (n.size() < 1 + 1 + 1 + 3 + kPieceEnd.size() || n.front() != '.' ||
        n.substr(n.size() - kPieceEnd.size()) != kPieceEnd)
        return false;
    std::string_view core = n.substr(0, n.size() - kPieceEnd.size());
    const std::size_t dash = core.rfind('-');
    const std::size_t dot = core.rfind('.', dash == std::string_view::npos ? 0 : dash);
    if (dash == std::string_view::npos || dot == std::string_view::npos || dot == 0 || dot + 1 >= dash ||
        dash + 1 >= core.size())
        return false;
    auto digits = [](std::string_view d) {
        return !d.empty() && std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return digits(core.substr(dot + 1, dash - dot - 1)) && digits(core.substr(dash + 1));
}

std::pair<std::string, std::string> SplitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

} // namespace

void SweepWritePieces(const std::string& folder)
{
    std::vector<TDirEntry> entries;
    std::string error;
    if (!ListFolder(folder, entries, error))
        return;
    const std::string base = folder.empty() ? std::string(".") : folder;
    for (const TDirEntry& e : entries) {
        if (e.Kind != TEntryKind::Regular || e.IsLink || !IsPieceName(e.Name))
            continue;
        const std::string p = base + "/" + e.Name;
        const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat st {};
        // Only our own pieces, and only once no writer holds them.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(p.c_str());
        ::close(fd);
    }
}

TAtomicWriter::~TAtomicWriter() { Abort(); }

void TAtomicWriter::Abort()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (named_)
        ::unlink(piece_.c_str());
    fd_ = -1;
    named_ = false;
}

bool TAtomicWriter::Fail(int err)
{
    error_ = ErrorText(err);
    Abort();
    return false;
}

bool TAtomicWriter::Open(const std::string& path, int mode)
{
    Abort();
    error_.clear();
    if (path.empty() || path.find('\0') != std::string::npos)
        return Fail(ENOENT);
    // The file a link names is the one replaced, so the link stays.
    target_ = path;
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real)
            return Fail(errno);
        target_ = real;
        std::free(real);
    }
    struct stat old {};
    const bool existed = ::stat(target_.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        if (S_ISDIR(old.st_mode))
            return Fail(EISDIR);
        error_ = "Not a regular file";
        return false;
    }
    const auto [folder, file] = SplitPath(target_);
    SweepWritePieces(folder);

    static std::atomic<unsigned> counter{0};
    piece_ = folder + "/." + file + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
             std::string(kPieceEnd);
    const mode_t createMode = mode >= 0 ? static_cast<mode_t>(mode) : 0666;
    // An unnamed file first: a crash while writing leaves nothing behind.
    named_ = false;
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode);
    if (fd_ < 0) {
        fd_ = ::open(piece_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
        named_ = fd_ >= 0;
    }
    if (fd_ < 0)
        return Fail(errno);
    // Held until the piece has its final name, so a sweep never takes a live writer's piece.
    ::flock(fd_, LOCK_EX);
    if (mode >= 0 || existed) {
        const mode_t want = mode >= 0 ? static_cast<mode_t>(mode) : (old.st_mode & 07777);
        if (::fchmod(fd_, want) != 0)
            return Fail(errno);
    }
    return true;
}

bool TAtomicWriter::Write(const char* data, std::size_t n)
{
    if (fd_ < 0) {
        if (error_.empty())
            error_ = ErrorText(EBADF);
        return false;
    }
    if (!WriteAllFd(fd_, data, n))
        return Fail(errno);
    return true;
}

bool TAtomicWriter::Commit()
{
    if (fd_ < 0) {
        if (error_.empty())
            error_ = ErrorText(EBADF);
        return false;
    }
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        return Fail(errno);
    if (!named_) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, piece_.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return Fail(errno);
        named_ = true;
    }
    if (::rename(piece_.c_str(), target_.c_str()) != 0)
        return Fail(errno);
    named_ = false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        error_ = ErrorText(errno);
        return false;
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string& error, int mode)
{
    TAtomicWriter w;
    const bool ok = w.Open(path, mode) && w.Write(bytes.data(), bytes.size()) && w.Commit();
    error = ok ? std::string() : w.Error();
    return ok;
}

namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

void FillStat(TDirEntry& e, const struct stat& st)
{
    e.HasStat = true;
    e.Size = st.st_size;
    e.MTime = st.st_mtime;
    e.Dev = st.st_dev;
    e.Ino = st.st_ino;
    e.Mode = st.st_mode;
    e.Kind = S_ISREG(st.st_mode)   ? TEntryKind::Regular
             : S_ISDIR(st.st_mode) ? TEntryKind::Directory
                                   : TEntryKind::Other;
}

} // namespace

bool ListFolder(const std::string& folder, std::vector<TDirEntry>& out, std::string& error,
                bool withStat)
{
    out.clear();
    error.clear();
    const std::string path = folder.empty() ? std::string(".") : folder;
    const int dfd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (dfd < 0) {
        error = ErrorText(errno);
        return false;
    }
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(dfd));
    if (!dir) {
        error = ErrorText(errno);
        ::close(dfd);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(dir.get());
        if (!d) {
            if (errno != 0) {
                error = ErrorText(errno);
                return false;
            }
            break;
        }
        const char* n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        TDirEntry e;
        e.Name = n;
        bool needStat = withStat;
        switch (d->d_type) {
        case DT_REG: e.Kind = TEntryKind::Regular; break;
        case DT_DIR: e.Kind = TEntryKind::Directory; break;
        case DT_LNK: e.IsLink = true; needStat = true; break;
        case DT_UNKNOWN: needStat = true; break;
        default: e.Kind = TEntryKind::Other; break;
        }
        if (d->d_type == DT_UNKNOWN) {
            struct stat lst {};
            if (::fstatat(dirfd(dir.get()), n, &lst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(lst.st_mode))
                e.IsLink = true;
        }
        if (needStat) {
            struct stat st {};
            if (::fstatat(dirfd(dir.get()), n, &st, 0) == 0)
                FillStat(e, st);
            else
                e.Kind = TEntryKind::Other;  // dangling link or vanished entry
        }
        out.push_back(std::move(e));
    }
    return true;
}

namespace {

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(static_cast<unsigned char>(a[i])) != Lower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::string FindNoCase(const std::string& folder, const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    std::string base = folder.empty() ? std::string(".") : folder;
    if (base.back() != '/')
        base += '/';
    // Only what can be read as a file counts: a folder or a FIFO of that name is passed over
    // for a file that differs from it in case.
    struct stat st {};
    if (::stat((base + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return name;
    std::vector<TDirEntry> entries;
    std::string error;
    if (!ListFolder(folder, entries, error))
        return {};
    // The first match in byte order, so the choice does not depend on the file system.
    std::string best;
    for (const TDirEntry& e : entries)
        if (e.Kind == TEntryKind::Regular && EqualNoCase(e.Name, name) && (best.empty() || e.Name < best))
            best = e.Name;
    return best;
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = Lower(static_cast<unsigned char>(a[i]));
        const unsigned char cb = Lower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

} // namespace sys

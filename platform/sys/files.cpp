#include "platform/sys/files.h"

#include "platform/sys/memory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

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

int64_t TReadFile::ReadFull(char* buf, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        const int64_t got = Read(buf + done, n - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<int64_t>(done);
}

bool ReadRegularFile(const std::string& path, std::string& out, std::string& error, int64_t cap)
{
    out.clear();
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
    // string, which its caller may keep as it is.
    std::size_t want = static_cast<std::size_t>(f.Size());
    out.reserve(f.Size() < cap ? want + 1 : want);
    AdviseHugePages(out.data(), out.capacity());
    out.resize(f.Size() < cap ? want + 1 : want);
    std::size_t have = 0;
    for (;;) {
        if (have == out.size()) {
            // Room for at least one more byte, to see whether the file grew.
            if (static_cast<int64_t>(have) >= cap) {
                char probe;
                const int64_t more = f.Read(&probe, 1);
                if (more == 0)
                    break;
                out.clear();
                error = more < 0 ? f.Error()
                                 : "File is larger than " + std::to_string(cap) + " bytes";
                return false;
            }
            const std::size_t grow = std::max<std::size_t>(have / 2, 65536);
            out.resize(static_cast<std::size_t>(
                std::min<int64_t>(cap, static_cast<int64_t>(have + grow))));
        }
        const int64_t got = f.Read(out.data() + have, out.size() - have);
        if (got < 0) {
            out.clear();
            error = f.Error();
            return false;
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    out.resize(have);
    return true;
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
    struct stat st {};
    if (::lstat((base + name).c_str(), &st) == 0)
        return name;
    std::vector<TDirEntry> entries;
    std::string error;
    if (!ListFolder(folder, entries, error))
        return {};
    // The first match in byte order, so the choice does not depend on the file system.
    std::string best;
    for (const TDirEntry& e : entries)
        if (EqualNoCase(e.Name, name) && (best.empty() || e.Name < best))
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

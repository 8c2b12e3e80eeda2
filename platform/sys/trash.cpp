#include "platform/sys/trash.h"

#include "platform/sys/files.h"
#include "platform/sys/xdg_lookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>

namespace sys {

namespace {

// A folder of ours: made (0700) when missing; a link or anything else in its place fails.
bool OwnFolder(const std::string& path, std::string& error)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = path + ": " + ErrorText(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = path + ": not a folder";
        return false;
    }
    return true;
}

bool MakePath(const std::string& path)
{
    for (std::size_t at = 1; at <= path.size(); ++at)
        if (at == path.size() || path[at] == '/') {
            const std::string part = path.substr(0, at);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    return true;
}

// The top folder of the mount holding folder.
std::string MountTop(std::string folder, dev_t dev)
{
    while (folder.size() > 1) {
        const std::size_t slash = folder.rfind('/');
        const std::string up = slash == 0 ? std::string("/") : folder.substr(0, slash);
        struct stat st {};
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != dev)
            break;
        folder = up;
    }
    return folder;
}

// The trash folder for a file on the mount at top: top/.Trash/uid when the shared one is
// set up as it must be (a sticky folder, not a link), else top/.Trash-uid.
bool TopTrash(const std::string& top, std::string& trash, std::string& error)
{
    const std::string base = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(::getuid());
    struct stat st {};
    const std::string shared = base + "/.Trash";
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        std::string ignored;
        if (OwnFolder(shared + "/" + uid, ignored)) {
            trash = shared + "/" + uid;
            return true;
        }
    }
    trash = base + "/.Trash-" + uid;
    return OwnFolder(trash, error);
}

std::string Now()
{
    char buf[32];
    const std::time_t t = std::time(nullptr);
    std::tm tm {};
    ::localtime_r(&t, &tm);
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    return buf;
}

} // namespace

bool MoveToTrash(const std::string& path, std::string& error)
{
    error.clear();
    if (path.empty() || path.find('\0') != std::string::npos) {
        error = ErrorText(ENOENT);
        return false;
    }
    std::string abs = path;
    if (abs[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            error = ErrorText(errno);
            return false;
        }
        abs = std::string(cwd) + "/" + abs;
    }
    while (abs.size() > 1 && abs.back() == '/')
        abs.pop_back();
    const std::size_t slash = abs.rfind('/');
    const std::string folder = slash == 0 ? std::string("/") : abs.substr(0, slash);
    const std::string name = abs.substr(slash + 1);
    struct stat file {}, dir {};
    if (name.empty() || name == "." || name == ".." || ::lstat(abs.c_str(), &file) != 0 ||
        ::stat(folder.c_str(), &dir) != 0) {
        error = ErrorText(errno ? errno : ENOENT);
        return false;
    }

    const std::string home = xdg::TXdgDirs::FromEnv().DataHome;
    struct stat homeSt {};
    std::string trash;
    if (MakePath(home) && ::stat(home.c_str(), &homeSt) == 0 && homeSt.st_dev == dir.st_dev) {
        trash = home + "/Trash";
        if (!OwnFolder(trash, error))
            return false;
    } else if (!TopTrash(MountTop(folder, dir.st_dev), trash, error)) {
        return false;
    }
    if (!OwnFolder(trash + "/files", error) || !OwnFolder(trash + "/info", error))
        return false;

    // A name of our own in the trash, claimed by creating its information file.
    for (int n = 1; n < 100000; ++n) {
        const std::string entry = n == 1 ? name : name + "." + std::to_string(n);
        const std::string info = trash + "/info/" + entry + ".trashinfo";
        const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            error = info + ": " + ErrorText(errno);
            return false;
        }
        const std::string target = trash + "/files/" + entry;
        struct stat taken {};
        if (::lstat(target.c_str(), &taken) == 0) {
            ::close(fd);
            ::unlink(info.c_str());
            continue;
        }
        const std::string text = "[Trash Info]\nPath=" + xdg::PercentEncode(abs) + "\nDeletionDate=" + Now() + "\n";
        const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        const int writeErr = errno;
        ::close(fd);
        if (!written) {
            error = info + ": " + ErrorText(writeErr);
            ::unlink(info.c_str());
            return false;
        }
        if (::rename(abs.c_str(), target.c_str()) != 0) {
            error = ErrorText(errno);
            ::unlink(info.c_str());
            return false;
        }
        return true;
    }
    error = "No free name in the trash";
    return false;
}

} // namespace sys

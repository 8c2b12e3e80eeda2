#include "tests/support/test_util.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace testutil {

std::string DataPath(const std::string& name) { return std::string(OSTRIN_TEST_DATA) + "/" + name; }

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string CrLf(std::initializer_list<const char*> lines)
{
    std::string s;
    for (const char* l : lines) {
        s += l;
        s += "\r\n";
    }
    return s;
}

TLines Split(std::initializer_list<const char*> lines)
{
    TLines l;
    for (const char* s : lines)
        l.Append(s);
    return l;
}

void RemoveTree(const std::string& root)
{
    struct stat st {};
    if (root.empty() || ::lstat(root.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        // A folder a test made unreadable or unwritable is opened up first.
        ::chmod(root.c_str(), 0700);
        if (DIR* d = ::opendir(root.c_str())) {
            std::vector<std::string> names;
            while (const dirent* e = ::readdir(d)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..")
                    names.push_back(n);
            }
            ::closedir(d);
            for (const std::string& n : names)
                RemoveTree(root + "/" + n);
        }
        ::rmdir(root.c_str());
        return;
    }
    ::unlink(root.c_str());
}

} // namespace testutil

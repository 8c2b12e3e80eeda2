#include "tests/support/test_util.h"

#include <fstream>
#include <iterator>
#include <sstream>

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

} // namespace testutil

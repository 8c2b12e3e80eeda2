#pragma once
// Small helpers shared by the tests.
#include <string>

namespace testutil {

// Folder of the checked-in fixtures.
std::string DataPath(const std::string& name);

// Whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Writes bytes to a file, creating it; false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);

// Joins lines with CR LF after each, as the program writes text files.
std::string CrLf(std::initializer_list<const char*> lines);

} // namespace testutil

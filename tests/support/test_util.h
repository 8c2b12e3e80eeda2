#pragma once
// Small helpers shared by the tests.
#include "schematic/core/lines.h"
#include "schematic/core/records.h"

#include <initializer_list>
#include <string>

namespace testutil {

// Folder of the checked-in fixtures.
std::string DataPath(const std::string& name);

// Whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// Writes bytes to a file, creating it; false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);

// Removes a tree by its bytes, whatever its names and modes (unreadable folders included);
// the toolkit cannot remove names that are not valid UTF-8.
void RemoveTree(const std::string& root);

// Joins lines with CR LF after each, as the program writes text files.
std::string CrLf(std::initializer_list<const char*> lines);

// A line list of the given lines.
TLines Split(std::initializer_list<const char*> lines);

// A shape record with the given fields.
inline TShapeRec Shape(int32_t kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t style = 0,
                       int32_t selected = 0)
{
    return TShapeRec{kind, x1, y1, x2, y2, style, selected};
}

} // namespace testutil

#pragma once
// The component files of a folder, by name. Plain C++ over the one folder lister.
#include <string>
#include <vector>

// Names of the regular files (links followed) in folder whose names end in ".cmp" in any
// case: without the extension, a to z upper-cased, sorted by bytes, each once. A missing
// folder gives none. FIFOs, folders and dangling links named x.cmp are never listed.
std::vector<std::string> ListCompNames(const std::string& folder);

// The path of the file for a name in folder: the entry found whatever its case (exact match
// first), or folder + "/" + name as given when there is none. found tells which.
std::string CompFileIn(const std::string& folder, const std::string& fileName, bool* found = nullptr);

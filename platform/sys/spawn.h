#pragma once
// Starting another program with an argument list of exact bytes, never through a shell and
// never through text conversions, so that a file name that is not valid UTF-8 reaches it as
// it is. The program is detached: it is not our child and outlives us.
#include <string>
#include <vector>

namespace sys {

// Starts argv[0] (a path; a bare name is looked up along $PATH) with argv as its arguments,
// in workDir when that is not empty. False, with error set, when it could not be started
// (the program's own exit status is not waited for).
bool StartDetached(const std::vector<std::string>& argv, const std::string& workDir, std::string& error);

} // namespace sys

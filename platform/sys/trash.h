#pragma once
// Moving a file to the desktop's trash (the freedesktop trash folders), by its bytes, so a
// name that is not valid UTF-8 goes too. A file is only ever renamed into a trash folder on
// its own device with its information file beside it; when that cannot be done the file
// stays where it is: there is no copying and no deleting.
#include <string>

namespace sys {

// Moves path (absolute, or against the working folder) to the home trash when it is on the
// home trash's device, else to the trash at the top of its mount. False, with error set,
// when the file stays.
bool MoveToTrash(const std::string& path, std::string& error);

} // namespace sys

#pragma once
// Paths between their bytes and the QString forms the windows hold. Names that are not
// valid UTF-8 survive the round trip: each byte that is not part of a valid sequence stands
// in the text as a lone low surrogate (U+DC80 to U+DCFF), which valid text never holds, and
// turns back into that byte. So a file listed by its bytes can be shown, passed on as text
// and opened again by the same bytes.
#include <QString>

#include <string>

std::string PathBytes(const QString& path);
QString PathText(const std::string& bytes);

// Puts a path on the clipboard as its exact bytes (plain text) and as a file URL.
void CopyPathToClipboard(const std::string& bytes);

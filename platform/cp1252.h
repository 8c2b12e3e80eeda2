#pragma once
// Windows-1252 bytes <-> Unicode, at the edges where texts are shown, typed or put on
// the clipboard. Lossless both ways: the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value and back.
#include <QString>
#include <string>
#include <string_view>

QString FromCp1252(std::string_view bytes);
// Characters outside Windows-1252 become '?'.
std::string ToCp1252(const QString& text);

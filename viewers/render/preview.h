#pragma once
// Previews of schematic files: the thumbnail of a file (the folder browser and the search
// program) and one stored state of an autosave file at a chosen scale (the backup viewer).
// The text is drawn while it is read, through the one renderer, without building the
// editor's lists.
#include "platform/sys/files.h"
#include "schematic/core/lines.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace preview {
// The full-size drawing of a thumbnail (world x 0..242, y 0..131 at scale 2) and the grey
// thumbnail it is reduced to.
inline constexpr int BigWidth = 486;
inline constexpr int BigHeight = 264;
inline constexpr int ThumbWidth = 243;
inline constexpr int ThumbHeight = 132;
// A preview takes what the editor takes: a file larger than the editor's read cap is refused
// as the editor refuses it; any other file is read only as far as its first state goes,
// however long its lines are.
inline constexpr uint64_t MaxReadBytes = uint64_t(sys::kReadCap);
} // namespace preview

enum class TPreviewStatus {
    Drawn,          // a schematic: the pictures were made
    NotSchematic,   // fewer than 6 lines or no "SCHEMATIC" header: nothing drawn
    Unreadable,     // not a regular file, or it could not be opened or read: nothing drawn
};

struct TPreviewResult {
    TPreviewStatus Status = TPreviewStatus::NotSchematic;
    std::string Error;  // short reason for Unreadable ("Is a directory", ...), else empty
    bool Drawn() const { return Status == TPreviewStatus::Drawn; }
};

// Reads the file's first snapshot (an autosave file costs only its first state) and draws it
// at scale 2 into big (made 486 by 264, white paper), then reduces it into thumb (made 243
// by 132, grey). Only regular files are read, and none the editor would refuse for its
// size. When nothing is drawn, big and thumb are left as they were.
TPreviewResult MakeThumbnail(const std::string& path, QImage& big, QImage& thumb);

// The same from text already in memory (a line list is read in place).
TPreviewResult MakeThumbnail(const TLines& lines, QImage& big, QImage& thumb);

// The backup viewer's drawing: the snapshot whose header is line startLine of lines, at scale
// 2, 4 or 8, into out, made width by height, aqua with a grey outline. The whole list is
// checked as for a file (at least 6 lines, line 0 "SCHEMATIC"); when that fails nothing is
// drawn, out is left as it was and the result is false. A startLine past the end draws the
// empty background.
bool DrawSnapshot(const TLines& lines, std::size_t startLine, int32_t scale, int width, int height,
                  QImage& out);

// Reduces a 486 by 264 drawing into a 243 by 132 grey thumbnail: each pixel is the mean of the
// blue parts of its 2 by 2 block (integer division), in all three colours.
void SmoothDownsize(const QImage& source, QImage& thumb);

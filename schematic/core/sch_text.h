#pragma once
// The schematic text format: snapshots in files, undo slots and autosave files, and the
// clipboard form. Readers return what the window must show instead of showing it.
#include "schematic/core/lines.h"
#include "schematic/core/records.h"

#include <string>
#include <vector>

// Both writers replace the content of out (use TLines::Append to chain snapshots).
// Texts are written without CR, LF or NUL and cut to 100 bytes.
// One snapshot of the whole model; writes nothing when the model is empty.
void WriteSnapshot(const TSchModel& model, TLines& out);
// "SCHEMATIC", then selected items only (a selected component with all its shapes and texts);
// component shapes begin with "<CSHAPE>".
void WriteClipboard(const TSchModel& model, TLines& out);

struct TLoadReport {
    bool Ok = false;          // false: too short or no header (nothing read)
    std::string PanelText;    // for status panel 2; empty when nothing is to be shown
    std::string Message;      // message box text ("\r" breaks lines); empty when none
    int ShapeErrors = 0;
    int CompErrors = 0;
    int TextErrors = 0;
};

// Erases the model, checks the slot and reads the snapshot whose header is at startLine.
// Reading stops silently at the first line out of place or at a block cut short by the end.
// Message: "FILE LOAD ERROR ..." with the failed-number counts, when any failed.
TLoadReport DoLoad(const TLines& slot, int startLine, TSchModel& model);
// The same for a text read once, as a file just opened: the list is taken and emptied, and
// the memory of its lines is given back while they are read, so a large file and the
// drawing made from it are never both held whole.
TLoadReport DoLoadTaking(TLines&& slot, int startLine, TSchModel& model);
// Reads from line 1; the model is only erased once both checks pass; no counting.
TLoadReport DoUndo(const TLines& slot, TSchModel& model);

// Line indexes of the snapshot headers, found by walking the grammar, so a text whose
// content is "SCHEMATIC" is never taken for a header.
std::vector<std::size_t> SnapshotStarts(const TLines& text);
// The line after the last one the reader takes of the snapshot whose header is at start.
std::size_t SnapshotEnd(const TLines& text, std::size_t start);

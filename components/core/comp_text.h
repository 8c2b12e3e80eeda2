#pragma once
// The component text format (".cmp" files and the component window's undo text):
// "COMPONENT", then shape blocks, then text blocks. One walker reads it for every user:
// the component window, the schematic window's component loader and the picker's preview.
#include "schematic/core/lines.h"
#include "schematic/core/records.h"

#include <cstdint>
#include <list>
#include <string>
#include <string_view>

// A text of a library component: at most 100 bytes; Font bits 0-3 nonzero for the symbol
// font, bits 4-7 the size step; X, Y in tenths of a half unit from the origin.
struct TCompTextRec {
    std::string Text;
    uint8_t Font = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Selected = 0;
    bool operator==(const TCompTextRec&) const = default;
};
using PCompTextRec = TCompTextRec*;
using TCompTextList = std::list<TCompTextRec>;

// The component window's drawing; list order is drawing order and file order.
struct TCompModel {
    TShapeList ShapeList;
    TCompTextList TextList;
    bool Empty() const { return ShapeList.empty() && TextList.empty(); }
    void Clear()
    {
        ShapeList.clear();
        TextList.clear();
    }
    bool operator==(const TCompModel&) const = default;
};

// How a reading ended.
enum class TCompStop {
    Ok,          // the end of the text, or a line after the blocks (ignored)
    NoHeader,    // no lines, or line 0 is not "COMPONENT"
    CutOff,      // a block runs past the end of the text
    BadNumber,   // a number line does not convert
    BadFont,     // a Font outside 0 to 255 (only when the range is checked)
    OtherLine,   // a line that is not the keyword expected (only in strict walks)
};

struct TCompWalkOpts {
    bool Header = true;      // line 0 must be "COMPONENT"
    bool Checks = true;      // cut-off blocks and numbers that do not convert stop the walk
    bool FontRange = true;   // a Font outside 0 to 255 stops the walk
    // The shape section ends only at "<TEXT>" and the text section only at the end; any
    // other line stops the walk with OtherLine (the preview's reading).
    bool Strict = false;
};

// Walks the blocks of a component text from line 1, calling shape(const TShapeRec&) for each
// shape and text(std::string_view text, int32_t font, int32_t x, int32_t y) for each text as
// soon as its block is read; the text is the whole line. Returns how the walk stopped.
template <class ShapeFn, class TextFn>
TCompStop WalkComp(const TLines& L, const TCompWalkOpts& o, ShapeFn&& shape, TextFn&& text);

// Messages of the component window for a reading that stopped on a fault; empty for Ok.
const char* CompStopMessage(TCompStop stop);

// Reads a component file into the component window's model (replaced). Any fault empties it.
TCompStop ReadComp(const TLines& lines, TCompModel& model);
// Reads the undo text: no header test and no checks. False (model untouched) when it has
// fewer than 6 lines, the shortest state.
bool ReadCompUndo(const TLines& lines, TCompModel& model);
// Reads a component file into a component to be placed (shapes and texts replaced); the
// Font word is taken as it stands. Any fault empties it.
TCompStop ReadCompInto(const TLines& lines, TCompRec& comp);

// Replaces out with the text of the model; false (out untouched) when the model is empty.
bool WriteComp(const TCompModel& model, TLines& out);

// ---- file names

// The folder part of a path (up to and including its last "/"), and the rest.
std::string_view PathFolder(std::string_view path);
std::string_view PathFile(std::string_view path);
// a to z become A to Z in the file-name part only; the folder keeps its bytes.
std::string UpperFileName(std::string_view path);

#include "components/core/comp_walk.inl"

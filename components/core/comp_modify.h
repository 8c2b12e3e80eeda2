#pragma once
// The component window's modification commands on its model: flip and quarter turns,
// delete, duplicate, moving the whole drawing, rescaling by a typed factor, free rotation of
// lines, the menu availability, and the clipboard text both ways. Plain C++.
#include "components/core/comp_text.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace comp {

// Flip (1: X := -X, 2: Y := -Y, arcs exchange their points) and quarter turns about the
// origin (3: (X, Y) := (-Y, X), 4: (X, Y) := (Y, -X)) of every shape and text whose mark is 1.
void TurnSelected(TCompModel& m, int tag);

// Unlinks every selected shape and text.
void DeleteSelected(TCompModel& m);
// Selected copies, 8 half units (texts 80 tenths) right and down, appended after the last
// item; the originals are unselected. A circle keeps its size.
void DuplicateSelected(TCompModel& m);
// Every shape 1 half unit (a circle its centre), every text 10 tenths; 1 up, 2 down,
// 3 left, 4 right.
void MoveAll(TCompModel& m, int direction);

// The rescale answer: "x2.5", "*2.5" or "2.5" multiply, "/2.5" or "/x2" divide.
struct TScale {
    bool Ok = false;
    bool Divide = false;
    double Factor = 1;
    std::string Rest;   // the number's text, for the error message
};
TScale ParseScale(std::string_view answer);
// Every shape's X1, Y1, X2, Y2 times (or divided by) the factor, rounded half to even.
// False, with nothing changed, when any result would not fit 32 bits.
bool Rescale(TCompModel& m, const TScale& s);
// "Error in Scale value: " followed by the rest.
std::string ScaleError(const TScale& s);

// Turns the end points of every line (kind 1) by `degrees` about the origin, clockwise as
// seen; other kinds and texts stay. False, with nothing changed, when a result would not
// fit 32 bits.
bool RotateLines(TCompModel& m, int32_t degrees);

// The availability of the Edit and Modify items.
struct TCompMenus {
    bool Undo = false, Copy = false, Paste = false, Delete = false, SelAll = false, Dup = false, Flip = false,
         Rotate = false;
    bool AlterText = false, PenSze = false, PenType = false, Arrow = false, Fill = false, Rescale = false;
    bool operator==(const TCompMenus&) const = default;
};
TCompMenus MenuState(const TCompModel& m, std::size_t undoLines, bool clipboardHasText, bool hitText);

// The style field of the first selected shape (of kind 11 for arrows), 1 when 0; none when
// no shape fits. field: 0x00F0 width, 0xF000 line style, 0x0F00 arrow type.
std::optional<int32_t> FirstSelectedField(const TCompModel& m, int32_t mask, bool arrowsOnly);

// The clipboard text of the selection: "SCHEMATIC" and the selected shape and text blocks
// with the component's own numbers. Empty when nothing is selected.
std::string CopyText(const TCompModel& m);
// Pastes a clipboard text: selected copies at the heads of the lists, 8 half units (texts 80
// tenths) right and down; a component block ends the reading. beforeAdd runs once before the
// first item goes in. Returns how many were added, or -1 when the text is no drawing.
int PasteText(const TLines& lines, TCompModel& m, const std::function<void()>& beforeAdd);
// A pasted font word in the font byte: its symbol and size fields (a schematic angle drops).
uint8_t PastedFont(int32_t font);

} // namespace comp

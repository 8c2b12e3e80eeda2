#pragma once
// Which items of the schematic window's Edit and Modify menus are enabled, as
// functions of the drawing and a few facts the window gathers; and the small model
// commands of the window (delete, z-order, select none).
#include "schematic/core/records.h"

#include <cstddef>

bool AnyShapeSelected(const TSchModel& m);
bool AnyCompSelected(const TSchModel& m);
bool AnyTextSelected(const TSchModel& m);
// Top-level items only; a component's own shapes and texts do not count.
bool AnySelected(const TSchModel& m);

struct TEditMenuFacts {
    std::size_t NewestSlotLines = 0;
    bool AutoSaveOn = false;
    bool UndoFileExists = false;
    bool ClipboardHasText = false;
};
struct TEditMenuState {
    bool Undo = false, ViewUndoInfo = false, CopyText = false, PasteText = false, Delete = false,
         DupShape = false, SelAll = false, CopyBMP = false, CopyMeta = false, Redraw = true;
    bool operator==(const TEditMenuState&) const = default;
};
TEditMenuState EditMenuState(const TSchModel& m, const TEditMenuFacts& f);

struct TModifyMenuState {
    bool Flip = false, Mirror = false, RotateClock = false, RotateAnti = false, AlterPenSze = false,
         AlterPenType = false, AlterArrow = false, CorrFonts = false, AlterText = false,
         ToggleFill = false, ZOrder = false, PanTopMost = false;
    bool operator==(const TModifyMenuState&) const = default;
};
TModifyMenuState ModifyMenuState(const TSchModel& m, bool hitShapeSet, bool hitTextSet);

// Frees every selected top-level record (a component with its shapes and texts).
void DeleteSelected(TSchModel& m);
// Moves the hit shape to the head of the list (drawn first), clearing its mark; nothing
// when it is already the head or not in the list. The record keeps its address.
void MoveShapeToBack(TShapeList& shapes, const TShapeRec* hit);
// Clears every selection mark, components' own records included.
void SelectNone(TSchModel& m);
// Marks every shape, component and free text (components' own records keep theirs).
void SelectAll(TSchModel& m);

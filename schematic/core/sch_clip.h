#pragma once
// Reading the clipboard form back into the model.
#include "schematic/core/lines.h"
#include "schematic/core/records.h"

#include <functional>

struct TPasteResult {
    bool NoSchematic = false;  // short text without the header: nothing read
    int Added = 0;             // shapes, components and texts added
};

// Adds the clipboard items, selected, each at the head of its list, displaced by d world
// units (texts by 10 * d tenths; a circle's size stays). Component shapes must begin with
// "<CSHAPE>". beforeAdd runs once, just before the first item goes in, so the caller can
// store an undo state of the drawing as it was. Without takeComps (a drawing that holds no
// components) a component block ends the reading.
TPasteResult PasteText(const TLines& lines, int32_t d, TSchModel& model,
                       const std::function<void()>& beforeAdd = {}, bool takeComps = true);

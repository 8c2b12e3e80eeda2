#pragma once
// The ten undo slots of a schematic window. Each slot holds one snapshot (or, after a
// backup was opened, a whole autosave file); UndoIndex names the newest.
#include "schematic/core/lines.h"
#include "schematic/core/records.h"

#include <array>
#include <cstdint>

class TUndoRing {
public:
    static constexpr int32_t SlotCount = 10;

    // Slot 1..10.
    TLines& Slot(int32_t index) { return slots_[static_cast<std::size_t>(Wrap(index) - 1)]; }
    const TLines& Slot(int32_t index) const { return slots_[static_cast<std::size_t>(Wrap(index) - 1)]; }
    TLines& Newest() { return Slot(UndoIndex); }
    const TLines& Newest() const { return Slot(UndoIndex); }

    // Undo is offered when the newest slot holds more than a header and a part of a block.
    bool CanUndo() const { return Newest().Count() > 5; }

    // Writes the model into the next slot, dropping the oldest state once all ten are used.
    // An empty model uses no slot: false.
    bool Store(const TSchModel& model);

    // After an undo: clears the newest slot and steps back one (wrapping to 10).
    void StepBack();

    std::size_t ByteSize() const;

    int32_t UndoIndex = 1;

private:
    static int32_t Wrap(int32_t i) { return ((i - 1) % SlotCount + SlotCount) % SlotCount + 1; }
    std::array<TLines, SlotCount> slots_;
};

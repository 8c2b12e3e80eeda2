#include "schematic/core/undo_ring.h"

#include "schematic/core/sch_text.h"

bool TUndoRing::Store(const TSchModel& model)
{
    if (model.Empty())
        return false;
    UndoIndex = UndoIndex + 1 > SlotCount ? 1 : UndoIndex + 1;
    TLines& slot = Newest();
    slot.Clear();
    WriteSnapshot(model, slot);
    // A slot that once held a much larger drawing gives the surplus back.
    if (slot.ByteSize() > 3 * slot.TextView().size() + 4096) {
        TLines exact = slot;
        slot = std::move(exact);
    }
    return true;
}

void TUndoRing::StepBack()
{
    Newest().Clear();
    UndoIndex = UndoIndex - 1 < 1 ? SlotCount : UndoIndex - 1;
}

std::size_t TUndoRing::ByteSize() const
{
    std::size_t n = 0;
    for (const TLines& s : slots_)
        n += s.ByteSize();
    return n;
}

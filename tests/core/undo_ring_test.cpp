#include "schematic/core/sch_text.h"
#include "schematic/core/undo_ring.h"

#include <gtest/gtest.h>

namespace {
TShapeRec Line(int32_t x) { return {1, x, 0, x + 5, 5, 0, 0}; }
} // namespace

TEST(UndoRing, EmptyModelUsesNoSlotAndFirstStateGoesToSlotTwo)
{
    TUndoRing ring;
    TSchModel m;
    EXPECT_FALSE(ring.Store(m));
    EXPECT_EQ(ring.UndoIndex, 1);
    EXPECT_FALSE(ring.CanUndo());
    m.ShapeList.push_back(Line(0));
    EXPECT_TRUE(ring.Store(m));
    EXPECT_EQ(ring.UndoIndex, 2);
    EXPECT_EQ(ring.Newest().Count(), 8u);
    EXPECT_TRUE(ring.CanUndo());
}

// Twelve changes, each storing the state before it: ten undos walk back to the state
// before the third change, then the slot the first undo cleared stops the walk.
TEST(UndoRing, TwelveChangesGiveTenUndos)
{
    TUndoRing ring;
    TSchModel m;
    m.ShapeList.push_back(Line(0));   // the drawing before the first change has one line
    for (int change = 1; change <= 12; ++change) {
        ring.Store(m);
        m.ShapeList.push_back(Line(change * 10));
    }
    ASSERT_EQ(m.ShapeList.size(), 13u);
    int undos = 0;
    while (ring.CanUndo()) {
        TLoadReport r = DoUndo(ring.Newest(), m);
        ASSERT_TRUE(r.Ok) << r.PanelText;
        ring.StepBack();
        ++undos;
        EXPECT_EQ(m.ShapeList.size(), 13u - undos);
    }
    EXPECT_EQ(undos, 10);
    // Before the third change the drawing held the first line and two more.
    EXPECT_EQ(m.ShapeList.size(), 3u);
    EXPECT_EQ(m.ShapeList.back().X1, 20);
}

TEST(UndoRing, StepBackWrapsBelowOne)
{
    TUndoRing ring;
    ring.StepBack();
    EXPECT_EQ(ring.UndoIndex, 10);
    TSchModel m;
    m.TextList.push_back({"a", 1, 2, 0, 0});
    ring.Store(m);
    EXPECT_EQ(ring.UndoIndex, 1);
}

// After the drawing shrinks, the ring does not keep the big states' buffers.
TEST(UndoRing, SlotsGiveBackTheMemoryOfLargerStates)
{
    TUndoRing ring;
    TSchModel big;
    for (int i = 0; i < 20000; ++i)
        big.ShapeList.push_back(Line(i));
    for (int i = 0; i < TUndoRing::SlotCount; ++i)
        ring.Store(big);
    TSchModel small;
    small.ShapeList.push_back(Line(1));
    for (int i = 0; i < TUndoRing::SlotCount; ++i)
        ring.Store(small);
    EXPECT_LT(ring.ByteSize(), 100000u);
}

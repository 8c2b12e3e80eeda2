// The component window's modification commands on its model.
#include "components/core/comp_modify.h"
#include "components/core/comp_edit.h"

#include "tests/support/test_util.h"

#include "comp_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using testutil::CrLf;
using testutil::Shape;

namespace {

std::vector<TShapeRec> Shapes(const TCompModel& m) { return {m.ShapeList.begin(), m.ShapeList.end()}; }


} // namespace

TEST(CompRescale, AnswersParseAndScaleOrAreRefused)
{
    struct Row {
        const char* answer;
        bool ok;
        const char* error;   // when refused
        std::vector<int32_t> want;   // X1, Y1, X2, Y2 of the line 0,0 - 3,1 (and -5,7 - 100,-1)
    } rows[] = {
        {"x2.5", true, "", {0, 0, 8, 2, -12, 18, 250, -2}},
        {"*2.5", true, "", {0, 0, 8, 2, -12, 18, 250, -2}},
        {"2.5", true, "", {0, 0, 8, 2, -12, 18, 250, -2}},
        {"/2", true, "", {0, 0, 2, 0, -2, 4, 50, 0}},
        {"/x2", true, "", {0, 0, 2, 0, -2, 4, 50, 0}},
        {"x/2", false, "Error in Scale value: /2", {}},
        {"/", false, "Error in Scale value: ", {}},
        {"x", false, "Error in Scale value: ", {}},
        {"/0", false, "Error in Scale value: 0", {}},
        {"x0", false, "Error in Scale value: 0", {}},
        {"x1e30", false, "Error in Scale value: 1e30", {}},
        {"x1e7", true, "", {0, 0, 30000000, 10000000, -50000000, 70000000, 1000000000, -10000000}},
        {"x1e8", false, "Error in Scale value: 1e8", {}},
        {"inf", false, "Error in Scale value: inf", {}},
        {"nan", false, "Error in Scale value: nan", {}},
        {"0x10", false, "Error in Scale value: 0x10", {}},
        {"2.5abc", false, "Error in Scale value: 2.5abc", {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.answer);
        TCompModel m = With({Shape(1, 0, 0, 3, 1), Shape(4, -5, 7, 100, -1)}, {{"T", 48, 30, 40, 0}});
        const TCompModel before = m;
        const comp::TScale s = comp::ParseScale(r.answer);
        const bool done = comp::Rescale(m, s);
        EXPECT_EQ(done, r.ok);
        if (!done) {
            EXPECT_EQ(comp::ScaleError(s), r.error);
            EXPECT_EQ(m, before);
            continue;
        }
        std::vector<int32_t> got;
        for (const TShapeRec& x : m.ShapeList)
            got.insert(got.end(), {x.X1, x.Y1, x.X2, x.Y2});
        EXPECT_EQ(got, r.want);
        EXPECT_EQ(m.TextList, before.TextList);   // texts keep their places
    }
}

TEST(CompRotate, FreeRotationTurnsLinesOnly)
{
    const std::tuple<int, TShapeRec> rows[] = {
        {90, Shape(1, 0, 0, 0, 10)},
        {-180, Shape(1, 0, 0, -10, 0)},
        {45, Shape(1, 0, 0, 7, 7)},
        {0, Shape(1, 0, 0, 10, 0)},
    };
    for (const auto& [deg, want] : rows) {
        TCompModel m = With({Shape(1, 0, 0, 10, 0), Shape(2, 0, 0, 10, 5), Shape(4, 10, 0, 8, 8),
                             Shape(5, 0, 0, 10, 10), Shape(11, 0, 0, 10, 0, 257)},
                            {{"T", 48, 100, 0, 0}});
        const TCompModel before = m;
        ASSERT_TRUE(comp::RotateLines(m, deg));
        EXPECT_EQ(m.ShapeList.front(), want) << deg;
        EXPECT_EQ(std::vector<TShapeRec>(std::next(m.ShapeList.begin()), m.ShapeList.end()),
                  std::vector<TShapeRec>(std::next(before.ShapeList.begin()), before.ShapeList.end()));
        EXPECT_EQ(m.TextList, before.TextList);
    }
    // A line whose turned end would leave 32 bits is refused and nothing moves.
    TCompModel far = With({Shape(1, 0, 0, 10, 0), Shape(1, INT32_MAX, INT32_MAX, 0, 0)});
    const TCompModel before = far;
    EXPECT_FALSE(comp::RotateLines(far, 45));
    EXPECT_EQ(far, before);
}

TEST(CompTurn, FlipAndQuarterTurnsAboutTheOrigin)
{
    struct Row {
        int tag;
        TShapeRec line, arc;
        int32_t tx, ty;
    } rows[] = {
        {1, Shape(1, -1, 2, -3, 4, 0, 1), Shape(5, -10, 10, 0, 0, 0, 1), -30, 40},   // the arc's points exchange
        {2, Shape(1, 1, -2, 3, -4, 0, 1), Shape(5, 10, -10, 0, 0, 0, 1), 30, -40},
        {3, Shape(1, -2, 1, -4, 3, 0, 1), Shape(5, 0, 0, -10, 10, 0, 1), -40, 30},
        {4, Shape(1, 2, -1, 4, -3, 0, 1), Shape(5, 0, 0, 10, -10, 0, 1), 40, -30},
    };
    for (const Row& r : rows) {
        TCompModel m = With({Shape(1, 1, 2, 3, 4, 0, 1), Shape(5, 0, 0, 10, 10, 0, 1), Shape(1, 1, 2, 3, 4, 0, 2)},
                            {{"T", 48, 30, 40, 1}});
        comp::TurnSelected(m, r.tag);
        auto it = m.ShapeList.begin();
        EXPECT_EQ(*it++, r.line) << r.tag;
        EXPECT_EQ(*it++, r.arc) << r.tag;
        EXPECT_EQ(*it, Shape(1, 1, 2, 3, 4, 0, 2)) << r.tag;   // only the mark 1 turns
        EXPECT_EQ(m.TextList.front().X, r.tx);
        EXPECT_EQ(m.TextList.front().Y, r.ty);
    }
    // Negation holds at the 32-bit end.
    TCompModel edge = With({Shape(1, INT32_MIN, 0, 0, INT32_MIN, 0, 1)});
    comp::TurnSelected(edge, 1);
    EXPECT_EQ(edge.ShapeList.front().X1, INT32_MAX);
}

TEST(CompDuplicate, CopiesOnlyWhatWasThereAndClamps)
{
    TCompModel m = With({Shape(4, 0, 0, 12, 12, 1, 1), Shape(1, INT32_MAX - 3, 0, 0, 0, 0, 1), Shape(2, 0, 0, 4, 4)},
                        {{"T", 48, 30, 40, 1}});
    comp::DuplicateSelected(m);
    EXPECT_EQ(Shapes(m), (std::vector<TShapeRec>{Shape(4, 0, 0, 12, 12, 1, 0), Shape(1, INT32_MAX - 3, 0, 0, 0, 0, 0),
                                                 Shape(2, 0, 0, 4, 4), Shape(4, 8, 8, 12, 12, 1, 1),
                                                 Shape(1, INT32_MAX, 8, 8, 8, 0, 1)}));
    ASSERT_EQ(m.TextList.size(), 2u);
    EXPECT_EQ(m.TextList.back(), (TCompTextRec{"T", 48, 110, 120, 1}));
    EXPECT_EQ(m.TextList.front().Selected, 0);
}

TEST(CompMove, EntireComponentAndDelete)
{
    TCompModel m = With({Shape(4, 0, 0, 12, 12, 1, 1), Shape(1, 0, 0, 5, 5)}, {{"T", 48, 30, 40, 1}, {"U", 48, 0, 0}});
    comp::MoveAll(m, 4);
    comp::MoveAll(m, 1);
    EXPECT_EQ(Shapes(m), (std::vector<TShapeRec>{Shape(4, 1, -1, 12, 12, 1, 1), Shape(1, 1, -1, 6, 4)}));
    EXPECT_EQ(m.TextList.front().X, 40);
    EXPECT_EQ(m.TextList.front().Y, 30);
    comp::DeleteSelected(m);
    EXPECT_EQ(Shapes(m), (std::vector<TShapeRec>{Shape(1, 1, -1, 6, 4)}));
    ASSERT_EQ(m.TextList.size(), 1u);
    EXPECT_EQ(m.TextList.front().Text, "U");
}

TEST(CompMenus, AvailabilityFollowsTheModelAndSelection)
{
    using M = comp::TCompMenus;
    auto menus = [](const TCompModel& m, std::size_t undo, bool clip, bool hitText) {
        return comp::MenuState(m, undo, clip, hitText);
    };
    M none;
    EXPECT_EQ(menus({}, 5, false, false), none);
    M undoPaste;
    undoPaste.Undo = undoPaste.Paste = true;
    EXPECT_EQ(menus({}, 6, true, false), undoPaste);

    M unselected;
    unselected.SelAll = unselected.Rescale = true;
    EXPECT_EQ(menus(With({Shape(1, 0, 0, 1, 1)}), 0, false, false), unselected);

    M line = unselected;
    line.Copy = line.Delete = line.Dup = line.Flip = line.Rotate = true;
    line.PenSze = line.PenType = line.Fill = true;
    EXPECT_EQ(menus(With({Shape(1, 0, 0, 1, 1, 0, 1)}), 0, false, false), line);
    M arrow = line;
    arrow.Arrow = true;
    EXPECT_EQ(menus(With({Shape(1, 0, 0, 1, 1), Shape(11, 0, 0, 1, 1, 257, 1)}), 0, false, false), arrow);

    // A selected text with no shapes: no rescale and no shape styles.
    M text;
    text.SelAll = text.Copy = text.Delete = text.Dup = text.Flip = text.Rotate = true;
    text.AlterText = true;
    EXPECT_EQ(menus(With({}, {{"T", 48, 0, 0, 1}}), 0, false, true), text);
}

TEST(CompStyles, DialogPresetsComeFromTheFirstSelectedShape)
{
    const TCompModel m = With({Shape(1, 0, 0, 1, 1, 0x3050), Shape(1, 0, 0, 1, 1, 0x4000, 1),
                               Shape(11, 0, 0, 1, 1, 0x0371, 1)});
    EXPECT_EQ(comp::FirstSelectedField(m, 0x00F0, false), 1);   // 0 presets 1
    EXPECT_EQ(comp::FirstSelectedField(m, 0xF000, false), 4);
    EXPECT_EQ(comp::FirstSelectedField(m, 0x0F00, true), 3);
    EXPECT_EQ(comp::FirstSelectedField(With({Shape(1, 0, 0, 1, 1)}), 0x00F0, false), std::nullopt);
    EXPECT_EQ(comp::FirstSelectedField(With({Shape(1, 0, 0, 1, 1, 0, 1)}), 0x0F00, true), std::nullopt);
}

TEST(CompClipboard, CopyThenPasteAddsShiftedSelectedCopiesAtTheHeads)
{
    TCompModel m = With({Shape(1, 0, 0, 10, 0, 0, 1), Shape(4, 5, 5, 8, 8, 1, 1), Shape(2, 0, 0, 4, 4)},
                        {{"R1", 0x31, 30, 40, 1}, {"no", 48, 0, 0, 0}});
    const std::string text = comp::CopyText(m);
    EXPECT_EQ(text, CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "0", "0", "<SHAPE>", "4", "5", "5", "8",
                          "8", "1", "<TEXT>", "R1", "49", "30", "40"}));
    EXPECT_TRUE(comp::CopyText(With({Shape(1, 0, 0, 1, 1)})).empty());

    comp::UnselectAll(m);
    int before = 0;
    const int added = comp::PasteText(TLines::FromText(text), m, [&] { ++before; });
    EXPECT_EQ(added, 3);
    EXPECT_EQ(before, 1);
    auto it = m.ShapeList.begin();
    EXPECT_EQ(*it++, Shape(4, 13, 13, 8, 8, 1, 1));   // a circle keeps its size
    EXPECT_EQ(*it++, Shape(1, 8, 8, 18, 8, 0, 1));
    EXPECT_EQ(m.TextList.front(), (TCompTextRec{"R1", 0x31, 110, 120, 1}));
}

TEST(CompClipboard, PasteReadsSchematicTextsAndStopsAtAComponent)
{
    // A schematic text's angle does not fit the font byte: its symbol and size stay.
    TCompModel m;
    const TLines lines = TLines::FromText(CrLf({"SCHEMATIC", "<TEXT>", "Q1", "23088", "0", "0", "<COMPONENT>", "1",
                                                "1", "<TEXT>", "after", "48", "0", "0"}));
    int stores = 0;
    EXPECT_EQ(comp::PasteText(lines, m, [&] { ++stores; }), 1);
    ASSERT_EQ(m.TextList.size(), 1u);
    EXPECT_EQ(m.TextList.front().Font, 0x30);
    EXPECT_EQ(m.TextList.front().X, 80);

    TCompModel empty;
    EXPECT_EQ(comp::PasteText(TLines::FromText(CrLf({"NOT", "a drawing"})), empty, [&] { ++stores; }), -1);
    EXPECT_EQ(comp::PasteText(TLines::FromText(CrLf({"SCHEMATIC", "<TEXT>"})), empty, [&] { ++stores; }), 0);
    EXPECT_EQ(stores, 1);
    EXPECT_TRUE(empty.Empty());
}

#include "schematic/core/sch_text.h"

#include "tests/support/test_util.h"

#include <gtest/gtest.h>

using testutil::CrLf;

namespace {

TSchModel Sample()
{
    TSchModel m;
    m.ShapeList.push_back({1, 0, 0, 10, 10, 0, 1});
    m.ShapeList.push_back({99, -5, 7, 2147483647, -2147483647 - 1, 0x12345, 0});  // unknown kind, high style bits
    TCompRec c;
    c.X = 40;
    c.Y = 50;
    c.Selected = 1;
    c.Shapes.push_back({2, -4, -4, 4, 4, 0x11, 0});
    c.Texts.push_back({"R1", 20, -40, 0x30, 0});
    m.CompList.push_back(c);
    TCompRec textsOnly;
    textsOnly.Texts.push_back({"U2", 0, 0, 0x31, 0});
    m.CompList.push_back(textsOnly);
    m.CompList.push_back(TCompRec{});  // neither shapes nor texts
    m.TextList.push_back({"Hello \xE4", 100, 200, 0x5A30, 1});
    m.TextList.push_back({"SCHEMATIC", 0, 0, 0, 0});  // content equal to the header
    return m;
}

TSchModel Unselected(TSchModel m)
{
    for (auto& s : m.ShapeList)
        s.Selected = 0;
    for (auto& c : m.CompList)
        c.Selected = 0;
    for (auto& t : m.TextList)
        t.Selected = 0;
    return m;
}

} // namespace

TEST(SchText, WriterFormExactly)
{
    TSchModel m;
    m.ShapeList.push_back({4, 3, -2, 4, 4, 1, 0});
    TCompRec c;
    c.X = 7;
    c.Y = 8;
    c.Selected = 1;
    c.Shapes.push_back({1, 0, 0, 2, 2, 0, 0});
    c.Texts.push_back({"R1", 1, 2, 48, 0});
    m.CompList.push_back(c);
    m.TextList.push_back({"t", 10, 20, 0, 1});
    TLines out;
    WriteSnapshot(m, out);
    EXPECT_EQ(out.Text(), CrLf({"SCHEMATIC", "<SHAPE>", "4", "3", "-2", "4", "4", "1",
                                "<COMPONENT>", "7", "8", "<SHAPE>", "1", "0", "0", "2", "2", "0",
                                "<CTEXT>", "R1", "48", "1", "2", "<TEXT>", "t", "0", "10", "20"}));
    // Clipboard: selected items only, component shapes as <CSHAPE>.
    WriteClipboard(m, out);
    EXPECT_EQ(out.Text(), CrLf({"SCHEMATIC", "<COMPONENT>", "7", "8", "<CSHAPE>", "1", "0", "0", "2", "2", "0",
                                "<CTEXT>", "R1", "48", "1", "2", "<TEXT>", "t", "0", "10", "20"}));
    WriteSnapshot(TSchModel{}, out);
    EXPECT_EQ(out.Count(), 0u);
}

TEST(SchText, WriterKeepsLineBreaksOutOfTexts)
{
    TSchModel m;
    m.TextList.push_back({std::string("a\r\nb\0c", 6), 1, 2, 3, 0});  // bypassing StoredText
    m.TextList.push_back({std::string(130, 'x') + "\n", 0, 0, 0, 0});
    TLines out;
    WriteSnapshot(m, out);
    ASSERT_EQ(out.Count(), 11u);
    EXPECT_EQ(out[2], "abc");
    EXPECT_EQ(out[7], std::string(100, 'x'));
    TSchModel back;
    ASSERT_TRUE(DoLoad(out, 0, back).Ok);
    EXPECT_EQ(back.TextList.size(), 2u);
}

TEST(SchText, RoundTripByteForByte)
{
    const TSchModel m = Sample();
    TLines out;
    WriteSnapshot(m, out);
    TSchModel back;
    const TLoadReport r = DoLoad(TLines::FromText(out.Text()), 0, back);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Message, "");
    EXPECT_EQ(back, Unselected(m));
    TLines again;
    WriteSnapshot(back, again);
    EXPECT_EQ(again.Text(), out.Text());

    TSchModel undone = Sample();
    EXPECT_TRUE(DoUndo(out, undone).Ok);
    EXPECT_EQ(undone, Unselected(m));
}

TEST(SchText, ReaderStopsAndRejects)
{
    struct Case {
        const char* name;
        std::string text;
        bool ok;
        size_t shapes, comps, compShapes, texts;
    };
    const Case cases[] = {
        {"six lines, one text", CrLf({"SCHEMATIC", "<TEXT>", "t", "0", "1", "2"}), true, 0, 0, 0, 1},
        {"five lines", CrLf({"SCHEMATIC", "<TEXT>", "t", "0", "1"}), false, 0, 0, 0, 0},
        {"lower-case header", CrLf({"schematic", "<TEXT>", "t", "0", "1", "2"}), false, 0, 0, 0, 0},
        {"header with a blank", CrLf({"SCHEMATIC ", "<TEXT>", "t", "0", "1", "2"}), false, 0, 0, 0, 0},
        {"text then shape", CrLf({"SCHEMATIC", "<TEXT>", "t", "0", "1", "2", "<SHAPE>", "1", "0", "0", "1", "1", "0"}),
         true, 0, 0, 0, 1},
        {"component then top-level shape",
         CrLf({"SCHEMATIC", "<COMPONENT>", "5", "5", "<SHAPE>", "1", "0", "0", "1", "1", "0"}), true, 0, 1, 1, 0},
        {"misspelt keyword", CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "1", "1", "0", "<SHAPE >", "1", "0", "0",
                                   "1", "1", "0"}), true, 1, 0, 0, 0},
        {"text cut short by the end", CrLf({"SCHEMATIC", "<TEXT>", "t", "0", "1", "2", "<TEXT>", "u", "0"}),
         true, 0, 0, 0, 1},
        {"shape block missing its last line", CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "1", "1"}), true, 0, 0, 0, 0},
        {"component without its Y", CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "1", "1", "0", "<COMPONENT>", "5"}),
         true, 1, 0, 0, 0},
        {"CSHAPE is no snapshot keyword",
         CrLf({"SCHEMATIC", "<COMPONENT>", "5", "5", "<CSHAPE>", "1", "0", "0", "1", "1", "0"}), true, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        TSchModel m = Sample();
        const TLoadReport r = DoLoad(TLines::FromText(c.text), 0, m);
        EXPECT_EQ(r.Ok, c.ok) << c.name;
        EXPECT_EQ(m.ShapeList.size(), c.shapes) << c.name;
        EXPECT_EQ(m.CompList.size(), c.comps) << c.name;
        EXPECT_EQ(m.CompList.empty() ? 0 : m.CompList.front().Shapes.size(), c.compShapes) << c.name;
        EXPECT_EQ(m.TextList.size(), c.texts) << c.name;
    }
}

TEST(SchText, RejectionMessagesOfLoadAndUndo)
{
    const TLines shortSlot = TLines::FromText(CrLf({"SCHEMATIC", "<TEXT>", "t", "0", "1"}));
    const TLines noHeader = TLines::FromText(CrLf({"SCHEMATIc", "<TEXT>", "t", "0", "1", "2"}));
    struct Case {
        const TLines* slot;
        bool undo;
        const char* panel;
        const char* message;
    };
    const Case cases[] = {
        {&shortSlot, false, "No Data in Shape file!", "Error in Shape File!\rNo data in the Schematic File!"},
        {&noHeader, false, "Error in Shape File!", "Error in Shape File!\rThis is NOT a Schematic File!"},
        {&shortSlot, true, "No Data in stored Undo list!", ""},
        {&noHeader, true, "Error in stored Undo!", "Error in stored stored Undo list!\rUndo list is corrupted!"},
    };
    for (const Case& c : cases) {
        TSchModel m = Sample();
        const TLoadReport r = c.undo ? DoUndo(*c.slot, m) : DoLoad(*c.slot, 0, m);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.PanelText, c.panel);
        EXPECT_EQ(r.Message, c.message);
        // Load erases before its checks; undo leaves the model as it was.
        EXPECT_EQ(m.Empty(), !c.undo) << c.panel;
    }
}

TEST(SchText, BadNumbersAreCountedOncePerLineAndKept)
{
    TSchModel m;
    TLoadReport r = DoLoad(TLines::FromText(CrLf({"SCHEMATIC", "<TEXT>", "t", "48", "x", "2"})), 0, m);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Message, "FILE LOAD ERROR ...\r\r    1 Texts in the file had errors!\r");
    ASSERT_EQ(m.TextList.size(), 1u);
    EXPECT_EQ(m.TextList.front().Y, 2);

    const std::string text = CrLf({"SCHEMATIC", "<SHAPE>", "1", "-5q", "0", "", "1", "0",
                                   "<COMPONENT>", "a", "0", "<SHAPE>", "1", "0", "0", "1", "1", "?",
                                   "<CTEXT>", "R", "z", "0", "0", "<TEXT>", "t", "0", "0", "0"});
    r = DoLoad(TLines::FromText(text), 0, m);
    EXPECT_EQ(r.ShapeErrors, 2);
    EXPECT_EQ(r.CompErrors, 3);
    EXPECT_EQ(r.TextErrors, 0);
    EXPECT_EQ(r.Message, "FILE LOAD ERROR ...\r\r    2 Shapes in the file had errors!"
                         "\r    3 Components in the file had errors!\r");
    ASSERT_EQ(m.ShapeList.size(), 1u);
    EXPECT_EQ(m.ShapeList.front().X1, 5);  // digits before the fault, without the sign

    // Undo reads the same text without counting.
    r = DoUndo(TLines::FromText(text), m);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Message, "");
    EXPECT_EQ(r.ShapeErrors + r.CompErrors + r.TextErrors, 0);
    EXPECT_EQ(m.CompList.size(), 1u);
}

TEST(SchText, AutosaveSnapshotsByStartLine)
{
    // Three states appended one after another; the second holds a text "SCHEMATIC".
    TSchModel a, b, c;
    a.ShapeList.push_back({1, 1, 1, 2, 2, 0, 0});
    b = a;
    b.TextList.push_back({"SCHEMATIC", 0, 0, 0, 0});
    c = b;
    c.ShapeList.push_back({2, 3, 3, 4, 4, 0, 0});
    TLines file, slot;
    for (const TSchModel* m : {&a, &b, &c}) {
        WriteSnapshot(*m, slot);
        file.Append(slot);
    }
    const std::vector<std::size_t> starts = SnapshotStarts(TLines::FromText(file.Text()));
    ASSERT_EQ(starts, (std::vector<std::size_t>{0, 8, 21}));
    const TSchModel* want[] = {&a, &b, &c};
    for (std::size_t k = 0; k < 3; ++k) {
        TSchModel m;
        EXPECT_TRUE(DoLoad(file, static_cast<int>(starts[k]), m).Ok);
        EXPECT_EQ(m, *want[k]) << "snapshot " << k;
    }
    // Start lines past the end read nothing and do not fail.
    TSchModel m;
    EXPECT_TRUE(DoLoad(file, 1000000, m).Ok);
    EXPECT_TRUE(DoLoad(file, -7, m).Ok);
    EXPECT_TRUE(m.Empty());
    // A header after damaged lines is still found.
    TLines damaged = TLines::FromText(CrLf({"SCHEMATIC", "junk", "<TEXT>", "SCHEMATIC"}));
    damaged.Append(slot);
    EXPECT_EQ(SnapshotStarts(damaged), (std::vector<std::size_t>{0, 3, 4}));
}

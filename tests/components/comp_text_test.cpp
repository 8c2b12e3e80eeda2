#include "components/core/comp_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TLines Split(std::vector<std::string> lines)
{
    TLines l;
    for (const std::string& s : lines)
        l.Append(s);
    return l;
}

const std::vector<std::string> kShape = {"<SHAPE>", "1", "-2", "3", "4", "5", "16"};

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(CompText, ReaderTable)
{
    const std::string long150(150, 'w');
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        TCompStop stop;
        std::size_t shapes;
        std::size_t texts;
    };
    const Case cases[] = {
        {"header only", {"COMPONENT"}, TCompStop::Ok, 0, 0},
        {"no lines", {}, TCompStop::NoHeader, 0, 0},
        {"lower-case header", {"component", "<SHAPE>", "1", "2", "3", "4", "5", "0"}, TCompStop::NoHeader, 0, 0},
        {"header with a blank", {"COMPONENT ", "<TEXT>", "a", "0", "0", "0"}, TCompStop::NoHeader, 0, 0},
        {"shape cut off after Y2", Join({{"COMPONENT"}, kShape, {"<SHAPE>", "1", "2", "3", "4"}}), TCompStop::CutOff,
         0, 0},
        {"text cut off", Join({{"COMPONENT", "<TEXT>", "a", "16", "7"}}), TCompStop::CutOff, 0, 0},
        {"letter after digits", Join({{"COMPONENT"}, kShape, {"<SHAPE>", "1", "2", "3", "4x", "5", "0"}}),
         TCompStop::BadNumber, 0, 0},
        {"empty number line", {"COMPONENT", "<TEXT>", "a", "", "7", "8"}, TCompStop::BadNumber, 0, 0},
        {"beyond 32 bits", Join({{"COMPONENT", "<SHAPE>", "1", "2147483648", "3", "4", "5", "0"}}),
         TCompStop::BadNumber, 0, 0},
        {"Font 256", {"COMPONENT", "<TEXT>", "a", "256", "7", "8"}, TCompStop::BadFont, 0, 0},
        {"Font -1", {"COMPONENT", "<TEXT>", "a", "-1", "7", "8"}, TCompStop::BadFont, 0, 0},
        {"Font 255, hex and blanks",
         {"COMPONENT", "<SHAPE>", " $B", "  -7", "+3", "$ff", "0", "0", "<TEXT>", "a", "255", " 1", "2"},
         TCompStop::Ok, 1, 1},
        {"texts without shapes", {"COMPONENT", "<TEXT>", "a", "0", "1", "2", "<TEXT>", "b", "0", "1", "2"},
         TCompStop::Ok, 0, 2},
        {"trailing shape after texts is ignored",
         Join({{"COMPONENT", "<TEXT>", "a", "0", "1", "2"}, kShape}), TCompStop::Ok, 0, 1},
        {"unknown line ends the shapes quietly", Join({{"COMPONENT"}, kShape, {"junk"}, kShape}), TCompStop::Ok, 1,
         0},
        {"a text reading <TEXT>", {"COMPONENT", "<TEXT>", "<TEXT>", "0", "1", "2"}, TCompStop::Ok, 0, 1},
        {"150-byte text", {"COMPONENT", "<TEXT>", long150, "32", "1", "2"}, TCompStop::Ok, 0, 1},
    };
    for (const Case& c : cases) {
        TCompModel m;
        m.ShapeList.push_back({9, 9, 9, 9, 9, 9, 1});  // replaced by every read
        EXPECT_EQ(ReadComp(Split(c.lines), m), c.stop) << c.what;
        EXPECT_EQ(m.ShapeList.size(), c.shapes) << c.what;
        EXPECT_EQ(m.TextList.size(), c.texts) << c.what;
    }
}

TEST(CompText, ValuesAsRead)
{
    TCompModel m;
    const std::string long150(150, 'w');
    ASSERT_EQ(ReadComp(Split({"COMPONENT", "<SHAPE>", " $B", "  -7", "+3", "$ff", "0", "-2147483648", "<TEXT>",
                              "<TEXT>", "255", " 1", "-2", "<TEXT>", long150, "32", "0", "0"}),
                       m),
              TCompStop::Ok);
    EXPECT_EQ(m.ShapeList.front(), (TShapeRec{11, -7, 3, 255, 0, INT32_MIN, 0}));
    EXPECT_EQ(m.TextList.front(), (TCompTextRec{"<TEXT>", 255, 1, -2, 0}));
    EXPECT_EQ(m.TextList.back().Text, std::string(100, 'w'));
}

TEST(CompText, MessagesAsShown)
{
    EXPECT_STREQ(CompStopMessage(TCompStop::NoHeader), "File is incorrect format!\rIncorrect header");
    EXPECT_STREQ(CompStopMessage(TCompStop::CutOff), "File Error!");
    EXPECT_STREQ(CompStopMessage(TCompStop::BadNumber), "Incorrect Integer value in file!");
    EXPECT_STREQ(CompStopMessage(TCompStop::BadFont), "Incorrect Integer value in file!");
    EXPECT_STREQ(CompStopMessage(TCompStop::Ok), "");
}

TEST(CompText, WriterBytesAndRoundTrip)
{
    TCompModel m;
    TLines out;
    out.Append("previous");
    EXPECT_FALSE(WriteComp(m, out));
    EXPECT_EQ(out.Count(), 1u);  // an empty component leaves the text as it was

    m.ShapeList.push_back({1, -50, 0, 50, 0, 0x1234, 1});
    m.ShapeList.push_back({4, 0, 0, 0, 8, 1, 0});
    m.TextList.push_back({"R1", 0x21, -15, 250, 1});
    m.TextList.push_back({std::string("a\r\nb") + std::string(120, 'x'), 0, 0, 0, 0});
    ASSERT_TRUE(WriteComp(m, out));
    const std::string want = "COMPONENT\r\n<SHAPE>\r\n1\r\n-50\r\n0\r\n50\r\n0\r\n4660\r\n"
                             "<SHAPE>\r\n4\r\n0\r\n0\r\n0\r\n8\r\n1\r\n"
                             "<TEXT>\r\nR1\r\n33\r\n-15\r\n250\r\n"
                             "<TEXT>\r\nab" + std::string(98, 'x') + "\r\n0\r\n0\r\n0\r\n";
    EXPECT_EQ(out.Text(), want);

    TCompModel back;
    ASSERT_EQ(ReadComp(TLines::FromText(out.Text()), back), TCompStop::Ok);
    TCompModel expect = m;
    for (TShapeRec& s : expect.ShapeList)
        s.Selected = 0;
    for (TCompTextRec& t : expect.TextList)
        t.Selected = 0;
    expect.TextList.back().Text = "ab" + std::string(98, 'x');
    EXPECT_EQ(back, expect);

    // The undo text reads back the same way, without the header test.
    TCompModel undo;
    ASSERT_TRUE(ReadCompUndo(out, undo));
    EXPECT_EQ(undo, expect);
}

TEST(CompText, UndoNeedsAState)
{
    TCompModel m;
    m.TextList.push_back({"keep", 0, 0, 0, 0});
    EXPECT_FALSE(ReadCompUndo(Split({"COMPONENT", "<TEXT>", "a", "0", "0"}), m));
    EXPECT_EQ(m.TextList.front().Text, "keep");
    // The shortest state, and a header the undo reader does not look at.
    ASSERT_TRUE(ReadCompUndo(Split({"anything", "<TEXT>", "a", "16", "1", "2"}), m));
    EXPECT_EQ(m.TextList.size(), 1u);
    EXPECT_EQ(m.TextList.front(), (TCompTextRec{"a", 16, 1, 2, 0}));
}

TEST(CompText, PlacingReaderKeepsFontWordAndRejectsFaultsWhole)
{
    TCompRec c;
    ASSERT_EQ(ReadCompInto(Split({"COMPONENT", "<SHAPE>", "1", "-2", "3", "4", "5", "0", "<TEXT>", "Q1", "300", "7",
                                  "8", "<SHAPE>"}),
                           c),
              TCompStop::Ok);
    ASSERT_EQ(c.Shapes.size(), 1u);
    EXPECT_EQ(c.Shapes.front(), (TShapeRec{1, -2, 3, 4, 5, 0, 0}));
    ASSERT_EQ(c.Texts.size(), 1u);
    EXPECT_EQ(c.Texts.front(), (TTextRec{"Q1", 7, 8, 300, 0}));

    const std::vector<std::string> bad[] = {
        {},
        {"component"},
        {"COMPONENT", "<TEXT>", "Q1", "16", "7"},
        {"COMPONENT", "<SHAPE>", "1", "2", "3", "4", "5"},
        {"COMPONENT", "<SHAPE>", "1", "2", "x", "4", "5", "0"},
        {"COMPONENT", "<TEXT>", "Q1", "", "7", "8"},
    };
    for (const auto& b : bad) {
        EXPECT_NE(ReadCompInto(Split(b), c), TCompStop::Ok) << b.size();
        EXPECT_TRUE(c.Shapes.empty() && c.Texts.empty());
    }
}

TEST(CompText, StrictWalkStopsWhereThePreviewStops)
{
    // The preview draws what comes before a fault, whole text lines, and any Font.
    const std::string long150(150, 'z');
    struct Case {
        std::vector<std::string> lines;
        TCompStop stop;
        int shapes;
        int texts;
    };
    const Case cases[] = {
        {Join({{"COMPONENT"}, kShape, {"<SHAPE>", "1", "2", "3", "4q", "5", "0"}, kShape}), TCompStop::BadNumber, 1,
         0},
        {Join({{"COMPONENT"}, kShape, {"junk"}}), TCompStop::OtherLine, 1, 0},
        {{"COMPONENT", "<TEXT>", long150, "300", "0", "0", "<TEXT>", "b"}, TCompStop::CutOff, 0, 1},
        {{"COMPONENT", "<TEXT>", "a", "0", "0", "0", "trailing"}, TCompStop::OtherLine, 0, 1},
    };
    TCompWalkOpts strict;
    strict.Strict = true;
    strict.FontRange = false;
    for (const Case& c : cases) {
        int shapes = 0, texts = 0;
        const TCompStop stop = WalkComp(
            Split(c.lines), strict, [&](const TShapeRec&) { ++shapes; },
            [&](std::string_view text, int32_t font, int32_t, int32_t) {
                ++texts;
                if (font == 300) {
                    EXPECT_EQ(text.size(), 150u);
                }
            });
        EXPECT_EQ(stop, c.stop);
        EXPECT_EQ(shapes, c.shapes);
        EXPECT_EQ(texts, c.texts);
    }
}

TEST(CompText, UpperCasesTheFileNameOnly)
{
    EXPECT_EQ(UpperFileName("/home/me/lib/res-1.cmp"), "/home/me/lib/RES-1.CMP");
    EXPECT_EQ(UpperFileName("name\xe9.cmp"), "NAME\xe9.CMP");
    EXPECT_EQ(UpperFileName("/a/b/"), "/a/b/");
    EXPECT_EQ(PathFile("/a/b/c.cmp"), "c.cmp");
    EXPECT_EQ(PathFolder("/a/b/c.cmp"), "/a/b/");
}

} // namespace

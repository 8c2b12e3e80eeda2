// Hostile input through every reader of outside bytes: generated files (numbers at and past
// the 32-bit ends, shapes of 10^9 pixels of every kind and style, a 100 MB line, millions of
// empty lines or bare keywords, NUL bytes, binary, odd line ends) and things that are no
// file at all. Each is read and drawn by the real code paths; a hang is caught by the test
// time limit, a fault by the sanitizer build.
#include "app/Main_.h"
#include "components/core/comp_text.h"
#include "platform/canvas.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "platform/sys/files.h"
#include "platform/sys/handover.h"
#include "platform/sys/ini_text.h"
#include "schematic/Schem_.h"
#include "schematic/core/autosave.h"
#include "schematic/core/sch_clip.h"
#include "schematic/core/sch_text.h"
#include "schematic/render/render.h"
#include "schematic/render/view_scale.h"
#include "viewers/render/preview.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <random>
#include <string>

namespace {

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + "\r\n";
    return s;
}

std::string ShapeBlock(int64_t kind, const std::string& x1, const std::string& y1, const std::string& x2,
                       const std::string& y2, int64_t style)
{
    return Lines({"<SHAPE>", std::to_string(kind), x1, y1, x2, y2, std::to_string(style)});
}

std::string Repeat(const std::string& s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

// Every number form the readers meet at and past the ends of 32 bits, in every field.
std::string Numbers()
{
    const char* forms[] = {"2147483647", "-2147483648", "2147483648", "-2147483649", "4294967295",
                           "99999999999999999999999999", "$7FFFFFFF", "$80000000", "$FFFFFFFF", "$100000000",
                           "0x7fffffff", "x80000000", "X", "0X", "-$1", "+0", " 12", "12 ", "", "-", "$"};
    std::string s = "SCHEMATIC\r\n";
    for (const char* a : forms)
        for (const char* b : forms)
            s += Lines({"<SHAPE>", a, b, a, b, a, b});
    for (const char* a : forms)
        s += Lines({"<COMPONENT>", a, a, "<SHAPE>", a, a, a, a, a, a, "<CTEXT>", a, a, a, a});
    for (const char* a : forms)
        s += Lines({"<TEXT>", a, a, a, a});
    return s;
}

// Shapes spanning 10^9 pixels at scale 8, of every kind and a spread of every style field,
// and texts and components as far out.
std::string Giants()
{
    const std::string big = "125000000", neg = "-125000000";
    const std::pair<std::string, std::string> spans[][2] = {
        {{neg, neg}, {big, big}},
        {{neg, "50"}, {big, "50"}},
        {{"0", "0"}, {big, "1"}},
        {{"-2147483648", "-2147483648"}, {"2147483647", "2147483647"}},
    };
    std::string s = "SCHEMATIC\r\n";
    for (int64_t kind : {0, 1, 2, 3, 4, 5, 6, 11, 12, 99})
        for (int fill : {0, 1})
            for (int width : {0, 1, 15})
                for (int arrow : {0, 1, 6, 7})
                    for (int line : {0, 1, 2, 3, 4, 5, 15})
                        for (const auto& span : spans)
                            s += ShapeBlock(kind, span[0].first, span[0].second, span[1].first, span[1].second,
                                            fill | width << 4 | arrow << 8 | line << 12);
    for (const std::string& x : {neg, big, std::string("0")})
        s += Lines({"<COMPONENT>", x, x}) + ShapeBlock(12, neg, neg, big, big, 0x10) +
             ShapeBlock(4, "0", "0", big, big, 1) + Lines({"<CTEXT>", "R1", "255", x, x});
    for (int font : {0, 0x1F1, 0x3F0, 0xFFFF, -1})
        for (const std::string& x : {neg, big, std::string("1250000000"), std::string("-1250000000")})
            s += Lines({"<TEXT>", std::string(100, 'W'), std::to_string(font), x, x});
    return s;
}

std::string Binary(std::size_t n)
{
    std::mt19937 rng(42);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

enum class TMake { Bytes, Fifo, SymlinkLoop, Folder, Unreadable };

struct THostile {
    const char* Name;
    TMake Make;
    std::function<std::string()> Bytes;
};

const THostile Cases[] = {
    {"Numbers", TMake::Bytes, Numbers},
    {"Giants", TMake::Bytes, Giants},
    {"HundredMegabyteLine",
     TMake::Bytes, [] { return "SCHEMATIC\r\n<TEXT>\r\n" + std::string(100u << 20, 'x') + "\r\n16\r\n0\r\n0\r\n"; }},
    {"HugeNumber", TMake::Bytes, [] { return "SCHEMATIC\r\n<SHAPE>\r\n1\r\n" + std::string(16u << 20, '9') + "\r\n0\r\n0\r\n0\r\n0\r\n"; }},
    {"MillionsOfEmptyLines", TMake::Bytes, [] { return "SCHEMATIC\r\n" + std::string(6u << 20, '\n'); }},
    {"MillionsOfBareShapes", TMake::Bytes, [] { return "SCHEMATIC\r\n" + Repeat("<SHAPE>\r\n", 2000000); }},
    {"MillionsOfHeaders", TMake::Bytes, [] { return Repeat("SCHEMATIC\r\n", 2000000); }},
    {"MillionsOfTinyTexts", TMake::Bytes, [] { return "SCHEMATIC\r\n" + Repeat("<TEXT>\r\n\r\n0\r\n0\r\n0\r\n", 400000); }},
    {"NulBytes", TMake::Bytes,
     [] { return std::string("SCHEMATIC\r\n<SHAPE>\r\n1\0\r\n0\r\n0\r\n9\r\n9\r\n0\r\n<TEXT>\r\na\0b\r\n0\r\n0\r\n0\r\n", 52); }},
    {"Binary", TMake::Bytes, [] { return Binary(4u << 20); }},
    {"BinaryAfterHeader", TMake::Bytes, [] { return "SCHEMATIC\r\n" + Binary(1u << 20); }},
    {"CrOnly", TMake::Bytes, [] { return std::string("SCHEMATIC\r<SHAPE>\r1\r0\r0\r10\r10\r0\r<TEXT>\rt\r16\r5\r5\r"); }},
    {"LfCr", TMake::Bytes, [] { return std::string("SCHEMATIC\n\r<SHAPE>\n\r1\n\r0\n\r0\n\r10\n\r10\n\r0\n\r"); }},
    {"TornTail", TMake::Bytes, [] { return Lines({"SCHEMATIC", "<TEXT>", "a", "0", "1", "2"}) + "SCHEMATIC\r\n<SHA"; }},
    {"Fifo", TMake::Fifo, nullptr},
    {"SymlinkLoop", TMake::SymlinkLoop, nullptr},
    {"Folder", TMake::Folder, nullptr},
    {"Unreadable", TMake::Unreadable, nullptr},
};

class Hostile : public ::testing::TestWithParam<THostile> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        const THostile& c = GetParam();
        path = tmp.path().toStdString() + "/hostile.sch";
        switch (c.Make) {
        case TMake::Bytes: {
            const std::string bytes = c.Bytes();
            std::string error;
            ASSERT_TRUE(sys::WriteFileAtomic(path, bytes, error)) << error;
            break;
        }
        case TMake::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
        case TMake::SymlinkLoop: ASSERT_EQ(::symlink("hostile.sch", path.c_str()), 0); break;
        case TMake::Folder: ASSERT_EQ(::mkdir(path.c_str(), 0700), 0); break;
        case TMake::Unreadable:
            // Reading it fails even for the superuser.
            path = "/proc/self/mem";
            break;
        }
        SetMsgResponder([this](const TMsgRecord& r) {
            messages.push_back(r.Text);
            return int(mrOk);
        });
    }
    void TearDown() override { SetMsgResponder({}); }

    QTemporaryDir tmp;
    std::string path;
    std::vector<QString> messages;
};

// Draws the model at the smallest and the largest scale over the grid.
void Compose(const TSchModel& m)
{
    for (int32_t scale : {2, 8}) {
        QImage picture = NewBitmap(688, 434);
        const QImage grid = MakeGridBmp(scale, true);
        TImageCanvas canvas(picture);
        TRenderView view;
        view.Scale = scale;
        view.OffsetX = scale == 8 ? -100 : 0;
        DrawCirc(canvas, m, view, &grid, m.ShapeList.empty() ? nullptr : &m.ShapeList.front());
    }
}

TEST_P(Hostile, EveryReaderTakesItWithoutHangOrCrash)
{
    const bool file = GetParam().Make == TMake::Bytes;
    std::string bytes, error;
    const bool read = sys::ReadRegularFile(path, bytes, error);
    ASSERT_EQ(read, file) << error;
    if (!file) {
        EXPECT_FALSE(error.empty());
    } else {
        // The schematic reader, the newest whole state, and the picture.
        const TLines lines = TLines::FromText(bytes);
        const TStateList states = ListStates(lines, EndsTorn(bytes));
        TSchModel m;
        DoLoad(lines, static_cast<int>(std::max<long long>(states.NewestWhole(), 0)), m);
        Compose(m);
        TSchModel u;
        DoUndo(lines, u);
        // The clipboard reader, pasted beside the drawing, and written back.
        PasteText(lines, 8, m);
        Compose(m);
        TLines clip;
        WriteClipboard(m, clip);
        // The component reader, the settings reader and the hand-over parser.
        TCompRec comp;
        ReadCompInto(lines, comp);
        // The settings reader never gets more than its cap.
        const TIniText ini(std::string_view(bytes).substr(0, TProfile::MaxFileSize));
        (void)ini.Text();
        handover::ParseRequest(std::string_view(bytes).substr(0, handover::kMaxBody));
        handover::TFrameReader frame;
        frame.Feed(bytes);
    }
    // The settings file and the previews straight from the path.
    const TProfile profile(QFile::decodeName(QByteArray::fromStdString(path)));
    EXPECT_EQ(profile.ReadError().empty(), file && bytes.size() <= TProfile::MaxFileSize) << profile.ReadError();
    QImage big, thumb;
    MakeThumbnail(path, big, thumb);

    // The window's own open paths, with the picture drawn.
    TMainWin frameWin;
    frameWin.FirstActivate = false;
    frameWin.mnAutoSave->setChecked(false);
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    QPointer<TSchWin> w = new TSchWin();
    frameWin.ShowChild(w, false);
    w->OpenSchem(name);
    if (!file) {
        ASSERT_FALSE(messages.empty());
        EXPECT_TRUE(messages.back().startsWith("Error! The file could not be read:\r" + name + "\r"))
            << messages.back().toStdString();
    }
    messages.clear();
    QPointer<TSchWin> b = new TSchWin();
    frameWin.ShowChild(b, false);
    b->OpenBackUp(name, 1 << 30);
    if (!file)
        ASSERT_EQ(messages.size(), 1u);
    if (b)
        b->ClearModified();
    if (w)
        w->ClearModified();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

INSTANTIATE_TEST_SUITE_P(Cases, Hostile, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<THostile>& i) { return std::string(i.param.Name); });

} // namespace

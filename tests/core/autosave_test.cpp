#include "schematic/core/autosave.h"
#include "viewers/core/backups.h"

#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TLines Snapshot(const char* text)
{
    TLines l;
    l.Append("SCHEMATIC");
    l.Append("<TEXT>");
    l.Append(text);
    l.Append("0");
    l.Append("10");
    l.Append("20");
    return l;
}

struct FixedClock {
    TDateTime t{2026, 3, 4, 5, 6, 7};
    TClock Fn() { return [this] { return t; }; }
};

std::string Folder(const QTemporaryDir& d) { return d.path().toStdString(); }

} // namespace

TEST(AutoSave, NamePatternIsZeroPaddedAndUniqueWithinOneSecond)
{
    QTemporaryDir dir;
    FixedClock clock;
    TAutoSaveFile a(clock.Fn()), b(clock.Fn());
    a.MakeName(Folder(dir));
    b.MakeName(Folder(dir) + "/");
    EXPECT_EQ(a.FileName(), Folder(dir) + "/Sch20260304050607.sch");
    EXPECT_NE(a.FileName(), b.FileName());
    const std::regex pattern(".*/Sch.*\\.sch");
    EXPECT_TRUE(std::regex_match(b.FileName(), pattern)) << b.FileName();
    EXPECT_EQ(ZeroPadStr(7, 4), "0007");
    EXPECT_EQ(ZeroPadStr(12345, 4), "12345");

    // A file left by an earlier run under the same name is not appended to either.
    clock.t.Second = 8;
    ASSERT_TRUE(testutil::WriteFile(Folder(dir) + "/Sch20260304050608.sch", "old\r\n"));
    TAutoSaveFile c(clock.Fn());
    c.MakeName(Folder(dir));
    EXPECT_NE(c.FileName(), Folder(dir) + "/Sch20260304050608.sch");
}

// Whatever the file held, appending leaves the bytes that reading it as lines, adding the
// slot and writing every line back with CR LF would leave.
TEST(AutoSave, AppendMatchesReadAppendRewrite)
{
    struct Case {
        const char* name;
        std::string old;
        std::string want;   // of the file under our name; empty: the file stays as it was
    };
    const std::string slot = Snapshot("new").Text();
    const Case cases[] = {
        {"canonical", "SCHEMATIC\r\nx\r\n", "SCHEMATIC\r\nx\r\n" + slot},
        {"empty", "", slot},
        {"LF only", "SCHEMATIC\nx\n", "SCHEMATIC\r\nx\r\n" + slot},
        {"CR only", "SCHEMATIC\rx\r", "SCHEMATIC\r\nx\r\n" + slot},
        // Ending inside a line, as a crash leaves it (a NUL ends the text for readers):
        // the cut stays as it is and the state starts a new file.
        {"no final break", "SCHEMATIC\r\nx", ""},
        {"NUL ends text", std::string("A\r\nB\0C\r\n", 8), ""},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        FixedClock clock;
        TAutoSaveFile f(clock.Fn());
        f.MakeName(Folder(dir));
        const std::string ours = f.FileName();
        // A foreign file under our name (written after the name was made).
        ASSERT_TRUE(testutil::WriteFile(ours, c.old));
        EXPECT_TRUE(f.Append(Snapshot("new"), Folder(dir)).Ok) << c.name;
        const std::string want = c.want.empty() ? slot : c.want;
        EXPECT_EQ(testutil::ReadFile(f.FileName()), want) << c.name;
        EXPECT_EQ(f.FileName() == ours, !c.want.empty()) << c.name;
        if (c.want.empty())
            EXPECT_EQ(testutil::ReadFile(ours), c.old) << c.name;
        // The second append of the same object goes straight to the end.
        EXPECT_TRUE(f.Append(Snapshot("two"), Folder(dir)).Ok);
        EXPECT_EQ(testutil::ReadFile(f.FileName()), want + Snapshot("two").Text()) << c.name;
    }
}

TEST(AutoSave, ShortSlotAppendsNothing)
{
    QTemporaryDir dir;
    TAutoSaveFile f;
    f.MakeName(Folder(dir));
    TLines two;
    two.Append("SCHEMATIC");
    two.Append("x");
    EXPECT_TRUE(f.Append(two, Folder(dir)).Ok);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(f.FileName())));
}

// A state stored while the file holds fewer than 300001 lines still goes into it; the
// state after it starts a new file named from the time then.
TEST(AutoSave, RolloverAfterThreeHundredThousandAndOneLines)
{
    QTemporaryDir dir;
    FixedClock clock;
    TAutoSaveFile f(clock.Fn());
    f.MakeName(Folder(dir));
    const std::string first = f.FileName();
    std::string big;
    const std::string block = Snapshot("x").Text();   // 6 lines
    for (int i = 0; i < 49999; ++i)
        big += block;                                   // 299994 lines
    ASSERT_TRUE(testutil::WriteFile(first, big));

    ASSERT_TRUE(f.Append(Snapshot("a"), Folder(dir)).Ok);   // 300000 lines: keeps the file
    EXPECT_EQ(f.FileName(), first);
    clock.t.Minute = 59;
    ASSERT_TRUE(f.Append(Snapshot("b"), Folder(dir)).Ok);   // 300006: appended, then a new name
    EXPECT_EQ(testutil::ReadFile(first), big + Snapshot("a").Text() + Snapshot("b").Text());
    EXPECT_EQ(f.FileName(), Folder(dir) + "/Sch20260304055907.sch");
    ASSERT_TRUE(f.Append(Snapshot("c"), Folder(dir)).Ok);
    EXPECT_EQ(testutil::ReadFile(f.FileName()), Snapshot("c").Text());
}

// A first state that alone passes the count starts its file; the file is closed off only
// after the state appended to it.
TEST(AutoSave, LongFirstStateKeepsItsFileForOneMore)
{
    QTemporaryDir dir;
    FixedClock clock;
    TAutoSaveFile f(clock.Fn());
    f.MakeName(Folder(dir));
    const std::string first = f.FileName();
    TLines big;
    big.Append("SCHEMATIC");
    for (std::size_t i = 1; i < TAutoSaveFile::RolloverLines; ++i)
        big.Append("<SHAPE>");
    clock.t.Minute = 58;
    ASSERT_TRUE(f.Append(big, Folder(dir)).Ok);
    EXPECT_EQ(f.FileName(), first);
    ASSERT_TRUE(f.Append(Snapshot("a"), Folder(dir)).Ok);
    EXPECT_TRUE(testutil::ReadFile(first) == big.Text() + Snapshot("a").Text());   // no diff of 300000 lines
    EXPECT_EQ(f.FileName(), Folder(dir) + "/Sch20260304055807.sch");
}

TEST(AutoSave, FailureIsReportedAndLeavesTheFileAlone)
{
    // Root may write into folders without write permission; /proc refuses everyone.
    QTemporaryDir dir;
    std::string folder = "/proc";
    if (::geteuid() != 0) {
        folder = Folder(dir) + "/ro";
        QDir().mkpath(QString::fromStdString(folder));
        QFile::setPermissions(QString::fromStdString(folder), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    TAutoSaveFile f;
    f.MakeName(folder);
    const TAutoSaveFile::TResult r = f.Append(Snapshot("a"), folder);
    EXPECT_FALSE(r.Ok);
    EXPECT_FALSE(r.Note.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(f.FileName())));
}

namespace {

// Three whole states as the autosave writes them: one text, a shape with a text, and a
// component with one shape.
std::string ThreeStates()
{
    return testutil::CrLf({"SCHEMATIC", "<TEXT>", "a", "0", "10", "20",                             // 0
                           "SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0", "<TEXT>", "b", "0",
                           "1234", "5678",                                                         // 6
                           "SCHEMATIC", "<COMPONENT>", "5", "6", "<SHAPE>", "2", "1", "1", "4", "4", "4096"});  // 19
}

} // namespace

TEST(AutoSaveTail, CutsAreFoundWhereverTheFormatAllows)
{
    const std::string whole = ThreeStates();
    const std::size_t third = whole.find("SCHEMATIC\r\n<COMPONENT>");
    const std::size_t ypos = whole.find("5678");
    struct Case {
        const char* What;
        std::string Text;
        bool Torn;          // EndsTorn
        bool LastTorn;      // the last listed state is cut
        long long Newest;   // header line of the newest whole state
    } cases[] = {
        {"whole", whole, false, false, 19},
        {"inside the last number", whole.substr(0, whole.size() - 3), true, true, 6},
        {"between CR and LF", whole.substr(0, whole.size() - 1), true, true, 6},
        {"the text's Y lost digits", whole.substr(0, ypos + 2), true, true, 0},
        {"the header of a state only begun", whole.substr(0, third + 4), true, false, 6},
        {"a bare header", whole.substr(0, third + 11), false, true, 6},
        {"a block cut at a line end", whole.substr(0, whole.size() - 6), false, true, 6},
        {"after the component's origin", whole.substr(0, whole.find("<SHAPE>\r\n2")), false, false, 19},
        {"at a block boundary", whole.substr(0, whole.find("<TEXT>\r\nb")), false, false, 6},
        {"a single cut state", whole.substr(0, 12), true, true, -1},
        {"CR-only lines end with CR", "SCHEMATIC\r<TEXT>\ra\r0\r1\r2\r", false, false, 0},
        {"a NUL ends the text", whole + std::string("\0junk", 5), false, false, 19},
        {"empty", "", false, false, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EndsTorn(c.Text), c.Torn) << c.What;
        const TStateList states = ListStates(TLines::FromText(c.Text), EndsTorn(c.Text));
        EXPECT_EQ(states.LastTorn, c.LastTorn) << c.What;
        EXPECT_EQ(states.NewestWhole(), c.Newest) << c.What;
    }
}

TEST(AutoSave, TornFileIsLeftAsItIsAndNewFilesAreTheUsersOnly)
{
    QTemporaryDir dir;
    FixedClock clock;
    TAutoSaveFile f(clock.Fn());
    f.MakeName(Folder(dir));
    const std::string first = f.FileName();
    ASSERT_TRUE(f.Append(Snapshot("a"), Folder(dir)).Ok);
    struct stat st {};
    ASSERT_EQ(::stat(first.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Another process (or a crash) leaves the file ending inside a line.
    const std::string torn = testutil::ReadFile(first) + "SCHEMATIC\r\n<TEXT>\r\nhal";
    ASSERT_TRUE(testutil::WriteFile(first, torn));
    ASSERT_TRUE(f.Append(Snapshot("b"), Folder(dir)).Ok);
    EXPECT_EQ(testutil::ReadFile(first), torn);  // the cut stays visible
    ASSERT_NE(f.FileName(), first);
    EXPECT_EQ(testutil::ReadFile(f.FileName()), Snapshot("b").Text());
    ASSERT_EQ(::stat(f.FileName().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(AutoSave, AFifoInPlaceOfTheFileIsNeitherWaitedForNorFed)
{
    QTemporaryDir dir;
    TAutoSaveFile f;
    f.MakeName(Folder(dir));
    ASSERT_TRUE(f.Append(Snapshot("a"), Folder(dir)).Ok);
    ASSERT_EQ(::unlink(f.FileName().c_str()), 0);
    ASSERT_EQ(::mkfifo(f.FileName().c_str(), 0600), 0);
    // Both ways in: the file we left (size unknown now) and a fresh look at it.
    EXPECT_FALSE(f.Append(Snapshot("b"), Folder(dir)).Ok);
    EXPECT_FALSE(f.Append(Snapshot("c"), Folder(dir)).Ok);
}

namespace {

// A state as the editor stores it: shapes, then a component, then texts, so that a cut
// after any whole block still reads as a smaller drawing.
TLines MixedState()
{
    TLines l;
    l.Append("SCHEMATIC");
    for (int i = 0; i < 4; ++i)
        for (const std::string& v : std::initializer_list<std::string>{"<SHAPE>", "1", std::to_string(i), "0", "10", "10", "0"})
            l.Append(v);
    for (const char* v : {"<COMPONENT>", "5", "6", "<SHAPE>", "2", "1", "1", "4", "4", "4096", "<CTEXT>", "R1", "16",
                          "0", "0"})
        l.Append(v);
    for (int i = 0; i < 3; ++i)
        for (const std::string& v : std::initializer_list<std::string>{"<TEXT>", "text " + std::to_string(i), "0", "100", std::to_string(20 * i)})
            l.Append(v);
    return l;
}

// The byte offsets just after each line of text from `from` on.
std::vector<std::size_t> LineEnds(const std::string& text, std::size_t from)
{
    std::vector<std::size_t> ends;
    for (std::size_t i = text.find("\r\n", from); i != std::string::npos; i = text.find("\r\n", i + 2))
        ends.push_back(i + 2);
    return ends;
}

} // namespace

// Every cut of the newest state at a line end (each block end among them) is told from a
// whole state by the record beside the file, in the list of states and in the viewer's load;
// without the record the cuts between blocks read as whole, as the text alone allows.
TEST(AutoSaveRecord, EveryCutOfTheNewestStateIsSeen)
{
    QTemporaryDir dir;
    FixedClock clock;
    TAutoSaveFile f(clock.Fn());
    f.MakeName(Folder(dir));
    ASSERT_TRUE(f.Append(Snapshot("first"), Folder(dir)).Ok);
    ASSERT_TRUE(f.Append(MixedState(), Folder(dir)).Ok);
    const std::string path = f.FileName();
    const std::string whole = testutil::ReadFile(path);
    const std::string record = testutil::ReadFile(StateRecordPath(path));
    const std::size_t newest = Snapshot("first").TextView().size();
    ASSERT_EQ(StateRecordPath(path), Folder(dir) + "/.Sch20260304050607.sch.states");
    ASSERT_EQ(ParseStateRecord(record).Marks.size(), 2u);

    const std::string copy = Folder(dir) + "/copy.sch";   // beside it, no record
    int blockEnds = 0, seenWithout = 0;
    for (std::size_t end : LineEnds(whole, newest)) {
        const std::string cut = whole.substr(0, end);
        ASSERT_TRUE(testutil::WriteFile(path, cut));
        const bool complete = end == whole.size();
        const TLines lines = TLines::FromText(cut);
        const TStateList states = ListStates(lines, EndsTorn(cut), ReadStateRecord(path));
        ASSERT_EQ(states.Starts.size(), 2u) << end;
        EXPECT_EQ(states.LastTorn, !complete) << "cut at byte " << end;
        EXPECT_EQ(states.NewestWhole(), complete ? 6 : 0) << end;
        TBackupFile file;
        std::string error;
        ASSERT_EQ(LoadBackupFile(path, file, error), TBackupLoad::Ok);
        EXPECT_EQ(file.TornTail, !complete) << end;

        ASSERT_TRUE(testutil::WriteFile(copy, cut));
        TBackupFile plain;
        ASSERT_EQ(LoadBackupFile(copy, plain, error), TBackupLoad::Ok);
        const std::string_view next = std::string_view(whole).substr(end);
        const bool atBlock = next.empty() || next.substr(0, 1) == "<";
        blockEnds += atBlock && !complete ? 1 : 0;
        seenWithout += atBlock && !complete && plain.TornTail ? 1 : 0;
    }
    EXPECT_GT(blockEnds, 5);
    EXPECT_LT(seenWithout, blockEnds);   // what the record is for

    // The state only begun after a whole one: the whole one stays the newest, unmarked.
    ASSERT_TRUE(testutil::WriteFile(path, whole.substr(0, newest) + "SCHEM"));
    TBackupFile begun;
    std::string error;
    ASSERT_EQ(LoadBackupFile(path, begun, error), TBackupLoad::Ok);
    EXPECT_FALSE(begun.TornTail);
    // A state whose bytes changed after it was recorded is not confirmed either.
    std::string changed = whole;
    changed[changed.size() - 3] = '9';
    ASSERT_TRUE(testutil::WriteFile(path, changed));
    ASSERT_EQ(LoadBackupFile(path, begun, error), TBackupLoad::Ok);
    EXPECT_TRUE(begun.TornTail);
}

TEST(AutoSaveRecord, ParsingTakesWholeMarksAndTheNewestForAnOffset)
{
    const std::string text = "abcdef";
    const uint32_t crc = StateCrc("def");
    struct Case {
        const char* What;
        std::string Bytes;
        bool Present;
        std::size_t Marks;
        bool Confirms;   // the state at offset 3
    } cases[] = {
        {"no header", StateMarkLine({3, 3, crc}), false, 0, false},
        {"header only", "STATES 1\n", true, 0, false},
        {"one mark", "STATES 1\n" + StateMarkLine({3, 3, crc}), true, 1, true},
        {"mark cut by a crash", "STATES 1\n" + StateMarkLine({3, 3, crc}).substr(0, 5), true, 0, false},
        {"a later failed write's mark wins", "STATES 1\n" + StateMarkLine({3, 2, crc}) + StateMarkLine({3, 3, crc}),
         true, 2, true},
        {"longer than the text", "STATES 1\n" + StateMarkLine({3, 4, crc}), true, 1, false},
        {"wrong checksum", "STATES 1\n" + StateMarkLine({3, 3, crc ^ 1}), true, 1, false},
        {"huge numbers stop it", "STATES 1\n99999999999999999999999 1 0\n" + StateMarkLine({3, 3, crc}), true, 0,
         false},
        {"offset past the end", "STATES 1\n" + StateMarkLine({18446744073709551615ull, 3, crc}), true, 1, false},
        {"binary", std::string("STATES 1\n\0\xff\n", 12), true, 0, false},
    };
    for (const Case& c : cases) {
        const TStateRecord r = ParseStateRecord(c.Bytes);
        EXPECT_EQ(r.Present, c.Present) << c.What;
        EXPECT_EQ(r.Marks.size(), c.Marks) << c.What;
        EXPECT_EQ(r.Confirms(text, 3), c.Confirms) << c.What;
    }
}

// The appender keeps the record of files it made, adds none to a file that came without
// one, and starts a new file rather than append after a cut only the record can see.
TEST(AutoSaveRecord, KeptForOwnFilesAndACutSeenByItStartsANewFile)
{
    QTemporaryDir dir;
    FixedClock clock;
    TAutoSaveFile f(clock.Fn());
    f.MakeName(Folder(dir));
    ASSERT_TRUE(f.Append(MixedState(), Folder(dir)).Ok);
    ASSERT_TRUE(f.Append(MixedState(), Folder(dir)).Ok);
    const std::string first = f.FileName();
    const std::string whole = testutil::ReadFile(first);
    EXPECT_EQ(ParseStateRecord(testutil::ReadFile(StateRecordPath(first))).Marks.size(), 2u);

    // Cut after a whole block of the second state, as a kill can leave it.
    const std::string cut = whole.substr(0, whole.rfind("<TEXT>"));
    ASSERT_TRUE(testutil::WriteFile(first, cut));
    ASSERT_TRUE(f.Append(Snapshot("next"), Folder(dir)).Ok);
    EXPECT_EQ(testutil::ReadFile(first), cut);
    ASSERT_NE(f.FileName(), first);
    EXPECT_EQ(testutil::ReadFile(f.FileName()), Snapshot("next").Text());

    // A file from elsewhere, appended to by a window of a later run: no record made for it.
    const std::string other = Folder(dir) + "/Sch20200101000000.sch";
    ASSERT_TRUE(testutil::WriteFile(other, Snapshot("old").Text()));
    TAutoSaveFile g;
    g.MakeName(Folder(dir));
    std::rename(other.c_str(), g.FileName().c_str());
    ASSERT_TRUE(g.Append(Snapshot("new"), Folder(dir)).Ok);
    EXPECT_EQ(testutil::ReadFile(g.FileName()), Snapshot("old").Text() + Snapshot("new").Text());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(StateRecordPath(g.FileName()))));

    // Erasing a file takes its record with it.
    EXPECT_TRUE(EraseBackupFile(f.FileName()));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(f.FileName())));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(StateRecordPath(f.FileName()))));
}

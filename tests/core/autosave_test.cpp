#include "schematic/core/autosave.h"

#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <regex>
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
        std::string want;
    };
    const std::string slot = Snapshot("new").Text();
    const Case cases[] = {
        {"canonical", "SCHEMATIC\r\nx\r\n", "SCHEMATIC\r\nx\r\n" + slot},
        {"empty", "", slot},
        {"no final break", "SCHEMATIC\r\nx", "SCHEMATIC\r\nx\r\n" + slot},
        {"LF only", "SCHEMATIC\nx\n", "SCHEMATIC\r\nx\r\n" + slot},
        {"CR only", "SCHEMATIC\rx\r", "SCHEMATIC\r\nx\r\n" + slot},
        {"NUL ends text", std::string("A\r\nB\0C\r\n", 8), "A\r\nB\r\n" + slot},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        FixedClock clock;
        TAutoSaveFile f(clock.Fn());
        f.MakeName(Folder(dir));
        // A foreign file under our name (written after the name was made).
        ASSERT_TRUE(testutil::WriteFile(f.FileName(), c.old));
        EXPECT_TRUE(f.Append(Snapshot("new"), Folder(dir)).Ok) << c.name;
        EXPECT_EQ(testutil::ReadFile(f.FileName()), c.want) << c.name;
        // The second append of the same object goes straight to the end.
        EXPECT_TRUE(f.Append(Snapshot("two"), Folder(dir)).Ok);
        EXPECT_EQ(testutil::ReadFile(f.FileName()), c.want + Snapshot("two").Text()) << c.name;
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

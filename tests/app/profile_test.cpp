#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>


#include "platform/profile.h"
#include "tests/support/test_util.h"

namespace {

TEST(ProfileInt, ReadsDecimalAndBothHexForms)
{
    struct Case {
        const char* Text;
        std::optional<int32_t> Want;
    } cases[] = {
        {"0", 0},
        {"8388608", 8388608},
        {"-10", -10},
        {"+7", 7},
        {"  42  ", 42},
        {"$FF", 255},
        {"$ff", 255},
        {"0x800000", 0x800000},
        {"0X10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$00000000FF", 255},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"True", std::nullopt},
        {"", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"--1", std::nullopt},
        {"$G0", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileInt(c.Text), c.Want) << '"' << c.Text << '"';
}

TEST(Profile, ReadsKeysWithDefaultsForBadText)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/a.ini";
    testutil::WriteFile(path.toStdString(), testutil::CrLf({
        "; a comment",
        "[Settings]",
        "ShowHint=True",
        "ShowTabs=2",
        "Arrow = 9 ",
        "[colour]",
        "LINE=$FF",
        "Fill=",
        "[AutoSave]",
        "SearchPath=/tmp/some folder/",
        "DoIt=0",
    }));
    const TProfile ini(path);
    EXPECT_TRUE(ini.ReadBool("Settings", "ShowHint", true));    // text is no number: the default
    EXPECT_FALSE(ini.ReadBool("Settings", "ShowHint", false));
    EXPECT_TRUE(ini.ReadBool("Settings", "ShowTabs", false));   // 2 is true
    EXPECT_EQ(ini.ReadInteger("Settings", "Arrow", 0), 9);
    EXPECT_EQ(ini.ReadInteger("Colour", "Line", 1), 255);       // names match without case
    EXPECT_EQ(ini.ReadInteger("Colour", "Fill", 77), 77);
    EXPECT_EQ(ini.ReadInteger("Colour", "Text", 5), 5);
    EXPECT_EQ(ini.ReadString("AutoSave", "SearchPath", ""), "/tmp/some folder/");
    EXPECT_FALSE(ini.ReadBool("AutoSave", "DoIt", true));
    EXPECT_EQ(ini.ReadString("Nowhere", "Key", "dflt"), "dflt");
}

TEST(Profile, RewriteKeepsOtherLinesAndAddsNewKeysToTheirSection)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/sub/b.ini";
    QDir().mkpath(dir.path() + "/sub");
    testutil::WriteFile(path.toStdString(), testutil::CrLf({"[Settings]", "Other=x", "Arrow=1", "", "[Keep]", "A=1"}));
    TProfile ini(path);
    ini.WriteInteger("Settings", "Arrow", 3);
    ini.WriteBool("Settings", "ShowHint", false);
    ini.WriteString("New", "Path", "a\r\nb");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(testutil::ReadFile(path.toStdString()),
              testutil::CrLf({"[Settings]", "Other=x", "Arrow=3", "ShowHint=0", "", "[Keep]", "A=1", "", "[New]",
                              "Path=ab"}));
}

TEST(Profile, LinesTheProgramDoesNotSetAreWrittenBackAsTheyWere)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/k.ini";
    // Lines before any section, comments, blanks and quotes in values, odd names, and a
    // section that comes twice.
    const std::string text = "head line\n; note\r\n[Settings] ; mine\r\n  Arrow = 9 \r\nName = \"a b\"\r\n"
                             "broken[\r\n[Other]\nK=V=W\n[settings]\nArrow=4\n";
    testutil::WriteFile(path.toStdString(), text);
    TProfile ini(path);
    EXPECT_EQ(ini.ReadInteger("Settings", "Arrow", 0), 9);  // the first section that has it
    EXPECT_EQ(ini.ReadString("Settings", "Name", ""), "a b");
    EXPECT_EQ(ini.ReadString("Other", "K", ""), "V=W");
    ini.WriteInteger("Settings", "Arrow", 9);   // unchanged: the line stays as typed
    ini.WriteBool("Settings", "ShowHint", true);
    ini.WriteString("Other", "K", "new");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(testutil::ReadFile(path.toStdString()),
              "head line\r\n; note\r\n[Settings] ; mine\r\n  Arrow = 9 \r\nName = \"a b\"\r\nbroken[\r\n"
              "ShowHint=1\r\n[Other]\r\nK=new\r\n[settings]\r\nArrow=4\r\n");
    // Read back, the same values.
    const TProfile back(path);
    EXPECT_EQ(back.ReadInteger("Settings", "Arrow", 0), 9);
    EXPECT_TRUE(back.ReadBool("Settings", "ShowHint", false));
    EXPECT_EQ(back.ReadString("Other", "K", ""), "new");
}

TEST(Profile, AFileThatCouldNotBeReadWholeIsNeverWrittenOver)
{
    QTemporaryDir dir;
    const QString big = dir.path() + "/big.ini";
    const std::string bigText = "[User]\r\nMine=1\r\n" + std::string(TProfile::MaxFileSize, ';');
    testutil::WriteFile(big.toStdString(), bigText);
    const QString folder = dir.path() + "/folder.ini";
    QDir().mkpath(folder);
    const QString fifo = dir.path() + "/fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& path : {big, folder, fifo}) {
        TProfile ini(path);   // a FIFO must not stop the start
        EXPECT_FALSE(ini.ReadError().empty()) << path.toStdString();
        EXPECT_EQ(ini.ReadInteger("User", "Mine", 7), 7);
        ini.WriteInteger("Settings", "Arrow", 2);
        EXPECT_FALSE(ini.Save()) << path.toStdString();
    }
    EXPECT_EQ(testutil::ReadFile(big.toStdString()), bigText);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    // A file that is not there yet is made.
    TProfile fresh(dir.path() + "/new.ini");
    EXPECT_TRUE(fresh.ReadError().empty());
    fresh.WriteInteger("S", "K", 1);
    EXPECT_TRUE(fresh.Save());
}

TEST(Profile, SaveIntoAnImpossiblePlaceFailsQuietly)
{
    QTemporaryDir dir;
    const QString blocker = dir.path() + "/file";
    testutil::WriteFile(blocker.toStdString(), "x");
    TProfile ini(blocker + "/c.ini");
    ini.WriteInteger("S", "K", 2);
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(testutil::ReadFile(blocker.toStdString()), "x");
}

} // namespace

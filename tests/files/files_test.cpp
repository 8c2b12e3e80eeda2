#include "platform/sys/files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace {

std::string Put(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

class FilesTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    std::string dir = tmp.path().toStdString() + "/";
};

TEST_F(FilesTest, ReadsRegularFilesAndRefusesEverythingElseWithoutBlocking)
{
    const std::string text = Put(dir + "a.sch", std::string("SCHEMATIC\r\n\0x", 13));
    ASSERT_EQ(::mkfifo((dir + "pipe.sch").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir((dir + "d.sch").c_str(), 0700), 0);
    ASSERT_EQ(::symlink((dir + "missing").c_str(), (dir + "dangling.sch").c_str()), 0);

    struct Case {
        std::string path;
        bool ok;
        std::string error;
    };
    const Case cases[] = {
        {text, true, ""},
        {dir + "pipe.sch", false, "Not a regular file"},
        {"/dev/zero", false, "Not a regular file"},
        {dir + "d.sch", false, "Is a directory"},
        {dir + "dangling.sch", false, "No such file or directory"},
        {dir + "nothing.sch", false, "No such file or directory"},
        {"", false, "No such file or directory"},
    };
    for (const Case& c : cases) {
        std::string out = "old", error;
        EXPECT_EQ(sys::ReadRegularFile(c.path, out, error), c.ok) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
        EXPECT_EQ(out, c.ok ? std::string("SCHEMATIC\r\n\0x", 13) : "") << c.path;
    }
}

TEST_F(FilesTest, UnreadableFileSaysWhy)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const std::string p = Put(dir + "locked.sch", "SCHEMATIC\n");
    ::chmod(p.c_str(), 0);
    std::string out, error;
    EXPECT_FALSE(sys::ReadRegularFile(p, out, error));
    EXPECT_EQ(error, "Permission denied");
}

TEST_F(FilesTest, CapIsEnforcedAtAndBeyondItsSize)
{
    const std::string p = Put(dir + "big", std::string(1000, 'x'));
    std::string out, error;
    EXPECT_TRUE(sys::ReadRegularFile(p, out, error, 1000));
    EXPECT_EQ(out.size(), 1000u);
    EXPECT_FALSE(sys::ReadRegularFile(p, out, error, 999));
    EXPECT_EQ(error, "File is larger than 999 bytes");
    EXPECT_TRUE(out.empty());
}

TEST_F(FilesTest, StreamingReadEndsAndEmptyFileReadsNothing)
{
    sys::TReadFile f;
    ASSERT_TRUE(f.Open(Put(dir + "e", "")));
    char buf[16];
    EXPECT_EQ(f.Read(buf, sizeof buf), 0);
    ASSERT_TRUE(f.Open(Put(dir + "s", "0123456789")));
    EXPECT_EQ(f.Size(), 10);
    EXPECT_EQ(f.ReadFull(buf, sizeof buf), 10);
    EXPECT_EQ(f.Read(buf, sizeof buf), 0);
    EXPECT_FALSE(f.Open(dir));
    EXPECT_FALSE(f.IsOpen());
}

TEST_F(FilesTest, ListingKeepsNameBytesAndKindsOfLinks)
{
    Put(dir + "a.sch", "");
    Put(dir + "A.sch", "");
    Put(dir + std::string("\xE9t\xE9.sch"), "");  // Latin-1 bytes, not UTF-8
    ::mkdir((dir + "sub").c_str(), 0700);
    ::symlink("sub", (dir + "linkdir").c_str());
    ::symlink("nowhere", (dir + "dangling").c_str());
    ::mkfifo((dir + "p.sch").c_str(), 0600);

    std::vector<sys::TDirEntry> list;
    std::string error;
    ASSERT_TRUE(sys::ListFolder(dir, list, error, true));
    auto find = [&](const std::string& n) {
        auto it = std::find_if(list.begin(), list.end(), [&](auto& e) { return e.Name == n; });
        EXPECT_NE(it, list.end()) << n;
        return it == list.end() ? sys::TDirEntry{} : *it;
    };
    EXPECT_EQ(list.size(), 7u);
    EXPECT_EQ(find("a.sch").Kind, sys::TEntryKind::Regular);
    EXPECT_EQ(find("A.sch").Kind, sys::TEntryKind::Regular);
    EXPECT_EQ(find("\xE9t\xE9.sch").Kind, sys::TEntryKind::Regular);
    EXPECT_EQ(find("sub").Kind, sys::TEntryKind::Directory);
    EXPECT_TRUE(find("linkdir").IsLink);
    EXPECT_EQ(find("linkdir").Kind, sys::TEntryKind::Directory);
    EXPECT_EQ(find("linkdir").Ino, find("sub").Ino);
    EXPECT_EQ(find("dangling").Kind, sys::TEntryKind::Other);
    EXPECT_EQ(find("p.sch").Kind, sys::TEntryKind::Other);

    EXPECT_FALSE(sys::ListFolder(dir + "a.sch", list, error));
    EXPECT_EQ(error, "Not a directory");
}

TEST_F(FilesTest, CaseInsensitiveLookupPrefersTheExactName)
{
    Put(dir + "resistor.cmp", "");
    Put(dir + "CAP.CMP", "");
    Put(dir + "cap.cmp", "");
    EXPECT_EQ(sys::FindNoCase(dir, "RESISTOR.CMP"), "resistor.cmp");
    EXPECT_EQ(sys::FindNoCase(dir, "cap.cmp"), "cap.cmp");
    EXPECT_EQ(sys::FindNoCase(dir, "Cap.Cmp"), "CAP.CMP");  // first in byte order
    EXPECT_EQ(sys::FindNoCase(dir, "diode.cmp"), "");
    EXPECT_EQ(sys::FindNoCase(dir, "../x"), "");
}

TEST(FilesCompare, CaseInsensitiveOrderWithByteTieBreak)
{
    EXPECT_LT(sys::CompareNoCase("a.sch", "B.sch"), 0);
    EXPECT_LT(sys::CompareNoCase("A.sch", "a.sch"), 0);
    EXPECT_GT(sys::CompareNoCase("a.sch", "A.sch"), 0);
    EXPECT_EQ(sys::CompareNoCase("a", "a"), 0);
    EXPECT_LT(sys::CompareNoCase("ab", "ABC"), 0);
}

} // namespace

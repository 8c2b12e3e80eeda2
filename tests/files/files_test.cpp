#include "platform/sys/files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

std::string Put(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ReadBack(const std::string& path)
{
    std::string out, error;
    sys::ReadRegularFile(path, out, error);
    return out;
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
        // The same through the reader of drawings, into a buffer that held something.
        sys::TByteBuf buf;
        buf.Append("old");
        std::string bufError;
        EXPECT_EQ(sys::ReadRegularFile(c.path, buf, bufError), c.ok) << c.path;
        EXPECT_EQ(bufError, c.error) << c.path;
        EXPECT_EQ(buf.View(), out) << c.path;
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
    sys::TByteBuf buf;
    EXPECT_TRUE(sys::ReadRegularFile(p, buf, error, 1000));
    EXPECT_EQ(buf.size(), 1000u);
    EXPECT_FALSE(sys::ReadRegularFile(p, buf, error, 999));
    EXPECT_EQ(error, "File is larger than 999 bytes");
    EXPECT_TRUE(buf.empty());
}

TEST_F(FilesTest, LargeFilesReadInPartsComeOutWhole)
{
    // Sizes below, at and past the point where parts are read side by side, and ends that
    // fall inside a huge page and inside an 8-byte word. Every word holds its own offset, so
    // a part read to the wrong place or left out shows.
    constexpr std::size_t kMB = std::size_t{1} << 20;
    for (const std::size_t size : {16 * kMB - 1, 16 * kMB, 16 * kMB + 1, 33 * kMB + 63}) {
        std::string bytes(size, '\0');
        for (std::size_t at = 0; at + 8 <= size; at += 8)
            std::memcpy(bytes.data() + at, &at, 8);
        const std::string p = Put(dir + "large", bytes);
        sys::TByteBuf buf;
        std::string error;
        ASSERT_TRUE(sys::ReadRegularFile(p, buf, error)) << error;
        ASSERT_EQ(buf.size(), size);
        EXPECT_TRUE(buf.View() == bytes) << size;
        // Capped just below the size: refused, and nothing kept.
        EXPECT_FALSE(sys::ReadRegularFile(p, buf, error, static_cast<int64_t>(size) - 1));
        EXPECT_TRUE(buf.empty());
    }
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

TEST_F(FilesTest, CaseInsensitiveLookupFindsOnlyFiles)
{
    // Beside each file stands something of the same name in another case that cannot be
    // read as a file; the lookup passes it over, whichever of the two is asked for.
    Put(dir + "lowonly.cmp", "COMPONENT\r\n");
    ASSERT_EQ(::mkdir((dir + "LOWONLY.CMP").c_str(), 0755), 0);
    Put(dir + "pipe.cmp", "");
    ASSERT_EQ(::mkfifo((dir + "PIPE.CMP").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("nowhere", (dir + "GONE.CMP").c_str()), 0);
    Put(dir + "target", "");
    ASSERT_EQ(::symlink("target", (dir + "Linked.cmp").c_str()), 0);
    ASSERT_EQ(::mkdir((dir + "onlydir.cmp").c_str(), 0755), 0);
    const struct {
        const char* asked;
        const char* found;
    } cases[] = {
        {"LOWONLY.CMP", "lowonly.cmp"}, {"LowOnly.cmp", "lowonly.cmp"}, {"lowonly.cmp", "lowonly.cmp"},
        {"PIPE.CMP", "pipe.cmp"},       {"gone.cmp", ""},               {"LINKED.CMP", "Linked.cmp"},
        {"ONLYDIR.CMP", ""},            {"onlydir.cmp", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sys::FindNoCase(dir, c.asked), c.found) << c.asked;
}

mode_t ModeOf(const std::string& p)
{
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<sys::TDirEntry> list;
    std::string error;
    sys::ListFolder(folder, list, error);
    std::vector<std::string> out;
    for (const auto& e : list)
        out.push_back(e.Name);
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(FilesTest, AtomicWriteReplacesKeepsModesFollowsLinksAndLeavesNothingBeside)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    std::string error;
    // New: the usual permissions; existing: its own mode; asked for: exactly that.
    ASSERT_TRUE(sys::WriteFileAtomic(dir + "new.sch", "one", error)) << error;
    EXPECT_EQ(ModeOf(dir + "new.sch"), 0666 & ~mask);
    ::chmod((dir + "new.sch").c_str(), 0640);
    ASSERT_TRUE(sys::WriteFileAtomic(dir + "new.sch", "two", error));
    EXPECT_EQ(ReadBack(dir + "new.sch"), "two");
    EXPECT_EQ(ModeOf(dir + "new.sch"), 0640u);
    ASSERT_TRUE(sys::WriteFileAtomic(dir + "private", "p", error, 0600));
    EXPECT_EQ(ModeOf(dir + "private"), 0600u);

    // Through a link: the file it names changes, the link stays.
    ASSERT_EQ(::symlink("new.sch", (dir + "link.sch").c_str()), 0);
    ASSERT_TRUE(sys::WriteFileAtomic(dir + "link.sch", "three", error));
    struct stat lst {};
    ASSERT_EQ(::lstat((dir + "link.sch").c_str(), &lst), 0);
    EXPECT_TRUE(S_ISLNK(lst.st_mode));
    EXPECT_EQ(ReadBack(dir + "new.sch"), "three");

    // Failures leave the old file.
    ASSERT_EQ(::mkdir((dir + "d").c_str(), 0700), 0);
    EXPECT_FALSE(sys::WriteFileAtomic(dir + "d", "x", error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_FALSE(sys::WriteFileAtomic(dir + "nofolder/x.sch", "x", error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"d", "link.sch", "new.sch", "private"}));
}

TEST_F(FilesTest, SweepTakesOnlyPiecesNoWriterHolds)
{
    // A piece of a killed writer, one of a live writer (locked), and user files that only
    // look alike.
    Put(dir + ".a.sch.123-0.part", "dead");
    Put(dir + ".a.sch.124-0.part", "live");
    Put(dir + "a.sch.123-0.part", "mine");
    Put(dir + ".a.sch.x-0.part", "mine");
    const int live = ::open((dir + ".a.sch.124-0.part").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    std::string error;
    ASSERT_TRUE(sys::WriteFileAtomic(dir + "a.sch", "new", error));  // sweeps first
    EXPECT_EQ(Names(dir), (std::vector<std::string>{".a.sch.124-0.part", ".a.sch.x-0.part", "a.sch", "a.sch.123-0.part"}));
    ::close(live);
    sys::SweepWritePieces(dir);
    EXPECT_EQ(Names(dir), (std::vector<std::string>{".a.sch.x-0.part", "a.sch", "a.sch.123-0.part"}));
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

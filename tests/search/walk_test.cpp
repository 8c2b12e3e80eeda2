// The folder walk and the grid arithmetic, without windows.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "search/core/grid.h"
#include "search/core/walk.h"
#include "tests/support/xdg_fixture.h"

namespace {

using testutil::WriteFile;

std::string Mkdir(const std::string& path)
{
    ::mkdir(path.c_str(), 0755);
    return path;
}

// A tree with every kind of entry that has hung or misled a walk.
struct THostileTree {
    QTemporaryDir tmp;
    std::string root;
    std::set<std::string> expected;  // files a walk must find
    std::string locked;

    THostileTree()
    {
        root = tmp.path().toStdString() + "/";
        auto file = [&](const std::string& rel, bool wanted) {
            WriteFile(root + rel, "SCHEMATIC\r\n");
            if (wanted)
                expected.insert(root + rel);
        };
        file("a.sch", true);
        file("B.SCH", true);
        file("c.Sch", true);
        file(".sch", true);
        file("notes.txt", false);
        file("x.sch.bak", false);
        Mkdir(root + "d.sch");
        file("d.sch/inner.sch", true);
        Mkdir(root + "sub");
        Mkdir(root + "sub/deep");
        file("sub/deep/e.sch", true);
        file("sub/f.SCH", true);
        ::symlink("..", (root + "sub/up").c_str());
        ::symlink(".", (root + "self").c_str());
        // A second way into sub: its files are found once, under the first way walked.
        ::symlink("sub", (root + "alias").c_str());
        ::mkfifo((root + "fifo.sch").c_str(), 0644);
        expected.insert(root + "fifo.sch");
        ::symlink("/dev/zero", (root + "zero.sch").c_str());
        expected.insert(root + "zero.sch");
        ::symlink("nowhere", (root + "dead.sch").c_str());
        expected.insert(root + "dead.sch");
        const std::string odd = root + "\xff\xfe odd";
        Mkdir(odd);
        WriteFile(odd + "/n.sch", "SCHEMATIC\r\n");
        expected.insert(odd + "/n.sch");
        locked = Mkdir(root + "locked");
        WriteFile(locked + "/hidden.sch", "x");
        ::chmod(locked.c_str(), 0);
        // Root lists any folder: there the locked one is walked like the rest.
        if (::geteuid() == 0)
            expected.insert(locked + "/hidden.sch");
    }
    ~THostileTree()
    {
        ::chmod(locked.c_str(), 0755);
        testutil::RemoveTree(tmp.path().toStdString());
    }
};

TEST(FolderWalk, HostileTreeIsWalkedOnceEachDepthFirstAndEnds)
{
    THostileTree t;
    search::TFolderWalk walk;
    std::vector<std::string> folders;
    walk.OnFolder = [&](const std::string& f) { folders.push_back(f); };
    std::vector<std::string> found;
    walk.Walk(t.root, found);

    // sub is reached as sub/ or as alias/, whichever the listing gives first.
    std::set<std::string> got;
    for (std::string f : found) {
        if (f.compare(0, t.root.size() + 6, t.root + "alias/") == 0)
            f = t.root + "sub/" + f.substr(t.root.size() + 6);
        got.insert(f);
    }
    EXPECT_EQ(got, t.expected);
    EXPECT_EQ(found.size(), t.expected.size()) << "a file was found twice";
    // Each real folder once: root, d.sch, sub, sub/deep, the odd one, locked.
    std::set<std::pair<dev_t, ino_t>> ids;
    for (const std::string& f : folders) {
        struct stat st {};
        ASSERT_EQ(::stat(f.c_str(), &st), 0) << f;
        EXPECT_TRUE(ids.emplace(st.st_dev, st.st_ino).second) << "walked twice: " << f;
    }
    EXPECT_EQ(folders.size(), 6u);
    // Depth first: the files of a folder and of everything below it come in one run.
    for (const std::string& f : folders) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < found.size(); ++i)
            if (found[i].compare(0, f.size(), f) == 0)
                at.push_back(i);
        if (!at.empty()) {
            EXPECT_EQ(at.back() - at.front() + 1, at.size()) << "files below " << f << " interleaved";
        }
    }
}

TEST(FolderWalk, DeepTreeNeedsNoMoreOpenFoldersThanOne)
{
    QTemporaryDir tmp;
    std::string dir = tmp.path().toStdString();
    for (int depth = 0; depth < 150; ++depth) {
        dir += "/d";
        Mkdir(dir);
    }
    WriteFile(dir + "/bottom.sch", "");
    int open = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++open;
        ::closedir(d);
    }
    rlimit keep {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &keep), 0);
    rlimit tight = keep;
    tight.rlim_cur = static_cast<rlim_t>(open + 8);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    search::TFolderWalk walk;
    std::vector<std::string> found;
    walk.Walk(tmp.path().toStdString(), found);
    ::setrlimit(RLIMIT_NOFILE, &keep);
    EXPECT_EQ(found, std::vector<std::string>{dir + "/bottom.sch"});
}

TEST(FolderWalk, RelativeStartIsMadeAbsolute)
{
    QTemporaryDir tmp;
    const std::string root = tmp.path().toStdString();
    Mkdir(root + "/rel");
    WriteFile(root + "/rel/x.sch", "SCHEMATIC\r\n");
    char keep[4096];
    ASSERT_TRUE(::getcwd(keep, sizeof keep));
    ASSERT_EQ(::chdir(root.c_str()), 0);
    search::TFolderWalk walk;
    std::vector<std::string> found;
    walk.Walk("rel", found);
    EXPECT_EQ(search::AbsoluteFolder(""), root + "/");
    ASSERT_EQ(::chdir(keep), 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], root + "/rel/x.sch");
    EXPECT_EQ(search::AbsoluteFolder("/a/b"), "/a/b/");
}

TEST(FolderWalk, StopsAtTheNextEntryOnceTheFlagIsCleared)
{
    QTemporaryDir tmp;
    const std::string root = tmp.path().toStdString() + "/";
    for (int d = 0; d < 5; ++d) {
        Mkdir(root + std::to_string(d));
        for (int f = 0; f < 20; ++f)
            WriteFile(root + std::to_string(d) + "/" + std::to_string(f) + ".sch", "");
    }
    bool searching = true;
    int pumps = 0;
    uint64_t atStop = 0;
    search::TFolderWalk walk;
    walk.Searching = &searching;
    walk.SliceMs = 0;
    walk.Pump = [&] {
        if (++pumps == 3) {
            searching = false;
            atStop = walk.Entries();
        }
    };
    std::vector<std::string> found;
    walk.Walk(root, found);
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(walk.Entries(), atStop);
    EXPECT_LT(found.size(), 5u);

    // In slices, the pump runs far less often than once per entry.
    searching = true;
    pumps = 0;
    walk.SliceMs = 10000;
    walk.Pump = [&] { ++pumps; };
    found.clear();
    walk.Walk(root, found);
    EXPECT_EQ(found.size(), 100u);
    EXPECT_EQ(pumps, 0);
}

TEST(FolderWalk, ExtensionInAnyCase)
{
    const struct {
        const char* name;
        bool sch;
    } cases[] = {{"a.sch", true}, {"a.SCH", true}, {"a.sCh", true}, {".sch", true},  {"sch", false},
                 {"a.sc", false}, {"a.schx", false}, {"a_sch", false}, {"a.sch ", false}};
    for (const auto& c : cases)
        EXPECT_EQ(search::HasSchExtension(c.name), c.sch) << c.name;
}

TEST(ResultGrid, CellsFitTheScreenAndNeverDropBelowOne)
{
    const struct {
        int extent, cols, rows;
    } cases[] = {{1920, 7, 12}, {1080, 4, 6}, {278, 1, 1}, {279, 1, 1}, {528, 1, 3}, {529, 2, 3}, {0, 1, 1}, {-5, 1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(search::GridCols(c.extent), c.cols) << c.extent;
        EXPECT_EQ(search::GridRows(c.extent), c.rows) << c.extent;
    }
}

TEST(ResultGrid, ScrollRangeByRows)
{
    // 7 by 6 cells: 42 fit one page, each further row of 7 adds a position.
    const struct {
        int64_t count;
        bool enabled;
        int max;
    } cases[] = {{0, false, 0}, {42, false, 0}, {43, true, 1}, {49, true, 1}, {50, true, 2}, {1000, true, 137}};
    for (const auto& c : cases) {
        const search::TScrollRange r = search::ScrollRangeFor(c.count, 7, 6);
        EXPECT_EQ(r.Enabled, c.enabled) << c.count;
        EXPECT_EQ(r.Max, c.max) << c.count;
    }
    EXPECT_FALSE(search::ScrollRangeFor(5, 0, 0).Enabled);
}

TEST(ResultGrid, CellUnderTheMouse)
{
    const struct {
        int x, y, pos;
        int64_t index;
    } cases[] = {{0, 0, 0, 0},         {249, 149, 0, 0},     {250, 0, 0, 1},      {0, 150, 0, 7},
                 {10, 10, 1, 7},       {1749, 899, 0, 41},   {1750, 0, 0, search::NoCell},
                 {0, 900, 0, search::NoCell}, {0, 0, 6, 42}, {250, 0, 6, search::NoCell}, {-1, 0, 0, search::NoCell}};
    for (const auto& c : cases)
        EXPECT_EQ(search::CellIndexAt(c.x, c.y, c.pos, 7, 6, 43), c.index) << c.x << "," << c.y << " page " << c.pos;
}

TEST(ResultGrid, ErrorStripTexts)
{
    const std::string ending = " Schematic \"*.sch\" files with unknown format removed from search list.";
    EXPECT_EQ(search::ErrorStripText(0, 0), "");
    EXPECT_EQ(search::ErrorStripText(1, 0), "  Error: 1 missing files.");
    EXPECT_EQ(search::ErrorStripText(0, 3), "  Error: 3" + ending);
    EXPECT_EQ(search::ErrorStripText(2, 5), "  Error: 2 missing files, and 5" + ending);
}

} // namespace

// The shared folder list, drive box and file list, and the name order they use.
#include "platform/folder_widgets.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_util.h"

namespace {

TEST(FileNames, OrderIgnoresCaseAndKeepsBothCases)
{
    std::vector<std::string> names = {"b.sch", "A.sch", "a.sch", "C.sch", "a.sch", "\xff.sch"};
    SortFileNames(names);
    // a.sch and A.sch both stay, in byte order; the exact duplicate goes.
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], "A.sch");
    EXPECT_EQ(names[1], "a.sch");
    EXPECT_EQ(names[2], "b.sch");
    EXPECT_EQ(names[3], "C.sch");
    EXPECT_EQ(names[4], "\xff.sch");
}

TEST(FileNames, MaskAndCleanFolder)
{
    struct {
        const char* mask;
        const char* name;
        bool match;
    } masks[] = {
        {"*.sch", "a.SCH", true},  {"*.sch", "a.schx", false}, {"*.sch", ".sch", true},
        {"*.sch", "a.sch.bak", false}, {"a?c", "abc", true},    {"a?c", "ac", false},
        {"*", "", true},           {"*x*y", "axxby", true},    {"*x*y", "axxb", false},
    };
    for (const auto& c : masks)
        EXPECT_EQ(MaskMatch(c.mask, c.name), c.match) << c.mask << " " << c.name;

    struct {
        const char* in;
        const char* out;
    } folders[] = {
        {"/", "/"}, {"//a//b/", "/a/b"}, {"/a/./b/../c", "/a/c"}, {"/..", "/"}, {"/a/\xfe", "/a/\xfe"},
    };
    for (const auto& c : folders)
        EXPECT_EQ(CleanFolder(c.in), c.out) << c.in;
    EXPECT_EQ(WithSlash("/a"), "/a/");
    EXPECT_EQ(WithSlash("/"), "/");
}

// A folder with the awkward entries a real disk can hold.
struct HostileFolder {
    QTemporaryDir Tmp;
    std::string Root = PathBytes(Tmp.path());
    HostileFolder()
    {
        testutil::WriteFile(Root + "/a.sch", "SCHEMATIC\r\n");
        testutil::WriteFile(Root + "/A.sch", "SCHEMATIC\r\n");
        testutil::WriteFile(Root + "/b.SCH", "x");
        testutil::WriteFile(Root + "/c.txt", "x");
        testutil::WriteFile(Root + "/\xe9t\xe9.sch", "x");  // Latin-1 bytes, not UTF-8
        testutil::WriteFile(Root + "/locked.sch", "x");
        ::chmod((Root + "/locked.sch").c_str(), 0);
        ::mkdir((Root + "/d.sch").c_str(), 0700);
        ::mkdir((Root + "/sub").c_str(), 0700);
        ::mkdir((Root + "/\xfe dir").c_str(), 0700);
        ::mkdir((Root + "/.hidden").c_str(), 0700);
        ::mkfifo((Root + "/fifo.sch").c_str(), 0600);
        ::symlink("/nonexistent/target", (Root + "/dangling.sch").c_str());
    }
};

TEST(FolderWidgets, FolderListShowsAncestorsAndSubfolders)
{
    HostileFolder f;
    TDirectoryListBox list;
    int changes = 0;
    QObject::connect(&list, &TDirectoryListBox::Change, [&] { ++changes; });
    list.SetDirectoryBytes(f.Root + "/");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.DirectoryBytes(), f.Root);
    list.SetDirectoryBytes(f.Root);  // same folder: no change
    EXPECT_EQ(changes, 1);

    std::vector<std::string> shown;
    for (int i = 0; i < list.count(); ++i)
        shown.push_back(list.ItemFolder(i));
    EXPECT_EQ(shown.front(), "/");
    EXPECT_EQ(list.ItemFolder(list.currentRow()), f.Root);
    // Subfolders after the current folder: d.sch, sub and the non-UTF-8 one; no dot folder.
    const std::vector<std::string> subs(shown.end() - 3, shown.end());
    EXPECT_EQ(subs, (std::vector<std::string>{f.Root + "/d.sch", f.Root + "/sub", f.Root + "/\xfe dir"}));

    // Opening an item by its row (the click handler's work) enters it, bytes intact.
    list.setCurrentRow(list.count() - 1);
    list.OpenCurrent();
    EXPECT_EQ(list.DirectoryBytes(), f.Root + "/\xfe dir");
    EXPECT_EQ(changes, 2);
    // A folder that cannot be listed is current all the same.
    list.SetDirectoryBytes(f.Root + "/gone");
    EXPECT_EQ(list.DirectoryBytes(), f.Root + "/gone");
    EXPECT_EQ(list.ItemFolder(list.count() - 1), f.Root + "/gone");
}

TEST(FolderWidgets, FileListFollowsFolderListAndMask)
{
    HostileFolder f;
    TDirectoryListBox dirs;
    TFileListBox files;
    files.SetMask("*.sch");
    files.SetDirList(&dirs);
    dirs.SetDirectoryBytes(f.Root);
    // Directories never; FIFOs, unreadable files and dangling links are shown (opening them
    // is the reader's business and fails with a message).
    EXPECT_EQ(files.Names(), (std::vector<std::string>{"A.sch", "a.sch", "b.SCH", "dangling.sch", "fifo.sch",
                                                        "locked.sch", "\xe9t\xe9.sch"}));
    EXPECT_EQ(files.FileNameBytes(), "");
    files.setCurrentRow(2);
    EXPECT_EQ(files.FileNameBytes(), f.Root + "/b.SCH");
}

TEST(FolderWidgets, DriveBoxFollowsBoundFolderList)
{
    TDirectoryListBox dirs;
    TDriveComboBox drives;
    ASSERT_GT(drives.count(), 0);
    drives.SetDirList(&dirs);
    dirs.SetDirectoryBytes("/");
    EXPECT_EQ(drives.DriveBytes(), "/");
    // Choosing a volume opens its root in the folder list.
    dirs.SetDirectoryBytes(PathBytes(QDir::tempPath()));
    const std::string drive = drives.DriveBytes();
    EXPECT_TRUE(PathBytes(QDir::tempPath()).starts_with(drive)) << drive;
    emit drives.activated(drives.currentIndex());
    EXPECT_EQ(dirs.DirectoryBytes(), drive);
}

}  // namespace

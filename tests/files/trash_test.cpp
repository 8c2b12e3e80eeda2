// Moving files to the trash: renamed with their information file, or left where they are.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/sys/trash.h"
#include "tests/support/xdg_fixture.h"

namespace {

class Trash : public testutil::XdgFixture {
protected:
    bool Exists(const std::string& p) const
    {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0;
    }
};

TEST_F(Trash, FilesGoWithTheirInformationAndNamesAreKept)
{
    const std::string odd = Root + "/w\xff\xfe rd.sch";  // not valid UTF-8
    Put(odd, "one");
    Put(Root + "/sub/w\xff\xfe rd.sch", "two");
    std::string error;
    ASSERT_TRUE(sys::MoveToTrash(odd, error)) << error;
    ASSERT_TRUE(sys::MoveToTrash(Root + "/sub/w\xff\xfe rd.sch", error)) << error;
    const std::string trash = DataHome + "/Trash/";
    EXPECT_FALSE(Exists(odd));
    EXPECT_EQ(testutil::ReadFile(trash + "files/w\xff\xfe rd.sch"), "one");
    EXPECT_EQ(testutil::ReadFile(trash + "files/w\xff\xfe rd.sch.2"), "two");
    const std::string info = testutil::ReadFile(trash + "info/w\xff\xfe rd.sch.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
    EXPECT_NE(info.find("/w%FF%FE%20rd.sch\nDeletionDate="), std::string::npos) << info;
    struct stat st {};
    ASSERT_EQ(::stat((trash + "files").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Trash, WhenTheTrashCannotBeMadeTheFileStays)
{
    const std::string file = Root + "/keep.sch";
    Put(file, "data");
    Put(DataHome + "/Trash", "a file in the way");
    std::string error;
    EXPECT_FALSE(sys::MoveToTrash(file, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(testutil::ReadFile(file), "data");
    EXPECT_FALSE(sys::MoveToTrash(Root + "/missing.sch", error));
    EXPECT_FALSE(sys::MoveToTrash("", error));
}

} // namespace

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"

namespace {

// The system temporary folder of this test only, so nothing here touches the shared one.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old = qgetenv("TMPDIR");
        qputenv("TMPDIR", system.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("TMPDIR", old); }
    static struct stat Stat(const QString& p)
    {
        struct stat st {};
        ::lstat(QFile::encodeName(p).constData(), &st);
        return st;
    }
    QTemporaryDir system;
    QByteArray old;
};

TEST_F(TempFolderTest, IsAFolderOfThisUserAloneInsideTheSystemOne)
{
    const QString t = GetTempFolder();
    EXPECT_TRUE(t.startsWith(system.path() + "/")) << t.toStdString();
    EXPECT_TRUE(t.endsWith("/"));
    const struct stat st = Stat(t.chopped(1));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    // Opened up by someone since: closed again.
    ::chmod(QFile::encodeName(t).constData(), 0777);
    EXPECT_EQ(GetTempFolder(), t);
    EXPECT_EQ(Stat(t.chopped(1)).st_mode & 0777, 0700u);
}

TEST_F(TempFolderTest, ANamePlantedAsALinkIsNotFollowed)
{
    QTemporaryDir elsewhere;
    const QString name = system.path() + "/Vantrel-" + QString::number(::geteuid());
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path()).constData(), QFile::encodeName(name).constData()), 0);
    const QString t = GetTempFolder();
    EXPECT_NE(t, name + "/");
    EXPECT_FALSE(t.startsWith(elsewhere.path()));
    const struct stat st = Stat(t.chopped(1));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

} // namespace

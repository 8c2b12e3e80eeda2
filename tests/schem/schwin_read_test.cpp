// What the schematic window does with files it cannot read or that a crash cut short, and
// the permissions of what it writes.
#include "tests/support/schwin_fixture.h"
#include "tests/support/test_util.h"
#include "schematic/core/autosave.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class SchWinReadTest : public testutil::SchWinFixture {
protected:
    QString Path(const char* name) const { return tmp.path() + "/" + name; }
};

// Two whole states, then a third that a crash cut in the middle of its text's Y.
const std::string TwoStates = testutil::CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0",
                                              "SCHEMATIC", "<SHAPE>", "2", "5", "5", "20", "20", "0"});
const std::string Torn = TwoStates + testutil::CrLf({"SCHEMATIC", "<TEXT>", "half", "16", "1234"}) + "56";

TEST_F(SchWinReadTest, UnreadableFilesAreReportedWithTheReasonAndCloseOnlyTheirWindow)
{
    ASSERT_EQ(::mkfifo(Path("pipe.sch").toLocal8Bit().constData(), 0600), 0);
    QDir().mkpath(Path("folder.sch"));
    ASSERT_EQ(::symlink("loop.sch", Path("loop.sch").toLocal8Bit().constData()), 0);
    ASSERT_TRUE(testutil::WriteFile(Path("locked.sch").toStdString(), TwoStates));
    ::chmod(Path("locked.sch").toLocal8Bit().constData(), 0);
    struct Case {
        const char* Name;
        QString Reason;
    } cases[] = {
        {"pipe.sch", "Not a regular file"},       // would wait for a writer forever
        {"folder.sch", "Is a directory"},
        {"loop.sch", "Too many levels of symbolic links"},
        {"gone.sch", "No such file or directory"},
        {"locked.sch", "Permission denied"},
    };
    // Another window with work in it stays as it was.
    win->Model.ShapeList.push_back({1, 0, 0, 5, 5, 0, 0});
    win->SetModified();
    for (const Case& c : cases) {
        if (QString(c.Name) == "locked.sch" && ::geteuid() == 0)
            continue;  // root reads it
        messages.clear();
        QPointer<TSchWin> w = new TSchWin();
        frame->ShowChild(w, false);
        w->OpenSchem(Path(c.Name));
        ASSERT_EQ(messages.size(), 1u) << c.Name;
        EXPECT_EQ(messages[0], "Error! The file could not be read:\r" + Path(c.Name) + "\r" + c.Reason);
        EXPECT_TRUE(w->Closed()) << c.Name;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull()) << c.Name;
    }
    ASSERT_FALSE(win.isNull());
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(win->ModifiedPanel(), " Modified");

    // A backup that is there but cannot be read says why; its window stays.
    messages.clear();
    win->OpenBackUp(Path("pipe.sch"), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error! Backup file is Invalid!\r" + Path("pipe.sch") + "\rNot a regular file");
    EXPECT_FALSE(win->Closed());
}

TEST_F(SchWinReadTest, AStateCutShortByACrashIsNeverShownAsWhole)
{
    const QString file = Path("Sch20260101000000.sch");
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(), Torn));
    // Opened as a drawing: the newest whole state, and the panel says why.
    win->OpenSchem(file);
    ASSERT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(win->Model.ShapeList.front().Kind, 2);
    EXPECT_TRUE(win->Model.TextList.empty());
    EXPECT_EQ(Panel(2), " Last state cut short: the one before is shown");
    EXPECT_TRUE(messages.empty());

    // Restored from the backup at the cut state's header: the one before it instead.
    TSchWin* b = new TSchWin();
    frame->ShowChild(b, false);
    b->OpenBackUp(file, 16);
    ASSERT_EQ(b->Model.ShapeList.size(), 1u);
    EXPECT_EQ(b->Model.ShapeList.front().Kind, 2);
    EXPECT_EQ(b->Panels[2]->text(), " Last state cut short: the one before is shown");
    // An older state is restored as asked.
    TSchWin* c = new TSchWin();
    frame->ShowChild(c, false);
    c->OpenBackUp(file, 0);
    EXPECT_EQ(c->Model.ShapeList.front().Kind, 1);
    EXPECT_EQ(c->Panels[2]->text(), "");
    c->ClearModified();
    b->ClearModified();

    // Nothing whole to fall back on: what is there is shown, marked as cut.
    const QString single = Path("single.sch");
    ASSERT_TRUE(testutil::WriteFile(single.toStdString(), testutil::CrLf({"SCHEMATIC", "<TEXT>", "t", "16", "100"}) + "2"));
    TSchWin* d = new TSchWin();
    frame->ShowChild(d, false);
    d->OpenSchem(single);
    ASSERT_EQ(d->Model.TextList.size(), 1u);
    EXPECT_EQ(d->Panels[2]->text(), " State cut short: its end is missing");
}

// A kill can cut the newest state right after a whole block, where its text alone reads
// as a smaller drawing; the record the autosave keeps beside the file tells.
TEST_F(SchWinReadTest, AStateCutAfterAWholeBlockIsSeenByTheAutosaveRecord)
{
    const std::string dir = tmp.path().toStdString() + "/auto";
    QDir().mkpath(QString::fromStdString(dir));
    TAutoSaveFile autosave;
    autosave.MakeName(dir);
    const TLines older = TLines::FromText(TwoStates.substr(0, TwoStates.find("SCHEMATIC", 1)));
    const TLines newer = TLines::FromText(testutil::CrLf({"SCHEMATIC", "<SHAPE>", "2", "5", "5", "20", "20", "0",
                                                          "<TEXT>", "gone", "16", "100", "100"}));
    ASSERT_TRUE(autosave.Append(older, dir).Ok);
    ASSERT_TRUE(autosave.Append(newer, dir).Ok);
    const std::string whole = testutil::ReadFile(autosave.FileName());
    ASSERT_TRUE(testutil::WriteFile(autosave.FileName(), whole.substr(0, whole.rfind("<TEXT>"))));
    const QString file = QString::fromStdString(autosave.FileName());

    win->OpenSchem(file);
    ASSERT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(win->Model.ShapeList.front().Kind, 1);   // the state before
    EXPECT_EQ(Panel(2), " Last state cut short: the one before is shown");
    TSchWin* b = new TSchWin();
    frame->ShowChild(b, false);
    b->OpenBackUp(file, 8);
    ASSERT_EQ(b->Model.ShapeList.size(), 1u);
    EXPECT_EQ(b->Model.ShapeList.front().Kind, 1);
    b->ClearModified();

    // The same bytes copied without their record read as the text alone allows.
    const QString copy = Path("copy.sch");
    ASSERT_TRUE(QFile::copy(file, copy));
    TSchWin* c = new TSchWin();
    frame->ShowChild(c, false);
    c->OpenSchem(copy);
    ASSERT_EQ(c->Model.ShapeList.size(), 1u);
    EXPECT_EQ(c->Model.ShapeList.front().Kind, 2);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SchWinReadTest, SavedDrawingsKeepTheUsersPermissions)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    win->Model.ShapeList.push_back({1, 0, 0, 5, 5, 0, 0});
    win->FileName = Path("new.sch");
    ASSERT_TRUE(win->SaveSchem());
    struct stat st {};
    ASSERT_EQ(::stat(win->FileName.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    ::chmod(win->FileName.toLocal8Bit().constData(), 0640);
    ASSERT_TRUE(win->SaveSchem());
    ASSERT_EQ(::stat(win->FileName.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"new.sch"});
}

} // namespace

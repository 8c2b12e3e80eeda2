// The backup viewer: the list of stored states, drawing and scale, sending a state to a new
// schematic window, erasing a file; and the frame's and the schematic window's commands.
#include "viewers/BackupView_.h"

#include "app/Main_.h"
#include "platform/folder_widgets.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"
#include "schematic/core/autosave.h"

#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/support/modal.h"
#include "tests/support/test_util.h"

namespace {

using testutil::CrLf;

// Three states of a drawing; the second holds a free text reading "SCHEMATIC".
const std::string kState0 = CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0"});
const std::string kState1 = CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0",
                                  "<TEXT>", "SCHEMATIC", "0", "100", "100"});
const std::string kState2 = CrLf({"SCHEMATIC", "<SHAPE>", "2", "5", "5", "30", "20", "1",
                                  "<SHAPE>", "1", "0", "0", "10", "10", "0"});

QStringList Entries(const QListWidget* l)
{
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

class BackupViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = Tmp.path();
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r);
            return Answer;
        });
    }
    void TearDown() override { SetMsgResponder(nullptr); }
    std::string File(const std::string& name, const std::string& bytes)
    {
        const std::string path = PathBytes(Dir) + "/" + name;
        testutil::WriteFile(path, bytes);
        return path;
    }
    // Clicks a file of the list by its name.
    static void ClickFile(TBackupView& v, const QString& name)
    {
        auto items = v.FileListBox->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        {
            const QSignalBlocker block(v.FileListBox);
            v.FileListBox->setCurrentItem(items[0]);
        }
        v.FileListBoxClick();
    }

    QTemporaryDir Tmp;
    QString Dir;
    std::vector<TMsgRecord> Messages;
    int Answer = mrYes;
};

TEST_F(BackupViewTest, ListsEveryStoredStateByTheGrammar)
{
    File("Sch1.sch", kState0 + kState1 + kState2);
    File("Torn.sch", kState0 + kState2.substr(0, kState2.size() - 2));
    File("Empty.sch", "");
    File("Other.sch", "hello\r\n");
    TBackupView v(Dir);
    v.resize(700, 500);
    v.show();
    QApplication::processEvents();
    EXPECT_EQ(v.windowTitle(), "View Backup Files in: " + Dir);
    ClickFile(v, "Sch1.sch");
    EXPECT_EQ(Entries(v.SchemList), (QStringList{"Backup: 0", "Backup: 8", "Backup: 21"}));
    EXPECT_EQ(v.SchemList->currentRow(), 2);
    EXPECT_EQ(v.FileName, Dir + "/Sch1.sch");
    EXPECT_TRUE(Messages.empty());
    // The newest state is drawn: its filled rectangle at scale 2.
    EXPECT_EQ(v.PaintBox->Surface.pixel(30, 20), qRgb(0, 0, 128));

    // A file whose end was cut off mid-write: its last state is marked.
    ClickFile(v, "Torn.sch");
    EXPECT_EQ(Entries(v.SchemList), (QStringList{"Backup: 0", "Backup: 8 (incomplete)"}));
    std::size_t start = 0;
    ASSERT_TRUE(v.SelectedStart(start));
    EXPECT_EQ(start, 8u);

    // Not schematics, an empty file among them: a message, an empty list, the last good file kept.
    for (const char* name : {"Other.sch", "Empty.sch"}) {
        Messages.clear();
        ClickFile(v, name);
        ASSERT_EQ(Messages.size(), 1u) << name;
        EXPECT_EQ(Messages[0].Text, "Error: Not a Schematic file!");
        EXPECT_EQ(v.SchemList->count(), 0);
        EXPECT_EQ(v.FileName, Dir + "/Torn.sch");
        EXPECT_EQ(v.PaintBox->Surface.pixel(30, 20), qRgb(0, 255, 255));
    }

    // LoadBackup is silent and leaves an empty list for a file that is not a schematic.
    Messages.clear();
    v.LoadBackup(Dir + "/Other.sch");
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(v.SchemList->count(), 0);
    v.LoadBackup(Dir + "/Sch1.sch");
    EXPECT_EQ(v.SchemList->count(), 3);
}

TEST_F(BackupViewTest, ScaleStepsAndKeepsThePictureOfAStateTooShortToDraw)
{
    File("Sch1.sch", kState2 + CrLf({"SCHEMATIC", "<SHAPE>"}) + kState0);
    TBackupView v(Dir);
    v.resize(700, 500);
    v.show();
    QApplication::processEvents();
    ClickFile(v, "Sch1.sch");
    struct {
        std::function<void(TBackupView&)> act;
        int32_t scale;
    } steps[] = {
        {[](TBackupView& b) { b.SpButScaleDWNClick(); }, 2}, {[](TBackupView& b) { b.SpButScaleUPClick(); }, 4},
        {[](TBackupView& b) { b.SpButScaleUPClick(); }, 8},  {[](TBackupView& b) { b.SpButScaleUPClick(); }, 8},
        {[](TBackupView& b) { b.mnScaleClick(2); }, 2},      {[](TBackupView& b) { b.mnScaleClick(4); }, 4},
    };
    for (const auto& s : steps) {
        s.act(v);
        EXPECT_EQ(v.Scale, s.scale);
        v.PopupMenuPopup();
        EXPECT_EQ(v.mnScaleSmall->isChecked(), s.scale == 2);
        EXPECT_EQ(v.mnScaleNormal->isChecked(), s.scale == 4);
        EXPECT_EQ(v.mnScaleLarge->isChecked(), s.scale == 8);
    }
    v.SchemList->setCurrentRow(0);
    EXPECT_EQ(v.PaintBox->Surface.pixel(60, 40), qRgb(0, 0, 128));   // scale 4
    // A state cut short right after its header is listed and draws as an empty box.
    v.SchemList->setCurrentRow(1);
    EXPECT_EQ(v.PaintBox->Surface.pixel(60, 40), qRgb(0, 255, 255));
    // A whole file too short to be a schematic of six lines keeps the picture shown before.
    File("Short.sch", CrLf({"SCHEMATIC", "<SHAPE>", "1"}));
    v.SchemList->setCurrentRow(0);
    const QImage before = v.PaintBox->Surface;
    v.LoadBackup(Dir + "/Short.sch");
    // Its block runs past the end, as only a cut write leaves it.
    EXPECT_EQ(Entries(v.SchemList), QStringList{"Backup: 0 (incomplete)"});
    EXPECT_EQ(v.PaintBox->Surface, before);
}

TEST_F(BackupViewTest, EraseAsksThenDeletesTheFile)
{
    const std::string path = File("Sch9.sch", kState0);
    TBackupView v(Dir);
    v.BitBtnEraseFile->show();
    v.BitBtnEraseFile->setEnabled(false);
    ClickFile(v, "Sch9.sch");
    EXPECT_TRUE(v.BitBtnEraseFile->isEnabled());
    Answer = mrNo;
    v.BitBtnEraseFileClick();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "Do you want to permanently delete the file: \"Sch9.sch\"?");
    EXPECT_EQ(v.FileListBox->count(), 1);
    Answer = mrYes;
    v.BitBtnEraseFileClick();
    EXPECT_EQ(v.FileListBox->count(), 0);
    EXPECT_EQ(v.SchemList->count(), 0);
    EXPECT_FALSE(QFile::exists(PathText(path)));
    EXPECT_EQ(v.PaintBox->Surface.pixel(5, 5), qRgb(0, 255, 255));
    // No file is current now: Erase is off, and asks about nothing gone.
    EXPECT_TRUE(v.FileName.isEmpty());
    EXPECT_FALSE(v.BitBtnEraseFile->isEnabled());
    Messages.clear();
    v.BitBtnEraseFileClick();
    EXPECT_TRUE(Messages.empty());
    // Until another file is chosen.
    File("Sch10.sch", kState0);
    v.FileListBox->Update();
    ClickFile(v, "Sch10.sch");
    EXPECT_TRUE(v.BitBtnEraseFile->isEnabled());
}

// A state cut right after a whole block reads as a smaller drawing; the autosave's record
// beside the file marks it, and Erase takes the record with the file.
TEST_F(BackupViewTest, ACutOnlyTheRecordSeesIsMarkedAndErasedWithIt)
{
    TAutoSaveFile autosave;
    autosave.MakeName(PathBytes(Dir));
    ASSERT_TRUE(autosave.Append(TLines::FromText(kState0), PathBytes(Dir)).Ok);
    ASSERT_TRUE(autosave.Append(TLines::FromText(kState2), PathBytes(Dir)).Ok);
    const std::string path = autosave.FileName();
    const std::string whole = testutil::ReadFile(path);
    ASSERT_TRUE(testutil::WriteFile(path, whole.substr(0, whole.rfind("<SHAPE>"))));
    TBackupView v(Dir);
    v.BitBtnEraseFile->show();
    ClickFile(v, QFileInfo(PathText(path)).fileName());
    EXPECT_EQ(Entries(v.SchemList), (QStringList{"Backup: 0", "Backup: 8 (incomplete)"}));
    EXPECT_EQ(v.FileListBox->count(), 1);   // the record is not listed

    v.BitBtnEraseFileClick();
    EXPECT_FALSE(QFile::exists(PathText(path)));
    EXPECT_FALSE(QFile::exists(PathText(StateRecordPath(path))));
}

class BackupFrameTest : public BackupViewTest {
protected:
    void SetUp() override
    {
        BackupViewTest::SetUp();
        Frame = std::make_unique<TMainWin>();
        Frame->FirstActivate = false;
        Frame->AutoSaveFolder = Dir;
        Frame->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        for (QMdiSubWindow* s : Frame->MdiClient->subWindowList())
            static_cast<TChildWin*>(s)->FileName.clear();
        Frame.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        BackupViewTest::TearDown();
    }
    QList<TSchWin*> SchWins() const
    {
        QList<TSchWin*> out;
        for (QMdiSubWindow* s : Frame->MdiClient->subWindowList())
            if (auto* w = qobject_cast<TSchWin*>(s))
                out << w;
        return out;
    }
    std::unique_ptr<TMainWin> Frame;
};

TEST_F(BackupFrameTest, SendToEditorOpensTheChosenState)
{
    File("Sch1.sch", kState0 + kState1 + kState2);
    const int before = SchWins().size();
    // Nothing chosen: the viewer closes and opens nothing.
    testutil::WhenModal([](QWidget* w) {
        auto* v = qobject_cast<TBackupView*>(w);
        ASSERT_NE(v, nullptr);
        EXPECT_TRUE(v->BitBtnEraseFile->isVisibleTo(v));
        EXPECT_FALSE(v->BitBtnEraseFile->isEnabled());
        v->SchemListDblClick();
    });
    Frame->mnViewBackupClick();
    EXPECT_EQ(SchWins().size(), before);

    testutil::WhenModal([](QWidget* w) {
        auto* v = qobject_cast<TBackupView*>(w);
        ASSERT_NE(v, nullptr);
        ClickFile(*v, "Sch1.sch");
        v->SchemList->setCurrentRow(1);
        v->SchemListDblClick();
    });
    Frame->mnViewBackupClick();
    ASSERT_EQ(SchWins().size(), before + 1);
    TSchWin* w = SchWins().back();
    // The second state: one line and the free text that reads like a header.
    EXPECT_EQ(w->Model.ShapeList.size(), 1u);
    ASSERT_EQ(w->Model.TextList.size(), 1u);
    EXPECT_EQ(w->Model.TextList.front().Text, "SCHEMATIC");
    EXPECT_EQ(w->windowTitle(), "Schematic: <Restored from BackUp File>");

    // The file goes away after listing: the new window reports it, and the user closes that
    // window from inside the message; neither the frame nor the viewer touches it afterwards.
    const int open = SchWins().size();
    SetMsgResponder([this](const TMsgRecord& r) {
        Messages.push_back(r);
        if (r.Text.startsWith("Error! Backup file is Invalid!"))
            SchWins().back()->close();
        return mrOk;
    });
    testutil::WhenModal([this](QWidget* w) {
        auto* v = qobject_cast<TBackupView*>(w);
        ASSERT_NE(v, nullptr);
        ClickFile(*v, "Sch1.sch");
        QFile::remove(Dir + "/Sch1.sch");
        v->SchemListDblClick();
    });
    Frame->mnViewBackupClick();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(Messages.empty());
    EXPECT_EQ(Messages.back().Text, "Error! Backup file is Invalid!\r" + Dir + "/Sch1.sch");
    EXPECT_EQ(SchWins().size(), open);
}

TEST_F(BackupFrameTest, SchematicWindowShowsItsOwnFile)
{
    Frame->mnAutoSave->setChecked(true);
    Frame->mnNewClick();
    ASSERT_FALSE(SchWins().isEmpty());
    TSchWin* w = SchWins().back();
    File("Unrelated.sch", kState0);
    const std::string own = PathBytes(w->UndoFileName());
    testutil::WriteFile(own, kState0 + kState2);
    testutil::WhenModal([&](QWidget* d) {
        auto* v = qobject_cast<TBackupView*>(d);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->windowTitle(), "View stored Undo Information for:  " + w->FileName + " (" +
                                        QFileInfo(w->UndoFileName()).fileName() + ")");
        EXPECT_FALSE(v->FileListBox->isVisibleTo(v));
        EXPECT_FALSE(v->BitBtnEraseFile->isVisibleTo(v));
        EXPECT_EQ(Entries(v->SchemList), (QStringList{"Backup: 0", "Backup: 8"}));
        v->reject();
    });
    w->mnViewUndoInfoClick();
    EXPECT_TRUE(Messages.empty());
}

} // namespace

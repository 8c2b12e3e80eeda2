// The schematic window driven through its real handlers, offscreen.
#include "app/Main_.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"
#include "schematic/core/sch_text.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <functional>
#include <QTimer>
#include <QtTest/QTest>

#include <unistd.h>
#include "tests/support/modal.h"

namespace {

using testutil::WhenModal;

void CancelDialog()
{
    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
}

void SaveDialogPicks(const QString& path)
{
    WhenModal([path](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    });
}

// A folder no one can create files in: /proc refuses even the superuser.
QString ReadOnlyFolder(const QTemporaryDir& tmp)
{
    if (::geteuid() == 0)
        return QStringLiteral("/proc");
    const QString ro = tmp.path() + "/ro";
    QDir().mkpath(ro);
    QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return ro;
}

class SchWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        frame = std::make_unique<TMainWin>();
        frame->AutoSaveFolder = tmp.path() + "/auto/";
        QDir().mkpath(frame->AutoSaveFolder);
        frame->SchemFolder = tmp.path() + "/";
        frame->mnAutoSave->setChecked(true);
        SetMsgResponder([this](const TMsgRecord& r) {
            messages.push_back(r.Text);
            return answer;
        });
        win = NewWindow();
    }

    void TearDown() override
    {
        SetMsgResponder({});
        for (TSchWin* c : frame->findChildren<TSchWin*>())
            c->ClearModified();   // no questions while the frame goes
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TSchWin* NewWindow()
    {
        auto* w = new TSchWin();
        frame->ShowChild(w, false);
        return w;
    }

    static void AddLine(TSchWin* w, int32_t x)
    {
        w->StoreUndo();
        w->Model.ShapeList.push_back({1, x, 0, x + 10, 10, 0, 0});
        w->SetModified();
        w->FullRedraw();
    }

    QString Path(const char* name) const { return tmp.path() + "/" + name; }

    QTemporaryDir tmp;
    std::unique_ptr<TMainWin> frame;
    QPointer<TSchWin> win;
    std::vector<QString> messages;
    int answer = mrOk;
};

} // namespace

TEST_F(SchWinTest, CreationAndActivation)
{
    EXPECT_EQ(win->windowTitle(), "Schematic:");
    EXPECT_EQ(win->Panels[1]->text().left(14), " Shape Count: ");
    EXPECT_EQ(win->UndoList.UndoIndex, 1);
    EXPECT_FALSE(win->UndoList.CanUndo());
    EXPECT_GE(frame->FindChildTab(win), 0);
    EXPECT_TRUE(QFileInfo(win->UndoFileName()).fileName().startsWith("Sch"));
    EXPECT_TRUE(win->UndoFileName().startsWith(frame->AutoSaveFolder));

    // A second window made in the same second writes its own autosave file.
    TSchWin* other = NewWindow();
    EXPECT_NE(other->UndoFileName(), win->UndoFileName());

    win->DrawMode = 7;
    frame->SelectTBut->setChecked(false);
    win->FileName = "/x/abc";
    win->FormActivate();
    win->WMMDIActivate();
    EXPECT_EQ(win->DrawMode, 0);
    EXPECT_TRUE(frame->SelectTBut->isChecked());
    EXPECT_EQ(frame->TabChild->tabText(frame->FindChildTab(win)), " NewFile.sch ");
    EXPECT_EQ(frame->TabChild->Tag, 0);

    // Activating through the frame's area runs the same steps.
    frame->show();
    win->FileName = "/x/name.sch";
    win->DrawMode = 5;
    frame->MdiClient->setActiveSubWindow(other);
    frame->MdiClient->setActiveSubWindow(win);
    EXPECT_EQ(win->DrawMode, 0);
    EXPECT_EQ(frame->TabChild->tabText(frame->FindChildTab(win)), " name.sch ");
    EXPECT_EQ(frame->TabChild->currentIndex(), frame->FindChildTab(win));
}

TEST_F(SchWinTest, WheelMovesWholeNotchesWithinTheRange)
{
    win->VScrollBar->setValue(2);
    win->WMMouseWheel(120);
    EXPECT_EQ(win->VScrollBar->value(), 0);
    EXPECT_EQ(win->OffsetY, 0);
    for (int i = 0; i < 5; ++i)
        win->WMMouseWheel(-20);   // a touchpad: 100 of 120, no step yet
    EXPECT_EQ(win->VScrollBar->value(), 0);
    win->WMMouseWheel(-20);
    EXPECT_EQ(win->VScrollBar->value(), 5);
    EXPECT_EQ(win->OffsetY, 5);
    win->VScrollBar->setValue(998);
    win->WMMouseWheel(-120);
    EXPECT_EQ(win->VScrollBar->value(), 1000);

    // One message is one step, whatever the size of its delta.
    struct Case {
        int start;
        std::vector<int> deltas;
        int end;
    };
    const Case cases[] = {
        {500, {120}, 495},      {500, {240}, 495},         {500, {-360}, 505},
        {500, {240, 60}, 495},  {500, {-240, -120}, 510},  {500, {60, 60}, 495},
    };
    for (const Case& c : cases) {
        TSchWin* w = NewWindow();
        w->VScrollBar->setValue(c.start);
        for (int d : c.deltas)
            w->WMMouseWheel(d);
        EXPECT_EQ(w->VScrollBar->value(), c.end) << c.deltas.front() << " x" << c.deltas.size();
    }
}

TEST_F(SchWinTest, EditAndModifyMenusFollowTheDrawing)
{
    auto enabled = [](std::initializer_list<QAction*> items) {
        std::string s;
        for (QAction* a : items)
            s += a->isEnabled() ? '1' : '0';
        return s;
    };
    QGuiApplication::clipboard()->clear();
    win->mnEditClick();
    win->mnModCircuitClick();
    EXPECT_EQ(enabled({win->mnUndo, win->mnCopyText, win->mnPasteText, win->mnDelete, win->mnSelAll, win->mnRedraw}),
              "000001");
    EXPECT_EQ(enabled({win->mnFlip, win->mnAlterPenSze, win->mnCorrFonts, win->mnZOrder, win->mnPanTopMost}), "00000");

    // Texts only, one clicked: font size, text properties and pan.
    win->Model.TextList.push_back({"a", 0, 0, 16, 1});
    win->HitText = &win->Model.TextList.back();
    win->mnModCircuitClick();
    EXPECT_EQ(enabled({win->mnFlip, win->mnMirror, win->mnRotateClock, win->mnRotateAnti, win->mnAlterPenSze,
                       win->mnAlterPenType, win->mnAlterArrow, win->mnCorrFonts, win->mnAlterText, win->mnToggleFill,
                       win->mnZOrder, win->mnPanTopMost}),
              "000000011001");
    // A selected, clicked line with arrows.
    win->HitText = nullptr;
    win->Model.TextList.front().Selected = 0;
    win->Model.ShapeList.push_back({11, 0, 0, 9, 9, 0x101, 1});
    win->HitShape = &win->Model.ShapeList.back();
    win->mnModCircuitClick();
    EXPECT_EQ(enabled({win->mnFlip, win->mnAlterPenSze, win->mnAlterArrow, win->mnCorrFonts, win->mnAlterText,
                       win->mnToggleFill, win->mnZOrder}),
              "0110011");
    QGuiApplication::clipboard()->setText("x");
    win->mnEditClick();
    EXPECT_EQ(enabled({win->mnCopyText, win->mnPasteText, win->mnDelete, win->mnDupShape, win->mnSelAll}), "11111");
}

TEST_F(SchWinTest, TwelveEditsAndUndos)
{
    AddLine(win, 0);   // stores nothing: the drawing was empty
    for (int i = 1; i <= 12; ++i)
        AddLine(win, i * 20);
    ASSERT_EQ(win->Model.ShapeList.size(), 13u);
    EXPECT_TRUE(frame->UndoTBut->isEnabled());
    for (int i = 1; i <= 10; ++i) {
        win->mnEditClick();
        ASSERT_TRUE(win->mnUndo->isEnabled()) << i;
        win->mnUndoClick();
        EXPECT_EQ(win->Model.ShapeList.size(), 13u - i);
    }
    EXPECT_FALSE(win->mnUndo->isEnabled());
    EXPECT_FALSE(frame->UndoTBut->isEnabled());
    EXPECT_EQ(win->ModifiedPanel(), " Modified");   // undo leaves the mark alone
    // Every stored state went to the autosave file, one header each.
    const TLines file = TLines::FromText(testutil::ReadFile(win->UndoFileName().toStdString()));
    EXPECT_EQ(SnapshotStarts(file).size(), 12u);
}

TEST_F(SchWinTest, DeleteAndZOrderStoreAStateAndMark)
{
    win->Model.ShapeList.push_back({1, 0, 0, 5, 5, 0, 1});
    win->Model.ShapeList.push_back({2, 0, 0, 5, 5, 0, 1});
    TCompRec c;
    c.Selected = 1;
    c.Texts.push_back({"R1", 0, 0, 16, 0});
    win->Model.CompList.push_back(c);
    win->HitShape = &win->Model.ShapeList.back();
    win->mnZOrderClick();
    EXPECT_EQ(win->Model.ShapeList.front().Kind, 2);
    EXPECT_EQ(win->Model.ShapeList.front().Selected, 0);
    EXPECT_EQ(win->HitShape, nullptr);
    EXPECT_EQ(win->UndoList.UndoIndex, 2);
    EXPECT_EQ(win->ModifiedPanel(), " Modified");

    win->HitComp = &win->Model.CompList.front();
    win->mnDeleteClick();
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_TRUE(win->Model.CompList.empty());
    EXPECT_EQ(win->HitComp, nullptr);
    EXPECT_EQ(win->UndoList.UndoIndex, 3);
}

// Three snapshots, the last holding a free text that reads "SCHEMATIC".
TEST_F(SchWinTest, AutosaveFileOpenedThreeWays)
{
    const std::string text = testutil::CrLf({
        "SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0",                                      // line 0
        "SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0", "<SHAPE>", "2", "5", "5", "20", "20", "0",  // line 8
        "SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0", "<SHAPE>", "2", "5", "5", "20", "20", "0",  // line 23
        "<TEXT>", "SCHEMATIC", "16", "100", "200"});
    const QString file = Path("Sch20260101000000.sch");
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(), text));

    win->OpenSchem(file);
    EXPECT_EQ(win->FileName, file);
    EXPECT_EQ(win->windowTitle(), "Schematic: " + file);
    EXPECT_EQ(win->Model.ShapeList.size(), 2u);
    ASSERT_EQ(win->Model.TextList.size(), 1u);
    EXPECT_EQ(win->Model.TextList.front().Text, "SCHEMATIC");
    EXPECT_EQ(win->UndoList.Newest().Count(), 0u);
    EXPECT_EQ(win->ModifiedPanel(), "");

    TSchWin* backup = NewWindow();
    backup->OpenBackUp(file, 8);
    EXPECT_EQ(backup->Model.ShapeList.size(), 2u);
    EXPECT_TRUE(backup->Model.TextList.empty());
    EXPECT_EQ(backup->FileName, "");
    EXPECT_EQ(backup->ModifiedPanel(), " Modified");
    EXPECT_EQ(backup->windowTitle(), "Schematic: <Restored from BackUp File>");
    backup->mnEditClick();
    EXPECT_TRUE(backup->mnUndo->isEnabled());
    backup->mnUndoClick();   // the slot held the whole file: back to its first snapshot
    ASSERT_EQ(backup->Model.ShapeList.size(), 1u);
    EXPECT_EQ(backup->Model.ShapeList.front().Kind, 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SchWinTest, OpenFailuresCloseOrKeepTheWindow)
{
    const QString bad = Path("bad.sch");
    ASSERT_TRUE(testutil::WriteFile(bad.toStdString(), testutil::CrLf({"hello"})));
    win->OpenSchem(bad);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error in Saved File!\r" + bad + "\r\rThis is NOT a Schematic File!");
    EXPECT_TRUE(win->Closed());
    EXPECT_FALSE(win.isNull());   // destroyed only once the callers have returned
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(win.isNull());

    TSchWin* w = NewWindow();
    w->OpenBackUp(Path("missing.sch"), 0);
    EXPECT_EQ(messages.back(), "Error! Backup file is Invalid!\r" + Path("missing.sch"));
    EXPECT_FALSE(w->Closed());
}

TEST_F(SchWinTest, CloseQuestion)
{
    const QString file = Path("c.sch");
    struct Case {
        int answer;
        bool closes;
        bool written;
    };
    for (const Case c : {Case{mrYes, true, true}, Case{mrNo, true, false}, Case{mrCancel, false, false}}) {
        QFile::remove(file);
        TSchWin* w = NewWindow();
        AddLine(w, 0);
        w->FileName = file;
        answer = c.answer;
        messages.clear();
        EXPECT_EQ(w->close(), c.closes) << c.answer;
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], "Schematic:\rCircuit has changed.\rDo you wish to save changes?");
        EXPECT_EQ(QFileInfo::exists(file), c.written);
        if (!c.closes) {
            EXPECT_EQ(w->Model.ShapeList.size(), 1u);
        }
    }

    // Without the mark nothing is asked.
    messages.clear();
    TSchWin* clean = NewWindow();
    EXPECT_TRUE(clean->close());
    EXPECT_TRUE(messages.empty());

    // Yes in an unnamed window, then the save dialog cancelled: the window and its work stay.
    TSchWin* unnamed = NewWindow();
    AddLine(unnamed, 0);
    answer = mrYes;
    CancelDialog();
    EXPECT_FALSE(unnamed->close());
    EXPECT_FALSE(unnamed->Closed());
    EXPECT_EQ(unnamed->Model.ShapeList.size(), 1u);
    EXPECT_EQ(unnamed->ModifiedPanel(), " Modified");
    // The same answer stops the frame's shutdown.
    CancelDialog();
    EXPECT_FALSE(frame->FormCloseQuery());
    EXPECT_EQ(unnamed->Model.ShapeList.size(), 1u);

    // Everything deleted: Yes finds nothing to save, says so, and the window closes.
    TSchWin* emptied = NewWindow();
    AddLine(emptied, 0);
    emptied->Model.ShapeList.front().Selected = 1;
    emptied->mnDeleteClick();
    messages.clear();
    EXPECT_TRUE(emptied->close());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "There are NO components in Circuit, nothing to Save!");
}

TEST_F(SchWinTest, SaveWritesTheStoredStateAndReopens)
{
    AddLine(win, 0);
    win->Model.TextList.push_back({"caf\xE9 \x81", 10, 20, 16, 0});
    const QString file = Path("s.sch");
    SaveDialogPicks(file.left(file.size() - 4));   // the default suffix is added
    ASSERT_TRUE(win->SaveSchemAs());
    EXPECT_EQ(win->FileName, file);
    EXPECT_EQ(win->ModifiedPanel(), "");
    EXPECT_EQ(win->windowTitle(), "Schematic: " + file);
    EXPECT_EQ(frame->TabChild->tabText(frame->FindChildTab(win)), " s.sch ");
    EXPECT_EQ(testutil::ReadFile(file.toStdString()), win->UndoList.Newest().Text());
    // Saving twice uses two slots and two autosave appends.
    const int index = win->UndoList.UndoIndex;
    ASSERT_TRUE(win->SaveSchem());
    EXPECT_EQ(win->UndoList.UndoIndex, index + 1);
    const TLines autosaved = TLines::FromText(testutil::ReadFile(win->UndoFileName().toStdString()));
    EXPECT_EQ(SnapshotStarts(autosaved).size(), 2u);

    TSchWin* again = NewWindow();
    again->OpenSchem(file);
    EXPECT_EQ(again->Model, win->Model);
}

TEST_F(SchWinTest, FailedSaveKeepsTheWorkAndTheName)
{
    const QString ro = ReadOnlyFolder(tmp);
    AddLine(win, 0);
    win->FileName = ro + "/x.sch";
    EXPECT_FALSE(win->SaveSchem());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Error! The file could not be saved:\r" + ro + "/x.sch"));
    EXPECT_EQ(win->ModifiedPanel(), " Modified");
    EXPECT_EQ(win->windowTitle(), "Schematic:");

    // Save As into the same folder rolls the name back.
    const QString good = Path("good.sch");
    ASSERT_TRUE(testutil::WriteFile(good.toStdString(), "old\r\n"));
    win->FileName = good;
    SaveDialogPicks(ro + "/y.sch");
    EXPECT_FALSE(win->SaveSchemAs());
    EXPECT_EQ(win->FileName, good);
    EXPECT_EQ(testutil::ReadFile(good.toStdString()), "old\r\n");
    EXPECT_EQ(win->ModifiedPanel(), " Modified");

    // Nothing to save.
    messages.clear();
    TSchWin* empty = NewWindow();
    EXPECT_FALSE(empty->SaveSchem());
    EXPECT_EQ(messages.at(0), "There are NO components in Circuit, nothing to Save!");
}

TEST_F(SchWinTest, AutosaveFailureNeverStopsTheEdit)
{
    frame->AutoSaveFolder = ReadOnlyFolder(tmp);
    TSchWin* w = NewWindow();
    AddLine(w, 0);
    AddLine(w, 10);
    EXPECT_EQ(w->Model.ShapeList.size(), 2u);
    EXPECT_EQ(w->UndoList.UndoIndex, 2);
    EXPECT_FALSE(w->Panels[2]->text().isEmpty());
    w->FileName = Path("a.sch");
    EXPECT_TRUE(w->SaveSchem());
    EXPECT_TRUE(QFileInfo::exists(w->FileName));

    // With autosave off no file is touched.
    frame->AutoSaveFolder = tmp.path() + "/auto/";
    frame->mnAutoSave->setChecked(false);
    TSchWin* off = NewWindow();
    AddLine(off, 0);
    AddLine(off, 10);
    EXPECT_FALSE(QFileInfo::exists(off->UndoFileName()));
}

TEST_F(SchWinTest, CopyAndPasteText)
{
    // Copy with nothing selected leaves the clipboard alone.
    QGuiApplication::clipboard()->setText("keep");
    win->Model.ShapeList.push_back({1, 0, 0, 5, 5, 0, 0});
    win->mnCopyTextClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "keep");

    // A selected line, circle and text, with a Windows-1252 byte and an undefined one.
    win->Model.ShapeList.front().Selected = 1;
    win->Model.ShapeList.push_back({4, 20, 20, 8, 8, 1, 1});
    win->Model.TextList.push_back({"\x80\x81", 100, 100, 16, 1});
    win->mnCopyTextClick();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QChar(0x20AC)));

    for (int scale : {2, 4, 8}) {
        TSchWin* w = NewWindow();
        w->mnScaleClick(scale);
        w->Model.ShapeList.push_back({1, 500, 500, 600, 600, 0, 1});   // existing, selected
        w->StoreUndo();
        w->mnPasteTextClick();
        ASSERT_EQ(w->Model.ShapeList.size(), 3u) << scale;
        auto s = w->Model.ShapeList.begin();
        EXPECT_EQ(*s, (TShapeRec{4, 20 + scale, 20 + scale, 8, 8, 1, 1})) << scale;
        ++s;
        EXPECT_EQ(*s, (TShapeRec{1, scale, scale, 5 + scale, 5 + scale, 0, 1})) << scale;
        ++s;
        EXPECT_EQ(s->Selected, 0);   // the paste is the only selection
        ASSERT_EQ(w->Model.TextList.size(), 1u);
        EXPECT_EQ(w->Model.TextList.front(), (TTextRec{"\x80\x81", 100 + 10 * scale, 100 + 10 * scale, 16, 1}));
        EXPECT_EQ(w->ModifiedPanel(), " Modified");
        // Undo takes back the paste only.
        w->mnUndoClick();
        ASSERT_EQ(w->Model.ShapeList.size(), 1u);
        EXPECT_EQ(w->Model.ShapeList.front().X1, 500);
        EXPECT_TRUE(w->Model.TextList.empty());
    }

    messages.clear();
    QGuiApplication::clipboard()->setText("hello");
    win->mnPasteTextClick();
    EXPECT_EQ(messages.at(0), "NOTE: Clipboard did NOT have a Schematic!");
    QGuiApplication::clipboard()->setText("SCHEMATIC\r\nx\r\n");
    win->mnPasteTextClick();
    EXPECT_EQ(messages.at(1), "NOTE: Clipboard did NOT contain any shapes!");
}

TEST_F(SchWinTest, LoadComp)
{
    const QString good = Path("R.cmp");
    ASSERT_TRUE(testutil::WriteFile(good.toStdString(),
                                    testutil::CrLf({"COMPONENT", "<SHAPE>", "2", "-4", "-4", "4", "4", "0"})));
    win->LoadComp(good);
    ASSERT_TRUE(win->PlaceComp);
    EXPECT_EQ(win->PlaceComp->Shapes.size(), 1u);

    const QString bad = Path("B.cmp");
    ASSERT_TRUE(testutil::WriteFile(bad.toStdString(), testutil::CrLf({"COMPONENT", "<TEXT>", "Q", "16", "1"})));
    win->LoadComp(bad);
    EXPECT_FALSE(win->PlaceComp);
    EXPECT_EQ(messages.at(0), "File: " + bad + "\rHas Errors!");
    win->LoadComp(Path("none.cmp"));
    EXPECT_EQ(messages.at(1), "Component: " + Path("none.cmp") + "\rNOT FOUND!");
}

namespace {
// A window whose double-click actions are observed: the line-width command deletes the
// drawing from inside its "dialog", the rotation closes the window.
class ProbeWin : public TSchWin {
public:
    int penCalls = 0, rotateCalls = 0;
    bool closeOnRotate = false;
    void mnAlterPenSzeClick() override
    {
        ++penCalls;
        Model.EraseMem();
    }
    void DoRotate(int) override
    {
        ++rotateCalls;
        if (closeOnRotate)
            CloseWindow();
    }
};
} // namespace

TEST_F(SchWinTest, DoubleClickRechecksAfterEachNestedLoop)
{
    auto* w = new ProbeWin();
    frame->ShowChild(w, false);
    QPointer<ProbeWin> guard(w);
    w->Model.ShapeList.push_back({1, 0, 0, 5, 5, 0, 1});
    w->Model.CompList.push_back(TCompRec{});
    w->Model.TextList.push_back({"t", 0, 0, 16, 1});
    w->HitShape = &w->Model.ShapeList.front();
    w->HitComp = &w->Model.CompList.front();
    w->HitText = &w->Model.TextList.front();
    int texts = 0;
    w->OnAlterText = [&](PTextRec) { ++texts; };
    w->FormDblClick();
    // The pen command freed every record: the stale component and text pointers are not used.
    EXPECT_EQ(w->penCalls, 1);
    EXPECT_EQ(w->rotateCalls, 0);
    EXPECT_EQ(texts, 0);
    EXPECT_EQ(w->HitComp, nullptr);
    EXPECT_EQ(w->MouseState, 100);

    w->Model.CompList.push_back(TCompRec{});
    w->Model.TextList.push_back({"t", 0, 0, 16, 1});
    w->HitComp = &w->Model.CompList.front();
    w->HitText = &w->Model.TextList.front();
    w->closeOnRotate = true;
    w->FormDblClick();
    EXPECT_EQ(w->rotateCalls, 1);
    EXPECT_EQ(texts, 0);   // the window closed itself: nothing more runs
    EXPECT_FALSE(guard.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(SchWinTest, ViewMenu)
{
    win->AltScale(1);
    win->AltScale(1);
    EXPECT_EQ(win->Scale, 8);
    EXPECT_EQ(win->HalfScale, 4);
    EXPECT_TRUE(win->mnLarge->isChecked());
    win->AltScale(0);
    EXPECT_TRUE(win->mnNormal->isChecked());
    win->mnScaleClick(2);
    win->AltScale(0);
    EXPECT_EQ(win->Scale, 2);
    EXPECT_TRUE(win->mnSmall->isChecked());

    // No autosave file yet: the command says so.
    win->mnViewClick();
    EXPECT_FALSE(win->mnViewUndoInfo->isEnabled());
    win->mnViewUndoInfoClick();
    EXPECT_EQ(messages.at(0), "No Backup Information for current Schematic!");
    EXPECT_EQ(win->Panels[2]->text(), " < No Backup Information >");
    AddLine(win, 0);
    AddLine(win, 10);
    win->mnViewClick();
    EXPECT_TRUE(win->mnViewUndoInfo->isEnabled());
    EXPECT_TRUE(win->mnCheckNodes->isEnabled());
}

// The frame's open command with real windows: a file that fails to load leaves no window
// and no tab behind.
TEST_F(SchWinTest, FrameOpensFilesInSchematicWindows)
{
    frame->SchWinFactory = [] { return new TSchWin(); };
    frame->show();
    const QString good = Path("g.sch");
    ASSERT_TRUE(testutil::WriteFile(good.toStdString(),
                                    testutil::CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "10", "0"})));
    frame->OpenFile(good);
    auto* opened = qobject_cast<TSchWin*>(frame->MdiClient->subWindowList().constLast());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->FileName, good);
    EXPECT_EQ(opened->Model.ShapeList.size(), 1u);
    EXPECT_EQ(frame->TabChild->tabText(frame->FindChildTab(opened)), " g.sch ");

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);   // the untouched window gave way
    EXPECT_TRUE(win.isNull());
    const int tabs = frame->TabChild->count();
    const QString bad = Path("b.sch");
    ASSERT_TRUE(testutil::WriteFile(bad.toStdString(), "nothing\r\n"));
    frame->OpenFile(bad);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->TabChild->count(), tabs);
    for (QMdiSubWindow* s : frame->MdiClient->subWindowList())
        EXPECT_NE(static_cast<TChildWin*>(s)->FileName, bad);
    EXPECT_EQ(messages.back(), "Error in Saved File!\r" + bad + "\r\rThis is NOT a Schematic File!");
}

// Shortcuts act on the drawing as it is now, as if the menu had just been opened.
TEST_F(SchWinTest, ShortcutsRunTheMenuRulesFirst)
{
    frame->show();
    frame->activateWindow();
    frame->MdiClient->setActiveSubWindow(win);
    win->KeyInEdit->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != win->KeyInEdit)
        GTEST_SKIP() << "no keyboard focus on this platform";
    AddLine(win, 0);
    AddLine(win, 10);
    QTest::keyClick(win->KeyInEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    QTest::keyClick(win->KeyInEdit, Qt::Key_Z, Qt::ControlModifier);   // nothing left to undo
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(win->UndoList.UndoIndex, 1);
}

TEST_F(SchWinTest, CloseTakesTheWindowOutOfTheAreaOnce)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler old = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        warnings << m;
    });
    frame->show();
    frame->mnNewClick();
    QPointer<TChildWin> fresh;
    for (TChildWin* c : frame->Children())
        if (c != win.data())
            fresh = c;
    ASSERT_TRUE(fresh);
    fresh->close();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qInstallMessageHandler(old);
    EXPECT_TRUE(fresh.isNull());
    EXPECT_TRUE(warnings.filter("removeSubWindow").isEmpty()) << warnings.join('\n').toStdString();
}

TEST_F(SchWinTest, OpenAndSaveDialogs)
{
    // No schematic folder on disk: Open and Save As start in the same place.
    frame->SchemFolder = tmp.path() + "/gone/";
    QString openDir, saveDir, nameAtSecondOpen = "unset";
    bool popupAtSecondOpen = true;
    QStringList shown;
    QStringList allFilesMatch;
    WhenModal([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        openDir = d->directory().absolutePath();
        auto* combo = d->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(combo, nullptr);
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        if (auto* model = d->findChild<QFileSystemModel*>())
            allFilesMatch = model->nameFilters();
        if (auto* edit = d->findChild<QLineEdit*>("fileNameEdit")) {
            edit->setText(tmp.path() + "/test1.sch");
            if (edit->completer())
                edit->completer()->complete();   // its list open when the dialog goes
        }
        d->reject();
    });
    frame->mnOpenClick();
    EXPECT_EQ(shown, (QStringList{"Schematic File (*.sch)", "All files (*.*)"}));
    // "All files" matches names without a dot too.
    EXPECT_EQ(allFilesMatch, QStringList{"*"});
    WhenModal([&](QWidget* w) {
        if (auto* edit = w->findChild<QLineEdit*>("fileNameEdit")) {
            nameAtSecondOpen = edit->text();
            popupAtSecondOpen = edit->completer() && edit->completer()->popup()->isVisible();
        }
        static_cast<QDialog*>(w)->reject();
    });
    frame->mnOpenClick();
    EXPECT_TRUE(nameAtSecondOpen.isEmpty()) << nameAtSecondOpen.toStdString();
    EXPECT_FALSE(popupAtSecondOpen);

    AddLine(win, 0);
    WhenModal([&](QWidget* w) {
        saveDir = static_cast<QFileDialog*>(w)->directory().absolutePath();
        static_cast<QDialog*>(w)->reject();
    });
    EXPECT_FALSE(win->SaveSchemAs());
    EXPECT_EQ(saveDir, openDir);
    EXPECT_FALSE(openDir.endsWith("gone"));
}

TEST_F(SchWinTest, SaveAndTheCloseQuestionLeaveNoHandleBoxes)
{
    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"save", [this] {
             win->FileName = Path("boxes.sch");
             ASSERT_TRUE(win->SaveSchem());
         }},
        {"close question cancelled", [this] {
             answer = mrCancel;
             EXPECT_FALSE(win->close());
             answer = mrOk;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win->Model.EraseMem();
        AddLine(win, 0);
        win->Model.ShapeList.front().Selected = 1;
        win->HitShape = &win->Model.ShapeList.front();
        win->FullRedraw();
        ASSERT_FALSE(win->ReszeBox1->isHidden());
        ASSERT_FALSE(win->MoveBox->isHidden());
        c.run();
        ASSERT_TRUE(win);
        EXPECT_EQ(win->HitShape, nullptr);
        EXPECT_TRUE(win->ReszeBox1->isHidden());
        EXPECT_TRUE(win->ReszeBox2->isHidden());
        EXPECT_TRUE(win->MoveBox->isHidden());
    }
}

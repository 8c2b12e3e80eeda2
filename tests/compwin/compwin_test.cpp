// The component window on a frame: undo, files, the close question, the frame's commands.
#include "app/Main_.h"
#include "components/CompMouse.h"
#include "components/CompFiles.h"
#include "components/Comp_.h"
#include "components/SelComp_.h"
#include "schematic/Schem_.h"
#include "components/core/comp_text.h"
#include "platform/msgbox.h"
#include "tests/support/modal.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScrollBar>
#include <QToolButton>
#include <climits>
#include <functional>
#include <memory>
#include "windows/TypeArrowDlg_.h"
#include "windows/TypeLineDlg_.h"
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QTimer>
#include <QtTest/QTest>
#include "tests/support/test_util.h"


using testutil::WhenModal;
using testutil::WhenModalIs;

namespace {

void SaveDialogPicks(const QString& path)
{
    WhenModal([path](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    });
}

void CancelDialog()
{
    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
}

// A path no file can be written to: a folder stands there.
QString Unwritable(const QTemporaryDir& tmp, const QString& name)
{
    QDir().mkpath(tmp.path() + "/" + name);
    return tmp.path() + "/" + name;
}

class CompWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        frame = std::make_unique<TMainWin>();
        SetMsgResponder([this](const TMsgRecord& r) {
            messages.push_back(r.Text);
            return answer;
        });
        win = NewWin();
    }
    void TearDown() override
    {
        SetMsgResponder({});
        for (TChildWin* c : frame->Children())
            if (auto* w = dynamic_cast<TCompWin*>(c))
                w->ClearModified();
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TCompWin* NewWin()
    {
        auto* w = new TCompWin();
        frame->ShowChild(w, false);
        return w;
    }
    void Mouse(QEvent::Type type, Qt::MouseButton b, int x, int y)
    {
        const QPointF p(x, y);
        QMouseEvent e(type, p, win->MainPaintBox->mapToGlobal(p), b, type == QEvent::MouseButtonRelease ? Qt::NoButton : b,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(win->MainPaintBox, &e);
    }
    void DrawLine(int x1, int y1, int x2, int y2)
    {
        win->DrawMode = 1;
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, x1, y1);
        Mouse(QEvent::MouseMove, Qt::NoButton, x2, y2);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, x2, y2);
    }
    QString TabText(QWidget* w) const { return frame->TabChild->tabText(frame->FindChildTab(w)); }

    QTemporaryDir tmp;
    std::unique_ptr<TMainWin> frame;
    QPointer<TCompWin> win;
    std::vector<QString> messages;
    int answer = mrOk;
};

} // namespace

TEST_F(CompWinTest, UndoIsOneLevelAndTheUndoButtonFollowsIt)
{
    DrawLine(200, 200, 240, 200);
    // The component was empty when the state would have been stored.
    ASSERT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_FALSE(frame->UndoTBut->isEnabled());
    win->mnUndoClick();
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);

    DrawLine(200, 200, 200, 240);
    EXPECT_EQ(win->ModifiedPanel(), " Modified");
    EXPECT_TRUE(frame->UndoTBut->isEnabled());
    win->HitShape = &win->Model.ShapeList.back();
    win->mnUndoClick();
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    EXPECT_EQ(win->HitShape, nullptr);
    EXPECT_FALSE(frame->UndoTBut->isEnabled());
    win->mnEditClick();
    EXPECT_FALSE(win->mnUndo->isEnabled());
    win->mnUndoClick();
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);

    // Activation shows each window's own undo.
    DrawLine(200, 200, 200, 160);
    TCompWin* other = NewWin();
    EXPECT_FALSE(frame->UndoTBut->isEnabled());
    frame->MdiClient->setActiveSubWindow(win);
    EXPECT_TRUE(frame->UndoTBut->isEnabled());
    frame->MdiClient->setActiveSubWindow(other);
    EXPECT_FALSE(frame->UndoTBut->isEnabled());
}

TEST_F(CompWinTest, SaveAsUpperCasesTheNameAndReopens)
{
    frame->MdiClient->setActiveSubWindow(win);
    EXPECT_EQ(TabText(win), " NewComp.cmp ");
    DrawLine(200, 200, 240, 220);
    win->Model.TextList.push_back(TCompTextRec{"R1", 0x30, -100, 40, 0});
    SaveDialogPicks(tmp.path() + "/resistor2");
    ASSERT_TRUE(win->SaveCompAs());
    const QString path = tmp.path() + "/RESISTOR2.CMP";
    EXPECT_EQ(win->FileName, path);
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_EQ(TabText(win), " RESISTOR2.CMP ");
    EXPECT_EQ(win->windowTitle(), "Component: " + path);
    EXPECT_EQ(win->ModifiedPanel(), "");

    // Save, then Undo: the drawing stays as saved.
    const TCompModel saved = win->Model;
    win->mnUndoClick();
    EXPECT_EQ(win->Model, saved);

    frame->OpenCompWin(path);
    auto* again = dynamic_cast<TCompWin*>(frame->ActiveChild());
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, win.data());
    EXPECT_EQ(again->Model, saved);
    EXPECT_EQ(TabText(again), " RESISTOR2.CMP ");
    EXPECT_TRUE(messages.empty());
}

TEST_F(CompWinTest, FailedSaveAsKeepsTheOldNameAndTheWork)
{
    DrawLine(200, 200, 240, 220);
    win->FileName = tmp.path() + "/OLD.CMP";
    Unwritable(tmp, "NEW.CMP");
    SaveDialogPicks(tmp.path() + "/new.cmp");
    EXPECT_FALSE(win->SaveCompAs());
    EXPECT_EQ(win->FileName, tmp.path() + "/OLD.CMP");
    EXPECT_EQ(win->ModifiedPanel(), " Modified");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Error! The file could not be saved:"));
}

TEST_F(CompWinTest, CloseQuestionYesKeepsTheWindowWhenNothingWasWritten)
{
    DrawLine(200, 200, 240, 220);
    answer = mrYes;
    CancelDialog();
    EXPECT_FALSE(win->close());
    ASSERT_TRUE(win);
    EXPECT_EQ(win->Model.ShapeList.size(), 1u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Component:  has changed!\rDo you wish to save?");

    // A write that fails keeps it as well.
    win->FileName = Unwritable(tmp, "X.CMP");
    EXPECT_FALSE(win->close());
    ASSERT_TRUE(win);
    EXPECT_EQ(win->ModifiedPanel(), " Modified");

    answer = mrCancel;
    EXPECT_FALSE(win->close());
    answer = mrNo;
    EXPECT_TRUE(win->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(win);
}

TEST_F(CompWinTest, FaultyFileLeavesAnEmptyUnnamedWindowAndNoStaleLinks)
{
    const QString path = tmp.path() + "/BAD.CMP";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("component\r\n");
    f.close();
    DrawLine(200, 200, 240, 220);
    win->HitShape = &win->Model.ShapeList.front();
    win->FileName = path;
    win->OpenComp();
    EXPECT_TRUE(win->Model.Empty());
    EXPECT_EQ(win->HitShape, nullptr);
    EXPECT_TRUE(win->FileName.isEmpty());
    EXPECT_EQ(win->ModifiedPanel(), "");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "File is incorrect format!\rIncorrect header");
    // A redraw after the failed open draws nothing stale.
    win->Redraw();
    EXPECT_EQ(win->Panels[1]->text(), " Shape Count:  0");
}

TEST_F(CompWinTest, NewComponentCommandOpensAnUnnamedWindow)
{
    frame->mnCreateCompClick();
    auto* w = dynamic_cast<TCompWin*>(frame->ActiveChild());
    ASSERT_NE(w, nullptr);
    EXPECT_NE(w, win.data());
    EXPECT_EQ(w->windowTitle(), "Component: NewComp.cmp");
    EXPECT_TRUE(w->FileName.isEmpty());
    EXPECT_EQ(TabText(w), " NewComp.cmp ");
    EXPECT_EQ(w->DrawMode, 0);
    EXPECT_TRUE(frame->SelectTBut->isChecked());
    // The frame's menus carry the window's two.
    QStringList titles;
    for (QAction* a : frame->menuBar()->actions())
        titles << a->text();
    EXPECT_TRUE(titles.contains("&Edit"));
    EXPECT_TRUE(titles.contains("&Modify"));
}

TEST_F(CompWinTest, EditComponentCommandOpensTheChosenFile)
{
    const QString path = tmp.path() + "/DIODE.CMP";
    TLines lines;
    TCompModel m;
    m.ShapeList.push_back(TShapeRec{1, -8, 0, 8, 0, 0, 0});
    ASSERT_TRUE(WriteComp(m, lines));
    QString why;
    ASSERT_TRUE(WriteCompLines(path, lines, why));
    WhenModal([path](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    });
    frame->mnEditCompClick();
    auto* w = dynamic_cast<TCompWin*>(frame->ActiveChild());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->FileName, path);
    EXPECT_EQ(w->Model, m);
    EXPECT_EQ(w->windowTitle(), "Component: " + path);
    EXPECT_EQ(TabText(w), " DIODE.CMP ");
}

TEST_F(CompWinTest, PickerEditOpensAComponentWindowAndASavedComponentPlaces)
{
    // Drawn and saved here, then chosen for editing in the picker, then placed.
    DrawLine(200, 200, 240, 220);
    win->DrawMode = 9;
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 180, 180);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, 180, 180);
    SaveDialogPicks(tmp.path() + "/part.cmp");
    ASSERT_TRUE(win->SaveComp());
    const TCompModel saved = win->Model;

    WhenModal([this](QWidget* w) {
        auto* p = qobject_cast<TSelCompWin*>(w);
        ASSERT_NE(p, nullptr);
        p->ChooseFolder = [this] { return tmp.path(); };
        p->AltPathSpButClick();
        p->CompNmeEdit->setText("PART");
        ASSERT_TRUE(p->EditCompBBut->isEnabled());
        p->EditCompBBut->click();
    });
    frame->mnGetComponentClick();
    auto* edit = dynamic_cast<TCompWin*>(frame->ActiveChild());
    ASSERT_NE(edit, nullptr);
    EXPECT_NE(edit, win.data());
    EXPECT_EQ(edit->Model, saved);
    EXPECT_FALSE(edit->isMaximized());

    auto* sch = new TSchWin();
    frame->ShowChild(sch, false);
    sch->LoadComp(tmp.path() + "/PART.CMP");
    ASSERT_TRUE(sch->PlaceComp);
    const std::vector<TShapeRec> placed(sch->PlaceComp->Shapes.begin(), sch->PlaceComp->Shapes.end());
    const std::vector<TShapeRec> want(saved.ShapeList.begin(), saved.ShapeList.end());
    EXPECT_EQ(placed, want);
    EXPECT_TRUE(messages.empty());
    sch->ClearModified();
}

TEST_F(CompWinTest, FlipOfATextThenUndoBringsItBack)
{
    win->Model.TextList.push_back(TCompTextRec{"T", 48, 30, 40, 1});
    win->DoRotate(1);
    EXPECT_EQ(win->Model.TextList.front().X, -30);
    EXPECT_EQ(win->ModifiedPanel(), " Modified");
    win->mnUndoClick();
    ASSERT_EQ(win->Model.TextList.size(), 1u);
    EXPECT_EQ(win->Model.TextList.front().X, 30);
    EXPECT_EQ(win->Model.TextList.front().Selected, 0);
}

TEST_F(CompWinTest, PasteStoresOneUndoStateSoUndoTakesBackOnlyThePaste)
{
    win->Model.ShapeList.push_back(TShapeRec{1, 0, 0, 10, 0, 0, 1});
    win->Model.ShapeList.push_back(TShapeRec{2, -4, -4, 4, 4, 0, 0});
    win->mnCopyTextClick();
    win->mnPasteTextClick();
    ASSERT_EQ(win->Model.ShapeList.size(), 3u);
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 8, 8, 18, 8, 0, 1}));
    EXPECT_EQ(win->ModifiedPanel(), " Modified");
    EXPECT_TRUE(frame->UndoTBut->isEnabled());
    win->mnUndoClick();
    ASSERT_EQ(win->Model.ShapeList.size(), 2u);
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 0, 0, 10, 0, 0, 0}));

    QGuiApplication::clipboard()->setText("hello");
    win->mnPasteTextClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "ERROR: Clipboard does NOT have a Schematic!");
    EXPECT_EQ(win->Model.ShapeList.size(), 2u);
}

TEST_F(CompWinTest, RefusedRescaleChangesNeitherDrawingNorUndo)
{
    win->Model.ShapeList.push_back(TShapeRec{1, 0, 0, 3, 1, 0, 1});
    win->StoreUndo();
    const TLines undo = win->UndoList;
    win->ClearModified();
    QString answer = "x1e30";
    win->AskRescale = [&](QString& a) {
        a = answer;
        return true;
    };
    win->ButRescaleClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error in Scale value: 1e30");
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 0, 0, 3, 1, 0, 1}));
    EXPECT_EQ(win->UndoList.Text(), undo.Text());
    EXPECT_EQ(win->ModifiedPanel(), "");

    answer = "x2.5";
    win->ButRescaleClick();
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 0, 0, 8, 2, 0, 1}));
    EXPECT_EQ(win->ModifiedPanel(), " Modified");
    win->mnUndoClick();
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 0, 0, 3, 1, 0, 0}));
}

TEST_F(CompWinTest, FreeRotationFollowsTheBarAndRefusesOverflowWithANote)
{
    win->Model.ShapeList.push_back(TShapeRec{1, 0, 0, 10, 0, 0, 0});
    win->ScrollBar->setValue(90);
    EXPECT_EQ(win->LabelAng->text(), "90 deg");
    win->ButRotateClick();
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 0, 0, 0, 10, 0, 0}));
    EXPECT_EQ(win->ScrollBar->value(), 90);

    win->Model.ShapeList.push_back(TShapeRec{1, INT32_MAX, INT32_MAX, 0, 0, 0, 0});
    win->ScrollBar->setValue(45);
    win->ClearModified();
    win->ButRotateClick();
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 0, 0, 0, 10, 0, 0}));
    EXPECT_FALSE(win->Panels[2]->text().isEmpty());
    EXPECT_EQ(win->ModifiedPanel(), "");
    EXPECT_TRUE(messages.empty());
}

TEST_F(CompWinTest, StyleEditsNoteWhatIsMissingAndLeaveTheFramesArrowAlone)
{
    win->Model.ShapeList.push_back(TShapeRec{1, 0, 0, 10, 0, 0x0050, 0});
    win->mnAlterPenSzeClick();
    EXPECT_EQ(win->Panels[2]->text(), "No Lines Selected");
    win->Model.ShapeList.front().Selected = 1;
    win->mnAlterArrowClick();
    EXPECT_EQ(win->Panels[2]->text(), "No Arrows Selected");
    win->mnToggleFillClick();
    EXPECT_EQ(win->Model.ShapeList.front().Style, 0x0051);

    win->Model.ShapeList.push_back(TShapeRec{11, 0, 0, 10, 0, 0x0201, 1});
    frame->DefaultArrow = 4;
    WhenModal([](QWidget* w) {
        auto* d = qobject_cast<TTypeArrowDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->ArrowType, 2);
        EXPECT_FALSE(d->CboxSetDefault->isVisible());
        d->ArrowType = 5;
        d->accept();
    });
    win->mnAlterArrowClick();
    EXPECT_EQ(win->Model.ShapeList.back().Style, 0x0501);
    EXPECT_EQ(win->Model.ShapeList.front().Style, 0x0051);   // not a line with arrows
    EXPECT_EQ(frame->DefaultArrow, 4);

    WhenModal([](QWidget* w) {
        auto* d = qobject_cast<TTypeLineDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->PenType, 1);
        d->reject();
    });
    win->ClearModified();
    win->mnAlterPenTypeClick();
    EXPECT_EQ(win->ModifiedPanel(), "");
}

TEST_F(CompWinTest, ButtonsNudgeTheSelectionAndMoveTheWholeComponent)
{
    win->Model.ShapeList.push_back(TShapeRec{1, 0, 0, 10, 0, 0, 1});
    win->Model.ShapeList.push_back(TShapeRec{4, 0, 0, 8, 8, 1, 0});
    win->Model.TextList.push_back(TCompTextRec{"T", 48, 30, 40, 1});
    win->ShapeRightSBut->click();
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, 1, 0, 11, 0, 0, 1}));
    EXPECT_EQ(win->Model.TextList.front().X, 32);
    win->CompMveUpSBut->click();
    EXPECT_EQ(win->Model.ShapeList.back(), (TShapeRec{4, 0, -1, 8, 8, 1, 0}));
    EXPECT_EQ(win->Model.TextList.front().Y, 30);
    win->mnDupShapeClick();
    EXPECT_EQ(win->Model.ShapeList.size(), 3u);
    win->mnDeleteClick();
    EXPECT_EQ(win->Model.ShapeList.size(), 2u);
    EXPECT_EQ(win->Model.TextList.size(), 1u);
    EXPECT_EQ(win->Panels[1]->text(), " Shape Count:  2");
}

TEST_F(CompWinTest, KeysReachTheWindowThroughItsKeyBoxAndCharactersAreDropped)
{
    win->Model.ShapeList.push_back(TShapeRec{1, 0, 0, 10, 0, 0, 1});
    for (int key : {int(Qt::Key_Left), int(Qt::Key_A)}) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_A ? "a" : "");
        QCoreApplication::sendEvent(win->KeyInEdit, &e);
    }
    EXPECT_EQ(win->Model.ShapeList.front(), (TShapeRec{1, -1, 0, 9, 0, 0, 1}));
    EXPECT_TRUE(win->KeyInEdit->text().isEmpty());
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(win->KeyInEdit, &del);
    EXPECT_TRUE(win->Model.ShapeList.empty());
}

namespace {

// Answers every question box while `live` holds.
void AnswerQuestions(std::shared_ptr<bool> live, std::function<void(QMessageBox*)> act)
{
    // Held by the pending timer only, so it is freed once live turns false.
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [live, act, self] {
        if (!*live)
            return;
        if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            act(m);
        if (auto again = self.lock())
            QTimer::singleShot(10, [again] { (*again)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

int RedPixels(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    return n;
}

} // namespace

TEST_F(CompWinTest, SaveAsAsksAboutTheFileReallyWritten)
{
    // The library's files carry upper-case names; users type names in any case.
    const QString battery = tmp.path() + "/BATTERY.CMP";
    const std::string starter = "COMPONENT\r\n<SHAPE>\r\n2\r\n-8\r\n-4\r\n8\r\n4\r\n0\r\n";
    struct Case {
        const char* typed;
        QMessageBox::StandardButton answer;   // NoButton: no question expected
        const char* written;                  // null: nothing written
    };
    const Case cases[] = {
        {"battery", QMessageBox::No, nullptr},
        {"battery", QMessageBox::Yes, "BATTERY.CMP"},
        {"Battery.cmp", QMessageBox::Yes, "BATTERY.CMP"},
        {"BATTERY.CMP", QMessageBox::No, nullptr},
        {"fresh", QMessageBox::NoButton, "FRESH.CMP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ASSERT_TRUE(testutil::WriteFile(QFile::encodeName(battery).toStdString(), starter));
        QFile::remove(tmp.path() + "/FRESH.CMP");
        win->Model.Clear();
        win->FileName.clear();
        DrawLine(200, 200, 240, 200);
        ASSERT_EQ(win->ModifiedPanel(), " Modified");

        auto live = std::make_shared<bool>(true);
        QStringList asked;
        bool openAfterAnswer = false;
        AnswerQuestions(live, [&](QMessageBox* m) {
            asked << m->text();
            m->button(c.answer == QMessageBox::NoButton ? QMessageBox::Yes : c.answer)->click();
        });
        WhenModalIs<QFileDialog>([&](QFileDialog* d) {
            d->setDirectory(tmp.path());
            auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            edit->setText(c.typed);
            QTest::keyClick(edit, Qt::Key_Return);
            openAfterAnswer = d->isVisible();
            if (d->isVisible())
                d->reject();
        });
        const bool saved = win->SaveCompAs();
        *live = false;

        if (c.answer == QMessageBox::NoButton)
            EXPECT_TRUE(asked.isEmpty()) << asked.join('|').toStdString();
        else
            EXPECT_EQ(asked, QStringList{"BATTERY.CMP already exists.\nDo you want to replace it?"});
        // No keeps the dialog open for another name.
        EXPECT_EQ(openAfterAnswer, c.answer == QMessageBox::No);
        EXPECT_EQ(saved, c.written != nullptr);
        const std::string now = testutil::ReadFile(QFile::encodeName(battery).toStdString());
        if (c.written) {
            const QString path = tmp.path() + "/" + c.written;
            EXPECT_EQ(win->FileName, path);
            EXPECT_EQ(testutil::ReadFile(QFile::encodeName(path).toStdString()),
                      "COMPONENT\r\n<SHAPE>\r\n1\r\n0\r\n0\r\n10\r\n0\r\n0\r\n");
            EXPECT_EQ(win->ModifiedPanel(), "");
        } else {
            EXPECT_EQ(now, starter);
            EXPECT_TRUE(win->FileName.isEmpty());
            EXPECT_EQ(win->ModifiedPanel(), " Modified");
        }
        if (std::string(c.written ? c.written : "") != "BATTERY.CMP")
            EXPECT_EQ(now, starter);
        // Never a second file beside the one of the other case.
        EXPECT_FALSE(QFileInfo::exists(tmp.path() + "/battery.cmp"));
        EXPECT_FALSE(QFileInfo::exists(tmp.path() + "/Battery.cmp"));
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(CompWinTest, SaveAndTheCloseQuestionLeaveNothingLookingSelected)
{
    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"save", [this] {
             win->FileName = tmp.path() + "/SEL.CMP";
             ASSERT_TRUE(win->SaveComp());
         }},
        {"close question cancelled", [this] {
             answer = mrCancel;
             EXPECT_FALSE(win->close());
             answer = mrOk;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        win->Model.Clear();
        DrawLine(200, 200, 240, 200);
        win->DrawMode = 0;
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, 220, 200);   // selects the line
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, 220, 200);
        ASSERT_EQ(win->Model.ShapeList.front().Selected, 1);
        ASSERT_GT(RedPixels(win->View.Surface()), 0);
        c.run();
        ASSERT_TRUE(win);
        EXPECT_EQ(win->Model.ShapeList.front().Selected, 0);
        EXPECT_EQ(RedPixels(win->View.Surface()), 0);
    }
}

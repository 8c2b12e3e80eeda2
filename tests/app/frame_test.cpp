#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QElapsedTimer>
#include <QThread>

#include "app/ColorDlg_.h"

#include <functional>
#include <map>
#include <memory>

#include "app/Main_.h"
#include "platform/msgbox.h"
#include "tests/app/fake_child.h"
#include "tests/support/test_util.h"

namespace {

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(IniPath());
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r);
            return Answer;
        });
    }
    void TearDown() override
    {
        Frame.reset();
        Pump();
        SetMsgResponder(nullptr);
        QFile::remove(IniPath());
    }
    static QString IniPath() { return GetIniFolder() + "OstrinIni.ini"; }

    void MakeFrame()
    {
        Frame = std::make_unique<TMainWin>();
        Frame->FirstActivate = false;  // no start-up open in these tests
        Frame->SchWinFactory = [this] {
            auto* w = new TFakeChild(TChildWin::TKind::Sch, &Log);
            w->FailLoad = NextLoadFails;
            Made.push_back(w);
            return w;
        };
        Frame->show();
        Pump();
    }
    TFakeChild* AddChild(TChildWin::TKind kind)
    {
        auto* w = new TFakeChild(kind, &Log);
        Frame->ShowChild(w, false);
        Pump();
        return w;
    }
    QStringList TabTexts() const
    {
        QStringList t;
        for (int i = 0; i < Frame->TabChild->count(); ++i)
            t << Frame->TabChild->tabText(i);
        return t;
    }

    std::unique_ptr<TMainWin> Frame;
    std::vector<std::string> Log;
    std::vector<TFakeChild*> Made;
    std::vector<TMsgRecord> Messages;
    int Answer = mrOk;
    bool NextLoadFails = false;
};

TEST_F(FrameTest, CommandsGoToTheActiveChildByKind)
{
    MakeFrame();
    struct Case {
        const char* Name;
        std::function<void(TMainWin&)> Run;
        const char* Sch;   // what a schematic window is asked; "" nothing
        const char* Comp;  // what a component window is asked
    } cases[] = {
        {"undo", [](TMainWin& f) { f.UndoTButClick(); }, "undo", "undo"},
        {"copy", [](TMainWin& f) { f.CopyTButClick(); }, "copy", "copy"},
        {"paste", [](TMainWin& f) { f.PasteTButClick(); }, "paste", "paste"},
        {"delete", [](TMainWin& f) { f.DeleteTButClick(); }, "delete", "delete"},
        {"dup", [](TMainWin& f) { f.DupliTButClick(); }, "dup", "dup"},
        {"mirror", [](TMainWin& f) { f.RotateButClick(f.MirrorTBut); }, "rotate1", "rotate1"},
        {"flip", [](TMainWin& f) { f.RotateButClick(f.FlipTBut); }, "rotate2", "rotate2"},
        {"rot+", [](TMainWin& f) { f.RotateButClick(f.RotcTBut); }, "rotate3", "rotate3"},
        {"rot-", [](TMainWin& f) { f.RotateButClick(f.RotaTBut); }, "rotate4", "rotate4"},
        {"fill", [](TMainWin& f) { f.ClearFillTButClick(); }, "fill", "fill"},
        {"width", [](TMainWin& f) { f.SizeLineTButClick(); }, "width", "width"},
        {"style", [](TMainWin& f) { f.TypeLineTButClick(); }, "style", "style"},
        {"arrow", [](TMainWin& f) { f.ArrowButClick(); }, "arrow", "arrow"},
        {"save", [](TMainWin& f) { f.mnSave->trigger(); }, "save", "save"},
        {"save button", [](TMainWin& f) { f.SaveTBut->click(); }, "save", "save"},
        {"save as", [](TMainWin& f) { f.mnSaveAsClick(); }, "saveas", "saveas"},
        {"zorder", [](TMainWin& f) { f.TButZorderClick(); }, "zorder", ""},
        {"zoom in", [](TMainWin& f) { f.ScaleTButClick(f.ScaleUPTBut); }, "scale1", ""},
        {"zoom out", [](TMainWin& f) { f.ScaleTButClick(f.ScaleDWNTBut); }, "scale0", ""},
        {"picture", [](TMainWin& f) { f.mnSavePicClick(); }, "bmp2", ""},
        {"grid", [](TMainWin& f) { f.mnDrawDotsClick(); }, "dots", ""},
    };
    // With no child nothing is asked and nothing breaks.
    for (const auto& c : cases)
        c.Run(*Frame);
    EXPECT_TRUE(Log.empty());

    for (auto kind : {TChildWin::TKind::Sch, TChildWin::TKind::Comp}) {
        TFakeChild* w = AddChild(kind);
        ASSERT_EQ(Frame->ActiveChild(), w);
        for (const auto& c : cases) {
            Log.clear();
            c.Run(*Frame);
            const std::string want = kind == TChildWin::TKind::Sch ? c.Sch : c.Comp;
            EXPECT_EQ(Log, want.empty() ? std::vector<std::string>{} : std::vector<std::string>{want})
                << c.Name << (kind == TChildWin::TKind::Sch ? " schematic" : " component");
        }
        w->Refuse = false;
        delete w;
        Pump();
    }
}

TEST_F(FrameTest, ToolButtonsWriteTheirCodeIntoEitherKind)
{
    MakeFrame();
    for (auto kind : {TChildWin::TKind::Sch, TChildWin::TKind::Comp}) {
        TFakeChild* w = AddChild(kind);
        for (TToolBut* b : {Frame->LineTBut, Frame->DrawTBut, Frame->SquareTBut, Frame->EllipseTBut,
                            Frame->CircTBut, Frame->ArcTBut, Frame->SineTBut, Frame->DimenTBut, Frame->ArrowTBut,
                            Frame->DotTBut, Frame->TextTBut, Frame->CompTBut, Frame->HandBut}) {
            b->click();
            EXPECT_EQ(w->DrawMode, b->Tag) << b->objectName().toStdString();
            EXPECT_TRUE(b->isChecked());
            EXPECT_FALSE(Frame->SelectTBut->isChecked());
        }
        Frame->SelectTBut->click();
        EXPECT_EQ(w->DrawMode, 0);
        EXPECT_FALSE(Frame->HandBut->isChecked());
        delete w;
        Pump();
    }
    EXPECT_EQ(Frame->CompTBut->Tag, 8);
    EXPECT_EQ(Frame->HandBut->Tag, 20);
    EXPECT_EQ(Frame->DimenTBut->Tag, 11);
    EXPECT_EQ(Frame->DrawTBut->Tag, 10);
}

TEST_F(FrameTest, MenusEnableByTheActiveKind)
{
    MakeFrame();
    Frame->mnFileClick();
    Frame->mnLibraryClick();
    EXPECT_FALSE(Frame->mnSave->isEnabled());
    EXPECT_FALSE(Frame->mnSaveComp->isEnabled());
    TFakeChild* comp = AddChild(TChildWin::TKind::Comp);
    Frame->mnFileClick();
    Frame->mnLibraryClick();
    EXPECT_TRUE(Frame->mnSave->isEnabled());
    EXPECT_TRUE(Frame->mnSaveAs->isEnabled());
    EXPECT_FALSE(Frame->mnPrint->isEnabled());
    EXPECT_FALSE(Frame->mnSavePic->isEnabled());
    EXPECT_TRUE(Frame->mnSaveComp->isEnabled());
    delete comp;
    Pump();
    AddChild(TChildWin::TKind::Sch);
    Frame->mnFileClick();
    Frame->mnLibraryClick();
    EXPECT_TRUE(Frame->mnPrint->isEnabled());
    EXPECT_TRUE(Frame->mnSavePic->isEnabled());
    EXPECT_FALSE(Frame->mnSaveCompAs->isEnabled());
}

TEST_F(FrameTest, OpenFileCases)
{
    const QString name = "/some/where/Circuit.sch";
    struct Case {
        const char* Name;
        bool Existing;           // a schematic window is already there
        QString ExistingFile;
        QString Panel0;
        bool Fails;
        int WantChildren;
        QStringList WantTabs;
        int WantMessages;
    } cases[] = {
        {"into an empty frame", false, "", "", false, 1, {" Circuit.sch "}, 0},
        {"already open, same path", true, "/some/where/./Circuit.sch", "", false, 1, {"Schematic:"}, 1},
        {"name in other case is another file", true, "/some/where/circuit.SCH", "", false, 2,
         {"Schematic:", " Circuit.sch "}, 0},
        {"same name, folder in other case", true, "/SOME/WHERE/Circuit.sch", "", false, 2,
         {"Schematic:", " Circuit.sch "}, 0},
        {"lone untouched new window replaced", true, "", "", false, 1, {" Circuit.sch "}, 0},
        {"modified new window kept", true, "", " Modified", false, 2, {"Schematic:", " Circuit.sch "}, 0},
        {"failing load leaves nothing", false, "", "", true, 0, {}, 0},
    };
    for (const auto& c : cases) {
        MakeFrame();
        Messages.clear();
        Made.clear();
        if (c.Existing) {
            TFakeChild* w = AddChild(TChildWin::TKind::Sch);
            w->FileName = c.ExistingFile;
            w->Panel0 = c.Panel0;
        }
        NextLoadFails = c.Fails;
        Frame->OpenFile(name);
        Pump();
        EXPECT_EQ(Frame->Children().size(), c.WantChildren) << c.Name;
        EXPECT_EQ(TabTexts(), c.WantTabs) << c.Name;
        ASSERT_EQ(static_cast<int>(Messages.size()), c.WantMessages) << c.Name;
        if (c.WantMessages) {
            EXPECT_EQ(Messages[0].Title, "Information");
            EXPECT_EQ(Messages[0].Text, "File is already open!\r" + name);
        } else {
            EXPECT_EQ(Frame->SchemFolder, "/some/where/") << c.Name;
        }
        if (!Made.empty() && !c.Fails) {
            EXPECT_EQ(Made.back()->FileName, name);
            EXPECT_EQ(Made.back()->windowTitle(), "Schematic: " + name);
        }
        NextLoadFails = false;
        Frame.reset();
        Pump();
    }
}

TEST_F(FrameTest, TabsFollowTheirWindows)
{
    MakeFrame();
    TFakeChild* a = AddChild(TChildWin::TKind::Sch);
    TFakeChild* b = AddChild(TChildWin::TKind::Sch);
    TFakeChild* c = AddChild(TChildWin::TKind::Comp);
    ASSERT_EQ(Frame->TabChild->count(), 3);
    delete b;
    Pump();
    ASSERT_EQ(Frame->TabChild->count(), 2);
    Frame->TabChildChange(1);
    EXPECT_EQ(Frame->ActiveChild(), c);
    Frame->TabChildChange(0);
    EXPECT_EQ(Frame->ActiveChild(), a);
    // While a tab is being renamed the change is ignored.
    Frame->TabChild->Tag = -1;
    Frame->TabChildChange(1);
    EXPECT_EQ(Frame->ActiveChild(), a);
    Frame->TabChild->Tag = 0;
    // Picked by the user (the tab bar's own change).
    Frame->TabChild->setCurrentIndex(0);
    Frame->TabChild->setCurrentIndex(1);
    EXPECT_EQ(Frame->ActiveChild(), c);
    Frame->TabChild->setCurrentIndex(0);
    EXPECT_EQ(Frame->ActiveChild(), a);
    // Next and previous walk the children both ways.
    Frame->mnNextWin->trigger();
    EXPECT_EQ(Frame->ActiveChild(), c);
    Frame->mnPrevWin->trigger();
    EXPECT_EQ(Frame->ActiveChild(), a);
    Frame->RemoveChildTab(nullptr);  // no such tab: nothing
    EXPECT_EQ(Frame->TabChild->count(), 2);
}

TEST_F(FrameTest, NextAndPreviousWindowWalkTheStackingOrder)
{
    // Created a, b, c: c is on top, then b, then a. "Next" (Tag 1) brings up the bottom
    // window each time; "Previous" (Tag 2) takes the one below and sends the top one down.
    struct Case {
        QAction* TMainWin::*Item;
        const char* Want;  // the active window after each of three steps
    } cases[] = {
        {&TMainWin::mnNextWin, "abc"},
        {&TMainWin::mnPrevWin, "bac"},
    };
    for (const auto& c : cases) {
        MakeFrame();
        std::map<TChildWin*, char> names;
        names[AddChild(TChildWin::TKind::Sch)] = 'a';
        names[AddChild(TChildWin::TKind::Sch)] = 'b';
        names[AddChild(TChildWin::TKind::Comp)] = 'c';
        std::string got;
        for (int step = 0; step < 3; ++step) {
            (Frame.get()->*c.Item)->trigger();
            Pump();
            got += names[Frame->ActiveChild()];
            EXPECT_EQ(Frame->Children().front(), Frame->ActiveChild());
        }
        EXPECT_EQ(got, c.Want) << (Frame.get()->*c.Item)->text().toStdString();
        Frame.reset();
        Pump();
    }
}

TEST_F(FrameTest, CloseAllKeepsOnlyTheOneThatRefuses)
{
    MakeFrame();
    AddChild(TChildWin::TKind::Sch);
    TFakeChild* keep = AddChild(TChildWin::TKind::Sch);
    AddChild(TChildWin::TKind::Comp);
    keep->Refuse = true;
    Frame->mnCloseAllClick();
    Pump();
    ASSERT_EQ(Frame->Children().size(), 1);
    EXPECT_EQ(Frame->Children().front(), keep);
    EXPECT_EQ(Frame->TabChild->count(), 1);
}

TEST_F(FrameTest, ShutdownWithOneCancelWritesNoSettings)
{
    MakeFrame();
    AddChild(TChildWin::TKind::Sch);
    TFakeChild* refuses = AddChild(TChildWin::TKind::Sch);
    refuses->Refuse = true;
    EXPECT_FALSE(Frame->close());
    Pump();
    EXPECT_FALSE(QFile::exists(IniPath()));
    EXPECT_EQ(Frame->Children().size(), 2);

    refuses->Refuse = false;
    EXPECT_TRUE(Frame->close());
    Pump();
    EXPECT_TRUE(QFile::exists(IniPath()));
    EXPECT_TRUE(Frame->Children().isEmpty());
    EXPECT_EQ(Frame->TabChild->count(), 0);
}

TEST_F(FrameTest, SearchProgramGetsTheFolderAsOneArgument)
{
    MakeFrame();
    QTemporaryDir dir;
    const QString out = dir.path() + "/args.txt";
    const QString script = dir.path() + "/Pelfind";
    testutil::WriteFile(script.toStdString(),
                        "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"" + out.toStdString() + ".tmp\"\nmv \"" +
                            out.toStdString() + ".tmp\" \"" + out.toStdString() + "\"\n");
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    Frame->SearchProgram = script;
    Frame->SchemFolder = dir.path() + "/my  schematics; $HOME/";
    Frame->mnFullSearchClick();
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(out) && t.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_EQ(testutil::ReadFile(out.toStdString()), "1|" + Frame->SchemFolder.toStdString() + "|");
    EXPECT_TRUE(Messages.empty());

    Frame->SearchProgram = dir.path() + "/none/Pelfind";
    Frame->mnFullSearchClick();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Title, "Error");
    EXPECT_EQ(Messages[0].Text, "Ostrin Search Program \"Pelfind.exe\" not found!");
}

TEST_F(FrameTest, FreshStartDefaults)
{
    MakeFrame();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Position and sizes are the outer frame's, border included.
    const QRect outer = Frame->frameGeometry();
    const QSize border = outer.size() - Frame->size();
    EXPECT_EQ(outer.left(), 5);
    EXPECT_EQ(outer.top(), 5);
    EXPECT_EQ(outer.width(), std::max(640, screen.width() - 10));
    EXPECT_EQ(outer.height(), std::max(480, screen.height() - 40));
    EXPECT_TRUE(Frame->mnShowTabs->isChecked());
    EXPECT_TRUE(Frame->mnShowHintStart->isChecked());
    EXPECT_TRUE(Frame->mnDrawDots->isChecked());
    EXPECT_FALSE(Frame->mnMaxWin->isChecked());
    EXPECT_EQ(Frame->LineColor, 0x800000u);
    EXPECT_EQ(Frame->FillColor, 0x800000u);
    EXPECT_EQ(Frame->TextColor, 0u);
    EXPECT_EQ(Frame->SelColor, 0xFFu);
    EXPECT_TRUE(Frame->mnAutoSave->isChecked());
    EXPECT_EQ(Frame->AutoSaveFolder, GetTempFolder());
    EXPECT_EQ(Frame->mnAutoSave->text(), "Do A&utoSave of Undo files...");
    EXPECT_EQ(Frame->SchemFolder, GetDocsFolder());
    EXPECT_EQ(Frame->windowTitle(), "Circuit Drawing");
    EXPECT_EQ(Frame->minimumSize() + border, QSize(640, 480));
    // The settings file appears only at the first close.
    EXPECT_FALSE(QFile::exists(IniPath()));
    EXPECT_FALSE(ScreenCursor(crHandO).pixmap().isNull());
    EXPECT_FALSE(ScreenCursor(crHandC).pixmap().isNull());
    EXPECT_FALSE(ScreenCursor(crMove).pixmap().isNull());
    // Our own icon, not the toolkit's.
    EXPECT_EQ(Frame->windowIcon().pixmap(32, 32).toImage(), ProgramIcon().pixmap(32, 32).toImage());
    EXPECT_FALSE(ProgramIcon().isNull());
}

TEST_F(FrameTest, SettingsRoundTripInTheWrittenOrder)
{
    const QRect virt = QGuiApplication::primaryScreen()->virtualGeometry();
    const QString autosave = QDir::tempPath() + "/ostrin auto";
    QDir().mkpath(autosave);
    testutil::WriteFile(IniPath().toStdString(),
                        testutil::CrLf({"[Position]", "Top=-10", "Left=-11", "Height=99",
                                        ("Width=" + std::to_string(virt.width() - 20)).c_str(), "[Window]", "Maximise=1",
                                        "[Settings]", "ShowHint=0", "ShowTabs=0", "UseBrowser=2", "Arrow=9",
                                        "[Colour]", "Line=$FF", "Fill=0x00FF00", "Text=True", "Select=16711680",
                                        "[AutoSave]", "DoIt=0",
                                        ("SearchPath=" + autosave.toStdString()).c_str()}));
    MakeFrame();
    const QRect outer = Frame->frameGeometry();
    // -10 is in range, and the frame then comes down wholly onto the screen (the start
    // bounds' 5 would have stayed).
    EXPECT_EQ(outer.top(), 0);
    EXPECT_EQ(outer.left(), 5);                 // -11 is not
    EXPECT_NE(outer.height(), 99);              // below 100: start bounds stay
    EXPECT_EQ(outer.width(), virt.width() - 20);
    EXPECT_TRUE(Frame->mnMaxWin->isChecked());
    EXPECT_FALSE(Frame->mnShowHintStart->isChecked());
    EXPECT_FALSE(Frame->mnShowTabs->isChecked());
    EXPECT_TRUE(Frame->TabChild->isHidden());
    EXPECT_TRUE(Frame->mnAltOpen->isChecked());
    EXPECT_EQ(Frame->DefaultArrow, 9);
    EXPECT_EQ(Frame->LineColor, 0xFFu);
    EXPECT_EQ(Frame->FillColor, 0xFF00u);
    EXPECT_EQ(Frame->TextColor, 0u);
    EXPECT_EQ(Frame->SelColor, 0xFF0000u);
    EXPECT_FALSE(Frame->mnAutoSave->isChecked());
    EXPECT_EQ(Frame->mnAutoSave->text(), "NOT A&utoSaving Undo files...");
    EXPECT_EQ(Frame->AutoSaveFolder, autosave);

    QFile::remove(IniPath());
    Frame->DefaultArrow = 3;
    Frame->WriteSettings();
    const std::string want = testutil::CrLf(
        {"[Settings]", "Arrow=3", "ShowHint=0", "UseBrowser=1", "ShowTabs=0", "", "[Position]",
         ("Top=" + std::to_string(outer.top())).c_str(), "Left=5",
         ("Height=" + std::to_string(outer.height())).c_str(), ("Width=" + std::to_string(virt.width() - 20)).c_str(),
         "", "[Colour]", "Line=255", "Fill=65280", "Text=0", "Select=16711680", "", "[Window]", "Maximise=1", "",
         "[AutoSave]", "DoIt=0", ("SearchPath=" + autosave.toStdString()).c_str()});
    EXPECT_EQ(testutil::ReadFile(IniPath().toStdString()), want);

    // And read back by the next start.
    Frame.reset();
    MakeFrame();
    EXPECT_EQ(Frame->frameGeometry().size(), outer.size());   // a saved size does not grow by the border
    EXPECT_EQ(Frame->DefaultArrow, 3);
    EXPECT_EQ(Frame->FillColor, 0xFF00u);
    EXPECT_EQ(Frame->AutoSaveFolder, autosave);
    QDir(autosave).removeRecursively();
}

TEST_F(FrameTest, StoredColoursOutsideBbggrrReadAsTheDefaults)
{
    struct Case {
        const char* Text;
        uint32_t Want;  // for Line, whose default is navy
    } cases[] = {
        {"-1", 0x800000u},        {"16777216", 0x800000u}, {"$1000000", 0x800000u}, {"-2147483648", 0x800000u},
        {"$FFFFFFFF", 0x800000u}, {"16777215", 0xFFFFFFu}, {"0", 0u},               {"$FF", 0xFFu},
    };
    for (const Case& c : cases) {
        testutil::WriteFile(IniPath().toStdString(),
                            testutil::CrLf({"[Colour]", (std::string("Line=") + c.Text).c_str(),
                                            (std::string("Select=") + c.Text).c_str()}));
        MakeFrame();
        EXPECT_EQ(Frame->LineColor, c.Want) << c.Text;
        EXPECT_EQ(Frame->SelColor, c.Want == 0x800000u ? 0xFFu : c.Want) << c.Text;
        Frame.reset();
        Pump();
    }
}

TEST_F(FrameTest, StoredBoundsPassTheRangeTestsThenLieWhollyOnTheScreen)
{
    const QRect virt = QGuiApplication::primaryScreen()->virtualGeometry();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int vw = virt.width(), vh = virt.height();
    struct Case {
        int Top, Left, Height, Width;
        QRect Want;   // outer frame
    } cases[] = {
        {20, 10, 500, 700, {10, 20, 700, 500}},
        // Off the bottom-right corner: back in, wholly.
        {vh, vw, 500, 700, {area.right() + 1 - 700, area.bottom() + 1 - 500, 700, 500}},
        {vh - 4, 10, 500, 700, {10, area.bottom() + 1 - 500, 700, 500}},
        // -10 passes the range test and is then moved onto the screen; -11 fails it.
        {-10, -10, 500, 700, {0, 0, 700, 500}},
        {-11, -11, 500, 700, {5, 5, 700, 500}},
        // Sizes: 99 fails (the start size stays), 100 and the screen's own size pass; the
        // frame is never smaller than 640 by 480.
        {10, 10, 100, 100, {10, 10, 640, 480}},
        {10, 10, vh, vw, {0, 0, vw, vh}},
        {10, 10, 99, 99, {10, 10, std::max(640, vw - 10), std::max(480, vh - 40)}},
    };
    for (const Case& c : cases) {
        testutil::WriteFile(IniPath().toStdString(),
                            testutil::CrLf({"[Position]", ("Top=" + std::to_string(c.Top)).c_str(),
                                            ("Left=" + std::to_string(c.Left)).c_str(),
                                            ("Height=" + std::to_string(c.Height)).c_str(),
                                            ("Width=" + std::to_string(c.Width)).c_str()}));
        MakeFrame();
        EXPECT_EQ(Frame->frameGeometry(), c.Want) << c.Top << "," << c.Left << " " << c.Width << "x" << c.Height;
        Frame.reset();
        Pump();
    }
}

TEST(FramePlacement, AFrameOffEveryScreenComesWhollyOntoTheNearestOrTheMostOverlapped)
{
    const QList<QRect> two = {{0, 0, 1600, 1000}, {1600, 0, 1280, 1024}};
    struct Case {
        const char* What;
        QRect Frame;
        QList<QRect> Areas;
        QRect Want;
    } cases[] = {
        {"on the screen", {100, 100, 800, 600}, {{0, 0, 1600, 1000}}, {100, 100, 800, 600}},
        {"past the corner", {1600, 1000, 700, 500}, {{0, 0, 1600, 1000}}, {900, 500, 700, 500}},
        {"48 pixels showing", {1552, 976, 700, 500}, {{0, 0, 1600, 1000}}, {900, 500, 700, 500}},
        {"above and left", {-300, -200, 700, 500}, {{0, 0, 1600, 1000}}, {0, 0, 700, 500}},
        {"work area below a panel", {0, 0, 700, 500}, {{0, 30, 1600, 970}}, {0, 30, 700, 500}},
        // Too large to fit: the top-left corner, and so the title bar, on the screen.
        {"wider and taller", {-50, 300, 1700, 1100}, {{0, 0, 1600, 1000}}, {0, 0, 1700, 1100}},
        {"wider only", {-50, 300, 1700, 600}, {{0, 0, 1600, 1000}}, {0, 300, 1700, 600}},
        // Two screens: wholly on one of them is where it stays; across both it goes to the
        // one it covers most; off both, to the nearest.
        {"on the second", {1700, 50, 800, 600}, two, {1700, 50, 800, 600}},
        {"mostly on the second", {1500, 50, 800, 600}, two, {1600, 50, 800, 600}},
        {"mostly on the first", {1000, 50, 800, 600}, two, {800, 50, 800, 600}},
        {"below the taller second", {2000, 1010, 800, 600}, two, {2000, 424, 800, 600}},
        {"off to the right", {4000, 100, 800, 600}, two, {2080, 100, 800, 600}},
        {"no screens", {4000, 100, 800, 600}, {}, {4000, 100, 800, 600}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceOnScreens(c.Frame, c.Areas), c.Want) << c.What;
}

TEST_F(FrameTest, MessageBoxTitlesAndAnswers)
{
    struct Case {
        TMsgDlgType Type;
        const char* Title;
        TMsgIcon Icon;
    } cases[] = {
        {TMsgDlgType::mtWarning, "Warning", TMsgIcon::Warning},
        {TMsgDlgType::mtError, "Error", TMsgIcon::Error},
        {TMsgDlgType::mtInformation, "Information", TMsgIcon::Information},
        {TMsgDlgType::mtConfirmation, "Confirm", TMsgIcon::Question},
        {TMsgDlgType::mtCustom, "Rerurudez Eruv", TMsgIcon::None},
    };
    for (const auto& c : cases) {
        Messages.clear();
        Answer = mrNo;
        EXPECT_EQ(MessageDlg("a\rb", c.Type, mbYesNoCancel), mrNo);
        ASSERT_EQ(Messages.size(), 1u);
        EXPECT_EQ(Messages[0].Title, c.Title);
        EXPECT_EQ(Messages[0].Icon, c.Icon);
        EXPECT_EQ(Messages[0].Buttons, mbYesNoCancel);
        EXPECT_EQ(Messages[0].Text, "a\rb");
    }
}

} // namespace

namespace {

// Answers the next modal dialog once it is up.
void OnNextDialog(std::function<void(QDialog*)> act)
{
    QTimer::singleShot(0, [act] {
        for (int i = 0; i < 200; ++i) {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                act(d);
                return;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    });
}

TEST_F(FrameTest, ColoursDialogTakesOkAndKeepsOnCancelRedrawingBothTimes)
{
    MakeFrame();
    AddChild(TChildWin::TKind::Sch);
    Frame->LineColor = 0x123456;  // not one of the listed colours: offered all the same
    OnNextDialog([](QDialog* d) {
        auto* dlg = qobject_cast<TColorDlg*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Select Color");
        EXPECT_EQ(TColorDlg::SelectedColor(dlg->ColorBoxLine), 0x123456u);
        EXPECT_EQ(TColorDlg::SelectedColor(dlg->ColorBoxSel), 0xFFu);
        TColorDlg::SelectColor(dlg->ColorBoxFill, 0x00FF00);
        dlg->reject();
    });
    Log.clear();
    Frame->mnSetColorsClick();
    EXPECT_EQ(Frame->FillColor, 0x800000u);
    EXPECT_EQ(Log, std::vector<std::string>{"colors"});

    OnNextDialog([](QDialog* d) {
        auto* dlg = qobject_cast<TColorDlg*>(d);
        ASSERT_NE(dlg, nullptr);
        TColorDlg::SelectColor(dlg->ColorBoxFill, 0x00FF00);
        TColorDlg::SelectColor(dlg->ColorBoxText, 0xFFFFFF);
        dlg->accept();
    });
    Log.clear();
    Frame->mnSetColorsClick();
    EXPECT_EQ(Frame->LineColor, 0x123456u);
    EXPECT_EQ(Frame->FillColor, 0x00FF00u);
    EXPECT_EQ(Frame->TextColor, 0xFFFFFFu);
    EXPECT_EQ(Log, std::vector<std::string>{"colors"});
}

TEST_F(FrameTest, OptionItemsFlipOnceAndTheTabBarFollows)
{
    MakeFrame();
    for (QAction* a : {Frame->mnMaxWin, Frame->mnAltOpen, Frame->mnShowHintStart, Frame->mnShowTabs}) {
        const bool before = a->isChecked();
        a->trigger();
        EXPECT_EQ(a->isChecked(), !before) << a->text().toStdString();
    }
    EXPECT_FALSE(Frame->mnShowTabs->isChecked());
    EXPECT_TRUE(Frame->TabChild->isHidden());
    Frame->mnShowTabs->trigger();
    EXPECT_FALSE(Frame->TabChild->isHidden());
    // Children start maximised while the mark is set.
    ASSERT_TRUE(Frame->mnMaxWin->isChecked());
    Frame->mnNewClick();
    Pump();
    ASSERT_EQ(Made.size(), 1u);
    EXPECT_TRUE(Made[0]->isMaximized());
    EXPECT_EQ(Made[0]->windowTitle(), "Schematic: NewFile.sch");
}

TEST_F(FrameTest, ArrangementsAndMinimiseAll)
{
    MakeFrame();
    TFakeChild* a = AddChild(TChildWin::TKind::Sch);
    TFakeChild* b = AddChild(TChildWin::TKind::Sch);
    const QSize area = Frame->MdiClient->viewport()->size();
    Frame->mnTileHor->trigger();
    EXPECT_EQ(a->width(), area.width());
    EXPECT_EQ(b->width(), area.width());
    EXPECT_NE(a->y(), b->y());
    Frame->mnTileVer->trigger();
    EXPECT_EQ(a->height(), area.height());
    EXPECT_NE(a->x(), b->x());
    Frame->mnMinimiseIcons->trigger();
    Pump();
    EXPECT_TRUE(a->isMinimized());
    EXPECT_TRUE(b->isMinimized());
    EXPECT_NE(a->x(), b->x());
}

TEST(LongFileName, AbsoluteCleanedAndChecked)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + "/Sub Dir");
    const QString file = dir.path() + "/Sub Dir/A.sch";
    testutil::WriteFile(file.toStdString(), "x");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QString error;
    EXPECT_EQ(LongFileName("Sub Dir/A.sch"), QDir::cleanPath(file));
    EXPECT_EQ(LongFileName("./Sub Dir/../Sub Dir/A.sch"), QDir::cleanPath(file));
    EXPECT_EQ(LongFileName("Sub Dir/a.sch", &error), "");
    EXPECT_EQ(error, "Path " + QDir::cleanPath(dir.path() + "/Sub Dir/a.sch") + " does not exist!");
    EXPECT_EQ(LongFileName("Sub Dir/*.sch", &error), "");  // no wildcards
    QDir::setCurrent(saved);
}

} // namespace

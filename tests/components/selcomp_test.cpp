// The component picker and the frame's component commands, driven through their handlers.
#include "app/Main_.h"
#include "components/CompFiles.h"
#include "components/SelComp_.h"
#include "components/core/comp_folder.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"
#include "tests/support/modal.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using testutil::CrLf;
using testutil::WhenModal;

constexpr TColor kGrid = 0xB0E0FF;

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetMsgResponder([this](const TMsgRecord& r) {
            messages.push_back(r.Text);
            return mrOk;
        });
    }
    void TearDown() override { SetMsgResponder({}); }

    QString Path(const QString& name) const { return tmp.path() + "/" + name; }
    std::string PathBytes(const QString& name) const { return QFile::encodeName(Path(name)).toStdString(); }
    void Write(const QString& name, const std::string& bytes) const
    {
        ASSERT_TRUE(testutil::WriteFile(PathBytes(name), bytes));
    }
    // A picker showing the temporary folder, as the frame prepares it.
    std::unique_ptr<TSelCompWin> Picker()
    {
        auto p = std::make_unique<TSelCompWin>();
        p->PathEdit->setText(tmp.path());
        p->FormShow();
        return p;
    }
    QStringList Items(const TSelCompWin& p) const
    {
        QStringList out;
        for (int i = 0; i < p.CompListBox->count(); ++i)
            out << p.CompListBox->item(i)->text();
        return out;
    }
    static void Click(TSelCompWin& p, const QString& name)
    {
        const auto hits = p.CompListBox->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(hits.size(), 1);
        p.CompListBox->setCurrentItem(hits.front());
        p.CompListBoxClick();
    }
    static TColor Px(TSelCompWin& p, int x, int y) { return p.PaintBox->Canvas().Pixel(x, y); }
    // Pixels of the box that differ from the empty grid.
    static int Marks(TSelCompWin& p)
    {
        TSelCompWin empty;
        int n = 0;
        for (int y = 0; y < 208; ++y)
            for (int x = 0; x < 208; ++x)
                n += Px(p, x, y) != Px(empty, x, y);
        return n;
    }

    QTemporaryDir tmp;
    std::vector<QString> messages;
};

TEST_F(PickerTest, HostileFolderListsOnlyRegularComponentFiles)
{
    Write("resistor.cmp", CrLf({"COMPONENT"}));
    Write("CAP.CMP", CrLf({"COMPONENT"}));
    Write("notes.txt", "x");
    Write(".cmp", "x");
    ASSERT_TRUE(QDir().mkpath(Path("dir.cmp")));
    ASSERT_EQ(::mkfifo(PathBytes("pipe.cmp").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("nowhere.cmp", PathBytes("dangling.cmp").c_str()), 0);
    ASSERT_EQ(::symlink("CAP.CMP", PathBytes("link.cmp").c_str()), 0);

    EXPECT_EQ(ListCompNames(tmp.path().toStdString()), (std::vector<std::string>{"CAP", "LINK", "RESISTOR"}));
    EXPECT_TRUE(ListCompNames(PathBytes("missing")).empty());

    auto p = Picker();
    EXPECT_EQ(Items(*p), (QStringList{"CAP", "LINK", "RESISTOR"}));
    // The upper-cased name finds the lower-case file, and the path keeps the folder as it is.
    Click(*p, "RESISTOR");
    EXPECT_EQ(p->FileName, Path("resistor.cmp"));
    EXPECT_TRUE(p->OkayBBut->isEnabled() && p->EditCompBBut->isEnabled());

    // The schematic window's loader finds it by the same helper; a FIFO is refused, never read.
    EXPECT_EQ(FindCompFile(Path("RESISTOR.cmp")), Path("resistor.cmp"));
    EXPECT_EQ(FindCompFile(Path("cap.cmp")), Path("CAP.CMP"));
    EXPECT_TRUE(FindCompFile(Path("none.cmp")).isEmpty());
    TLines lines;
    QString error;
    EXPECT_FALSE(ReadCompLines(Path("pipe.cmp"), lines, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ReadCompLines(Path("dir.cmp"), lines, error));
}

TEST_F(PickerTest, PreviewDrawsWhileReading)
{
    // A line through the origin, a filled box, a sine wave (never drawn), a quarter arc.
    Write("PARTS.cmp", CrLf({"COMPONENT", "<SHAPE>", "1", "-10", "0", "10", "0", "0",  //
                             "<SHAPE>", "2", "20", "20", "30", "30", "1",               //
                             "<SHAPE>", "12", "-40", "-30", "-20", "-40", "0",          //
                             "<SHAPE>", "5", "0", "-20", "10", "-30", "0"}));
    auto p = Picker();
    Click(*p, "PARTS");
    EXPECT_EQ(p->CompNmeEdit->text(), "PARTS");
    for (int x = 83; x <= 123; ++x)
        EXPECT_EQ(Px(*p, x, 103), clNavy) << x;
    EXPECT_NE(Px(*p, 124, 103), clNavy);
    EXPECT_EQ(Px(*p, 150, 150), clNavy);            // inside the filled box 143..163
    EXPECT_EQ(Px(*p, 7, 50), kGrid);                // grid line at 8k + 103
    EXPECT_EQ(Px(*p, 0, 0), clBlack);               // border
    for (int x = 23; x <= 63; ++x)                  // the sine's span stays empty
        for (int y = 23; y <= 63; ++y)
            ASSERT_NE(Px(*p, x, y), clNavy) << x << "," << y;
    // The arc from P2 (123, 43) counter-clockwise to P1 (103, 63) around (123, 63): its
    // upper-left quarter, nothing of the other three.
    auto navyNear = [&](int cx, int cy) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (Px(*p, cx + dx, cy + dy) == clNavy)
                    return true;
        return false;
    };
    EXPECT_TRUE(navyNear(109, 49));
    EXPECT_FALSE(navyNear(137, 77));
    EXPECT_FALSE(navyNear(137, 49));
}

TEST_F(PickerTest, FaultyFilesStopQuietly)
{
    Write("LOWER.cmp", CrLf({"component", "<SHAPE>", "1", "-10", "0", "10", "0", "0"}));
    Write("EMPTY.cmp", "");
    Write("HALF.cmp", CrLf({"COMPONENT", "<SHAPE>", "1", "-10", "0", "10", "0", "0",  //
                            "<SHAPE>", "1", "-10", "20", "10q", "20", "0",            //
                            "<SHAPE>", "1", "-10", "40", "10", "40", "0"}));
    Write("TEXTS.cmp", CrLf({"COMPONENT", "<TEXT>", "far", "2147483647", "2147483647", "-2147483648",  //
                             "<TEXT>", "W", "0", "0", "0"}));
    auto p = Picker();
    for (const char* name : {"LOWER", "EMPTY"}) {
        Click(*p, name);
        EXPECT_EQ(Marks(*p), 0) << name;
        EXPECT_TRUE(p->OkayBBut->isEnabled()) << name;
    }
    Click(*p, "HALF");
    EXPECT_EQ(Px(*p, 103, 103), clNavy);
    EXPECT_NE(Px(*p, 103, 143), clNavy);  // the block with the bad number and all after it
    EXPECT_NE(Px(*p, 103, 183), clNavy);
    // An absurd Font and position draw nothing and do not stop the text after it.
    Click(*p, "TEXTS");
    EXPECT_GT(Marks(*p), 0);
    EXPECT_TRUE(messages.empty());

    // A listed file that vanished before the click: the note, the path kept, buttons on.
    Write("GONE.cmp", CrLf({"COMPONENT"}));
    p->FormShow();
    QFile::remove(Path("GONE.cmp"));
    Click(*p, "GONE");
    EXPECT_EQ(p->FileName, Path("GONE.cmp"));
    EXPECT_GT(Marks(*p), 0);
    EXPECT_TRUE(p->OkayBBut->isEnabled());
}

TEST_F(PickerTest, DrawTextSizes)
{
    // Font 300: "Symbol" at size step 18 (58 points); Font 0: "Times New Roman" at 7.
    QImage img = NewBitmap(208, 208);
    TImageCanvas c(img);
    TSelCompWin::DrawText(c, "a", 300, 0, 0);
    EXPECT_EQ(c.Font().Name, "Symbol");
    EXPECT_EQ(c.Font().Size, 58);
    TSelCompWin::DrawText(c, "a", 0, 0, 0);
    EXPECT_EQ(c.Font().Name, "Times New Roman");
    EXPECT_EQ(c.Font().Size, 7);
    TSelCompWin::DrawText(c, "a", INT32_MAX, 0, 0);
    EXPECT_LE(c.Font().Size, 200);
}

TEST_F(PickerTest, NameSearch)
{
    for (const char* n : {"AMP.cmp", "CAP.cmp", "R2.cmp", "RES.cmp", "ZENER.cmp"})
        Write(n, CrLf({"COMPONENT"}));
    auto p = Picker();
    p->show();
    p->CompNmeEdit->setFocus();
    p->CompNmeEdit->setText("*");
    p->CompNmeEdit->end(false);

    // A typed letter becomes upper case and replaces the star; a partial name selects nothing.
    QTest::keyClicks(p->CompNmeEdit, "r");
    EXPECT_EQ(p->CompNmeEdit->text(), "R");
    EXPECT_EQ(p->CompNmeEdit->cursorPosition(), 1);
    EXPECT_FALSE(p->OkayBBut->isEnabled());
    QTest::keyClicks(p->CompNmeEdit, "es");
    EXPECT_EQ(p->CompListBox->currentItem()->text(), "RES");
    EXPECT_EQ(p->FileName, Path("RES.cmp"));
    EXPECT_TRUE(p->OkayBBut->isEnabled());

    struct Case {
        const char* text;
        const char* selected;  // null: none newly selected
    };
    const Case cases[] = {{"AMP", "AMP"}, {"ZENER", "ZENER"}, {"R2", "R2"}, {"ZZ", nullptr}, {"B", nullptr}};
    for (const Case& c : cases) {
        p->CompListBox->setCurrentRow(-1);
        p->CompNmeEdit->setText(c.text);
        if (c.selected)
            EXPECT_EQ(p->CompListBox->currentItem() ? p->CompListBox->currentItem()->text() : "", c.selected)
                << c.text;
        else
            EXPECT_EQ(p->CompListBox->currentRow(), -1) << c.text;
    }
    // Enter with a complete name returns OK, and the chosen name is the one previewed.
    p->CompNmeEdit->setText("CAP");
    p->hide();
    WhenModal([](QWidget* w) { QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Return); });
    EXPECT_EQ(p->exec(), mrOk);
    EXPECT_EQ(p->ChosenName, "CAP");
}

TEST_F(PickerTest, KeysInTheListChooseTheCurrentItem)
{
    // Four components, each drawn differently, so the preview tells which was read.
    Write("BATTERY.cmp", CrLf({"COMPONENT", "<SHAPE>", "1", "-20", "0", "20", "0", "0"}));
    Write("CAP.cmp", CrLf({"COMPONENT", "<SHAPE>", "1", "0", "-20", "0", "20", "0"}));
    Write("DIODE.cmp", CrLf({"COMPONENT", "<SHAPE>", "2", "-10", "-10", "10", "10", "0"}));
    Write("ZENER.cmp", CrLf({"COMPONENT", "<SHAPE>", "4", "0", "0", "40", "40", "0"}));
    auto preview = [this](const QString& name) {
        auto q = Picker();
        Click(*q, name);
        return q->PaintBox->Surface.copy();
    };
    auto p = Picker();
    p->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p.get()));
    // A real click on BATTERY first.
    const QRect row = p->CompListBox->visualItemRect(p->CompListBox->item(0));
    QTest::mouseClick(p->CompListBox->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(p->ChosenName, "BATTERY");

    struct Case {
        const char* keys;   // what is pressed, in order
        std::vector<int> press;
        const char* chosen;
    };
    const Case cases[] = {
        {"Down, Down", {Qt::Key_Down, Qt::Key_Down}, "DIODE"},
        {"Up", {Qt::Key_Up}, "CAP"},
        {"End", {Qt::Key_End}, "ZENER"},
        {"Home", {Qt::Key_Home}, "BATTERY"},
        {"Page Down", {Qt::Key_PageDown}, "ZENER"},
        {"Page Up", {Qt::Key_PageUp}, "BATTERY"},
        {"the letter d", {Qt::Key_D}, "DIODE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        for (int k : c.press)
            QTest::keyClick(p->CompListBox, static_cast<Qt::Key>(k));
        ASSERT_NE(p->CompListBox->currentItem(), nullptr);
        EXPECT_EQ(p->CompListBox->currentItem()->text(), c.chosen);
        EXPECT_EQ(p->ChosenName, c.chosen);
        EXPECT_EQ(p->CompNmeEdit->text(), c.chosen);
        EXPECT_EQ(p->FileName, Path(QString(c.chosen) + ".cmp"));
        EXPECT_TRUE(p->PaintBox->Surface == preview(c.chosen));
    }

    // Down twice from BATTERY, then Enter: the dialog answers OK with DIODE.
    QTest::keyClick(p->CompListBox, Qt::Key_Home);
    p->hide();
    WhenModal([](QWidget* w) {
        auto* list = w->findChild<QListWidget*>("CompListBox");
        ASSERT_NE(list, nullptr);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    EXPECT_EQ(p->exec(), mrOk);
    EXPECT_EQ(p->ChosenName, "DIODE");
    EXPECT_EQ(p->FileName, Path("DIODE.cmp"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(PickerTest, AFolderNamedLikeAComponentIsPassedOver)
{
    // A folder LOWONLY.CMP beside the file lowonly.cmp: the name means the file.
    Write("lowonly.cmp", CrLf({"COMPONENT", "<SHAPE>", "1", "-20", "0", "20", "0", "0"}));
    ASSERT_TRUE(QDir().mkpath(Path("LOWONLY.CMP")));
    auto p = Picker();
    EXPECT_EQ(Items(*p), QStringList{"LOWONLY"});
    Click(*p, "LOWONLY");
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_EQ(p->FileName, Path("lowonly.cmp"));
    EXPECT_GT(Marks(*p), 0);
    // The schematic window's loader takes the same file.
    EXPECT_EQ(FindCompFile(Path("LOWONLY.CMP")), Path("lowonly.cmp"));
    TSchWin sch;
    sch.LoadComp(Path("LOWONLY.CMP"));
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
    ASSERT_TRUE(sch.PlaceComp);
    EXPECT_EQ(sch.PlaceComp->Shapes.size(), 1u);
}

TEST_F(PickerTest, FolderChoiceKeepsThePreviewedComponent)
{
    Write("ONE.cmp", CrLf({"COMPONENT"}));
    ASSERT_TRUE(QDir().mkpath(Path("other")));
    Write("other/TWO.cmp", CrLf({"COMPONENT"}));
    auto p = Picker();
    Click(*p, "ONE");
    QString answer = "./relative";
    p->ChooseFolder = [&] { return answer; };
    p->AltPathSpButClick();
    EXPECT_EQ(p->PathEdit->text(), tmp.path());  // refused: begins with "."
    answer = Path("other");
    p->AltPathSpButClick();
    EXPECT_EQ(Items(*p), QStringList{"TWO"});
    EXPECT_EQ(p->CompNmeEdit->text(), "");
    EXPECT_EQ(p->FileName, Path("ONE.cmp"));
    EXPECT_TRUE(p->OkayBBut->isEnabled());
    // Escape cancels.
    WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(p->exec(), mrCancel);
}

TEST_F(PickerTest, SavePathAndSafeWrite)
{
    Write("res.cmp", "old");
    EXPECT_EQ(CompSavePath(Path("res.cmp")), Path("res.cmp"));
    EXPECT_EQ(CompSavePath(Path("new.cmp")), Path("NEW.CMP"));
    ASSERT_TRUE(QDir().mkpath(Path("lower")));
    EXPECT_EQ(CompSavePath(Path("lower/cap.cmp")), Path("lower/CAP.CMP"));  // the folder keeps its case

    TLines text;
    text.Append("COMPONENT");
    QString error;
    ASSERT_TRUE(WriteCompLines(Path("res.cmp"), text, error));
    EXPECT_EQ(testutil::ReadFile(PathBytes("res.cmp")), "COMPONENT\r\n");
    EXPECT_FALSE(WriteCompLines(Path("missing/x.cmp"), text, error));
    EXPECT_FALSE(error.isEmpty());
}

// ---------------------------------------------------------------- the frame

class CompFrameTest : public PickerTest {
protected:
    void SetUp() override
    {
        PickerTest::SetUp();
        frame = std::make_unique<TMainWin>();
        frame->FirstActivate = false;
        frame->AutoSaveFolder = tmp.path() + "/";
        frame->show();
        Write("R.cmp", CrLf({"COMPONENT", "<SHAPE>", "1", "-8", "0", "8", "0", "0"}));
    }
    void TearDown() override
    {
        for (TSchWin* c : frame->findChildren<TSchWin*>())
            c->ClearModified();
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        PickerTest::TearDown();
    }
    TSchWin* NewSch()
    {
        auto* w = new TSchWin();
        frame->ShowChild(w, false);
        return w;
    }
    // Answers the picker: the temporary folder, then a name typed, then OK.
    void PickWith(const QString& name, std::function<void()> meanwhile = {})
    {
        WhenModal([this, name, meanwhile](QWidget* w) {
            auto* p = qobject_cast<TSelCompWin*>(w);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->PathEdit->text(), LibraryFolder());
            EXPECT_FALSE(p->OkayBBut->isEnabled());
            p->ChooseFolder = [this] { return tmp.path(); };
            p->AltPathSpButClick();
            p->CompNmeEdit->setText(name);
            if (meanwhile)
                meanwhile();
            p->OkayBBut->click();
        });
        frame->mnGetComponentClick();
    }
    std::unique_ptr<TMainWin> frame;
};

TEST_F(CompFrameTest, OkPlacesTheComponent)
{
    TSchWin* w = NewSch();
    PickWith("R");
    EXPECT_TRUE(frame->CompTBut->isChecked());
    EXPECT_FALSE(frame->SelectTBut->isChecked());
    EXPECT_EQ(w->DrawMode, 8);
    ASSERT_TRUE(w->PlaceComp);
    EXPECT_EQ(w->PlaceComp->Shapes.front(), (TShapeRec{1, -8, 0, 8, 0, 0, 0}));
    EXPECT_EQ(frame->DeviceCBox->itemText(0), "R");
    EXPECT_TRUE(messages.empty());
}

TEST_F(CompFrameTest, RecentListKeepsTenNewestFirst)
{
    for (int i = 0; i < 11; ++i) {
        Write(QString("C%1.cmp").arg(i, 2, 10, QChar('0')), CrLf({"COMPONENT"}));
        PickWith(QString("C%1").arg(i, 2, 10, QChar('0')));
    }
    ASSERT_EQ(frame->DeviceCBox->count(), 10);
    EXPECT_EQ(frame->DeviceCBox->itemText(0), "C10");
    EXPECT_EQ(frame->DeviceCBox->itemText(9), "C01");
    EXPECT_EQ(frame->DeviceCBox->currentIndex(), 0);
    PickWith("C10");
    EXPECT_EQ(frame->DeviceCBox->itemText(0), "C10");
    EXPECT_EQ(frame->DeviceCBox->itemText(1), "C10");
}

TEST_F(CompFrameTest, RecentEntryIsTheChosenNameNotTheTypedText)
{
    NewSch();
    WhenModal([this](QWidget* w) {
        auto* p = static_cast<TSelCompWin*>(w);
        p->ChooseFolder = [this] { return tmp.path(); };
        p->AltPathSpButClick();
        p->CompNmeEdit->setText("R");   // selects R
        p->CompNmeEdit->setText("RX");  // a partial text afterwards
        p->OkayBBut->click();
    });
    frame->mnGetComponentClick();
    EXPECT_EQ(frame->DeviceCBox->itemText(0), "R");
}

TEST_F(CompFrameTest, HandOverDuringThePicker)
{
    frame->StartupDone = true;
    QPointer<TSchWin> first = NewSch();
    const QString sch = Path("handed.sch");
    Write("handed.sch", CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "0", "0"}));
    PickWith("R", [&] {
        delete first.data();  // the window the picker was opened over goes away
        ReceiveHandOver(HandOverRequest({sch}));
    });
    EXPECT_FALSE(first);
    auto* now = dynamic_cast<TSchWin*>(frame->ActiveChild());
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->FileName, sch);
    EXPECT_EQ(now->DrawMode, 8);
    EXPECT_TRUE(now->PlaceComp);
}

TEST_F(CompFrameTest, OversizedAndBinaryFilesAreRefusedOrStopQuietly)
{
    {
        QFile big(Path("HUGE.cmp"));  // one 100 MB line of NULs (sparse, so quick to make)
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(qint64{100} << 20));
    }
    std::string bin = "COMPONENT\r\n<SHAPE>\r\n";
    for (int i = 0; i < 200; ++i)
        bin += std::string("\0\x01\xff\r\n\x80", 6);
    Write("BIN.cmp", bin);

    auto p = Picker();
    Click(*p, "HUGE");
    ASSERT_EQ(messages.size(), 1u);  // the file's error, with its path
    EXPECT_TRUE(messages[0].contains(Path("HUGE.cmp"))) << messages[0].toStdString();
    EXPECT_TRUE(p->OkayBBut->isEnabled());
    EXPECT_EQ(Marks(*p), 0);
    Click(*p, "BIN");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Marks(*p), 0);

    // The schematic window's loader refuses both, naming the file.
    TSchWin* w = NewSch();
    for (const char* name : {"HUGE.cmp", "BIN.cmp"}) {
        messages.clear();
        w->LoadComp(Path(name));
        EXPECT_FALSE(w->PlaceComp) << name;
        ASSERT_EQ(messages.size(), 1u) << name;
        EXPECT_TRUE(messages[0].startsWith("File: " + Path(name) + "\rHas Errors!")) << messages[0].toStdString();
    }
}

TEST_F(CompFrameTest, NoSchematicWindowOnlyTheListChanges)
{
    PickWith("R");
    EXPECT_EQ(frame->DeviceCBox->itemText(0), "R");
    EXPECT_FALSE(frame->CompTBut->isChecked());
    // Choosing from the list with no schematic window does nothing, keys stay with the list.
    frame->DeviceCBoxClick(0);
    EXPECT_TRUE(messages.empty());
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    EXPECT_FALSE(frame->DeviceCBoxKeyDown(&down));
}

TEST_F(CompFrameTest, RecentBoxLoadsFromTheLibraryAndForwardsKeys)
{
    TSchWin* w = NewSch();
    PickWith("R");
    frame->SelectTBut->click();
    EXPECT_EQ(w->DrawMode, 0);
    // A programmatic change of the box loads nothing.
    frame->DeviceCBox->setCurrentIndex(-1);
    frame->DeviceCBox->setCurrentIndex(0);
    EXPECT_TRUE(messages.empty());
    // The user's choice builds the path in the library folder.
    emit frame->DeviceCBox->activated(0);
    EXPECT_EQ(w->DrawMode, 8);
    EXPECT_TRUE(frame->CompTBut->isChecked());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Component: " + LibraryFolder() + "/R.cmp\rNOT FOUND!");

    // A key in the box goes to the window and no further: the box keeps its entry.
    frame->DeviceCBox->insertItem(0, "OTHER");
    frame->DeviceCBox->setCurrentIndex(0);
    QTest::keyClick(frame->DeviceCBox, Qt::Key_Down);
    EXPECT_EQ(frame->DeviceCBox->currentIndex(), 0);
    EXPECT_EQ(messages.size(), 1u);
}

} // namespace

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "windows/CharWin_.h"
#include "windows/SizeDlg_.h"
#include "windows/TypeArrowDlg_.h"
#include "windows/TypeLineDlg_.h"
#include "platform/msgbox.h"
#include "schematic/SchGestures.h"

namespace {

TColor At(const TValueDialog& d, int x, int y) { return RgbToColor(d.PaintBoxImage().pixel(x, y)); }

// Clicks a button of the next modal dialog once it is up.
void ClickLater(std::function<void()> f)
{
    QTimer::singleShot(0, [f] {
        if (QApplication::activeModalWidget())
            f();
    });
}

TEST(ValueDialogs, PressMapsAndRanges)
{
    struct Case {
        int dialog, y, value;
    };
    const Case cases[] = {
        {0, 0, 1}, {0, 10, 1}, {0, 29, 1}, {0, 30, 2}, {0, 200, 10}, {0, 215, 11},
        {1, 0, 1}, {1, 38, 1}, {1, 39, 2}, {1, 150, 5}, {1, 184, 5},
        {2, 0, 1}, {2, 39, 1}, {2, 40, 2}, {2, 160, 6}, {2, 192, 6},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TValueDialog> d;
        if (c.dialog == 0)
            d = std::make_unique<TSizeDialog>();
        else if (c.dialog == 1)
            d = std::make_unique<TTypeLineDialog>();
        else
            d = std::make_unique<TTypeArrowDialog>();
        EXPECT_EQ(d->Value(), 1);
        d->Value() = 3;
        d->PaintBoxMouseDown(c.y);
        EXPECT_EQ(d->Value(), c.value) << "dialog " << c.dialog << " y " << c.y;
        EXPECT_EQ(d->SzeText(), QString::number(c.value));
    }
}

TEST(ValueDialogs, SpinClampsAndLabelFollows)
{
    TSizeDialog d;
    d.PenSize = 12;
    d.PaintBoxPaint();
    EXPECT_EQ(d.SzeText(), "12");
    // No red bar for widths above 10.
    for (int y = 0; y < 217; ++y)
        ASSERT_NE(At(d, 100, y), clRed) << y;
    for (int i = 0; i < 5; ++i)
        d.SpinUp->click();
    EXPECT_EQ(d.PenSize, 15);
    EXPECT_EQ(d.SzeText(), "15");
    for (int i = 0; i < 20; ++i)
        d.UpDownSpinClick(false);
    EXPECT_EQ(d.PenSize, 1);
    EXPECT_EQ(d.SzeText(), "1");
    TTypeLineDialog l;
    for (int i = 0; i < 9; ++i)
        l.UpDownSpinClick(true);
    EXPECT_EQ(l.PenType, 5);
    TTypeArrowDialog a;
    for (int i = 0; i < 9; ++i)
        a.UpDownSpinClick(true);
    EXPECT_EQ(a.ArrowType, 6);
    EXPECT_EQ(a.CboxSetDefault->text(), "Set as the Default Arrow Type");
    EXPECT_FALSE(a.CboxSetDefault->isChecked());
    EXPECT_EQ(d.windowTitle(), "Line Width Selection");
    EXPECT_EQ(l.windowTitle(), "Line Type Selection");
    EXPECT_EQ(a.windowTitle(), "Arrow Type Selection");
}

TEST(ValueDialogs, WidthBarsAreAsThickAsTheirNumber)
{
    TSizeDialog d;
    d.PenSize = 3;
    d.PaintBoxPaint();
    for (int i = 1; i <= 10; ++i) {
        const int top = 20 * i - i / 2;
        const TColor want = i == 3 ? clRed : clNavy;
        EXPECT_EQ(At(d, 9, top), clWhite);
        EXPECT_EQ(At(d, 10, top), want) << i;
        EXPECT_EQ(At(d, 179, top + i - 1), want) << i;
        EXPECT_EQ(At(d, 180, top), clWhite) << i;
        EXPECT_EQ(At(d, 100, top - 1), clWhite) << i;
        EXPECT_EQ(At(d, 100, top + i), clWhite) << i;
    }
}

TEST(ValueDialogs, ArrowSamplesHeadsPerType)
{
    // (167, y-1) lies inside a plain right head and outside a notched one, (23, y-1) likewise
    // for a left head; column 20 above the shaft is empty without a left head.
    for (int chosen = 1; chosen <= 6; ++chosen) {
        TTypeArrowDialog d;
        d.ArrowType = chosen;
        d.PaintBoxPaint();
        for (int i = 1; i <= 6; ++i) {
            const int y = 30 * i - 10;
            const TColor col = i == chosen ? clRed : clNavy;
            EXPECT_EQ(At(d, 100, y), col) << i;  // the shaft
            EXPECT_EQ(At(d, 100, y + 1), clWhite) << i;
            EXPECT_EQ(At(d, 178, y), col) << i;
            EXPECT_EQ(At(d, 167, y - 1), i == 1 || i == 4 ? col : clWhite) << "type " << i;
            EXPECT_EQ(At(d, 23, y - 1), i == 4 ? col : clWhite) << "type " << i;
            int left = 0;
            for (int yy = y - 7; yy < y; ++yy)
                left += At(d, 20, yy) == col;
            EXPECT_EQ(left > 0, i >= 4) << "type " << i;
        }
    }
}

TEST(ValueDialogs, LineStyleSamples)
{
    TTypeLineDialog d;
    d.PenType = 2;
    d.PaintBoxPaint();
    for (int i = 1; i <= 5; ++i) {
        const int y = 37 * i - 18;
        int on = 0;
        for (int x = 15; x < 180; ++x)
            if (At(d, x, y) != clWhite) {
                ++on;
                EXPECT_EQ(At(d, x, y), i == 2 ? clRed : clNavy);
            }
        if (i == 1)
            EXPECT_EQ(on, 165);
        else
            EXPECT_LT(on, 150) << "style " << i;
    }
    EXPECT_TRUE(d.LabelWarn->text().startsWith("Note: Line Types only work when\n"));
}

TEST(ArrowDialog, ReadBackAfterOkAndCancel)
{
    int32_t t = 1;
    bool def = false;
    ClickLater([] {
        auto* d = qobject_cast<TTypeArrowDialog*>(QApplication::activeModalWidget());
        d->PaintBoxMouseDown(100);
        d->CboxSetDefault->setChecked(true);
        d->CancelBitBut->click();
    });
    EXPECT_FALSE(RunArrowDialog(nullptr, t, def));
    EXPECT_EQ(t, 4);
    EXPECT_TRUE(def);
    ClickLater([] {
        auto* d = qobject_cast<TTypeArrowDialog*>(QApplication::activeModalWidget());
        d->UpDownSpinClick(true);
        d->OkBitBut->click();
    });
    EXPECT_TRUE(RunArrowDialog(nullptr, t, def));
    EXPECT_EQ(t, 5);
    EXPECT_FALSE(def);
}

TEST(CharWin, TableHighlightAndInsert)
{
    TCharWin w;
    EXPECT_EQ(w.windowTitle(), "Input Text String");
    EXPECT_EQ(w.CharBmp().size(), QSize(510, 342));
    EXPECT_EQ(RgbToColor(w.CharBmp().pixel(509, 341)), 0xC0FFFFu);
    w.FormClick();  // nothing highlighted yet
    EXPECT_TRUE(w.StrEdit->text().isEmpty());
    w.FormMouseMove(10, 10);  // above the table: no code
    EXPECT_EQ(w.CurChar, 0);
    w.FormMouseMove(40, 80);  // column 1 of row 3: code 65
    EXPECT_EQ(w.CurChar, 65);
    EXPECT_EQ(w.Highlight(), QRect(QPoint(36, 79), QPoint(59, 100)));
    w.StrEdit->setText("xy");
    w.StrEdit->setCursorPosition(1);
    w.FormClick();
    w.FormClick();
    EXPECT_EQ(w.StrEdit->text(), "xAAy");
    EXPECT_EQ(w.StrEdit->cursorPosition(), 3);
    // Only a click on the dialog's own surface inserts: not one on the bottom panel or its
    // labels.
    w.StrEdit->setText("xy");
    w.StrEdit->setCursorPosition(1);
    QTest::mouseClick(w.BotPanel, Qt::LeftButton, {}, QPoint(340, 16));
    QTest::mouseClick(w.FontLabel, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseClick(w.LabelAng, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(w.StrEdit->text(), "xy");
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(40, 80));
    EXPECT_EQ(w.StrEdit->text(), "xAy");
    // Outside the table the last character stays chosen.
    w.FormMouseMove(600, 500);
    EXPECT_EQ(w.CurChar, 65);
    w.FormMouseMove(511, 359);  // code 255 would be column 15; column 15 of the last row
    w.FormMouseMove(480, 350);
    EXPECT_EQ(w.CurChar, 255);
    // The table is drawn in the font the box chooses.
    const QImage plain = w.CharBmp().copy();
    w.SetSymbol(true);
    EXPECT_NE(w.CharBmp(), plain);
}

TEST(CharWin, BytesSurviveBothFontsAndLineBreaksNeverEnter)
{
    std::string all;
    for (int b = 32; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    for (bool sym : {false, true}) {
        TCharWin w;
        w.SetSymbol(sym);
        w.SetTextBytes(all);
        EXPECT_EQ(w.TextBytes(), all) << sym;
        w.SetSymbol(!sym);
        w.SetSymbol(sym);
        EXPECT_EQ(w.TextBytes(), all) << sym;
    }
    TCharWin w;
    w.StrEdit->setText(QString::fromLatin1("a\r\nb") + QChar(0) + "c");
    EXPECT_EQ(w.TextBytes(), "abc");
    QApplication::clipboard()->setText("x\ny\r\n");
    w.StrEdit->setCursorPosition(1);
    w.StrEdit->paste();
    EXPECT_EQ(w.TextBytes().find_first_of(std::string("\r\n\0", 3)), std::string::npos);
}

TEST(CharWin, RunPresetsAndReadsBack)
{
    // A symbol text confirmed without edits keeps its exact bytes and its word.
    TCharDlgValues v{"\xB5 a\x81\xFF", true, 4, 1};
    ClickLater([] {
        auto* w = qobject_cast<TCharWin*>(QApplication::activeModalWidget());
        EXPECT_TRUE(w->SymCheckBox->isChecked());
        EXPECT_EQ(w->FontComBox->currentText(), "5");
        EXPECT_EQ(w->AngComBox->currentIndex(), 1);
        w->OKBut->click();
    });
    TCharDlgValues got = v;
    EXPECT_TRUE(RunCharWin(nullptr, got));
    EXPECT_EQ(got.Text, v.Text);
    EXPECT_EQ(got.Symbol, true);
    EXPECT_EQ(got.SizeIndex, 4);
    EXPECT_EQ(got.AngleIndex, 1);
    // Steps beyond the list show no entry and confirm as -1; a cancel changes nothing.
    TCharDlgValues big{"t", false, 8, 0};
    ClickLater([] {
        auto* w = qobject_cast<TCharWin*>(QApplication::activeModalWidget());
        EXPECT_EQ(w->FontComBox->currentIndex(), -1);
        w->OKBut->click();
    });
    EXPECT_TRUE(RunCharWin(nullptr, big));
    EXPECT_EQ(big.SizeIndex, -1);
    TCharDlgValues c{"keep", false, 2, 0};
    ClickLater([] {
        auto* w = qobject_cast<TCharWin*>(QApplication::activeModalWidget());
        w->StrEdit->setText("changed");
        w->CancelBtn->click();
    });
    EXPECT_FALSE(RunCharWin(nullptr, c));
    EXPECT_EQ(c.Text, "keep");
}

} // namespace

TEST(InputBox, FixedSizeWithItsWholeCaption)
{
    const QString caption = "Alter ALL current text to size:";
    QString value = "3";
    bool fixed = false, noMinMax = false, wideEnough = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        fixed = d->minimumSize() == d->maximumSize();
        noMinMax = !(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        wideEnough = d->width() > d->fontMetrics().horizontalAdvance(caption);
        d->setTextValue("7");
        d->accept();
    });
    EXPECT_TRUE(InputQuery(caption, "Font Size:    (3 is default)", value));
    EXPECT_EQ(value, "7");
    EXPECT_TRUE(fixed);
    EXPECT_TRUE(noMinMax);
    EXPECT_TRUE(wideEnough);
}

TEST(FixedDialogs, FixedBeforeTheFirstShowWithRoomForTheWholeTitle)
{
    // The window manager reads the size limits and buttons when it first maps the window:
    // a size fixed only later leaves it resizable and maximisable there.
    struct Case {
        const char* Name;
        std::function<QDialog*()> Make;
    } cases[] = {
        {"line width", [] { return static_cast<QDialog*>(new TSizeDialog(nullptr)); }},
        {"line style", [] { return static_cast<QDialog*>(new TTypeLineDialog(nullptr)); }},
        {"arrow type", [] { return static_cast<QDialog*>(new TTypeArrowDialog(nullptr)); }},
        {"characters", [] { return static_cast<QDialog*>(new TCharWin(nullptr)); }},
        {"font size box",
         [] { return MakeInputBox("Alter ALL current text to size:", "Font Size:    (3 is default)", {}); }},
        {"rescale box",
         [] { return MakeInputBox("Rescale Shapes", "Increase Scale (x2.5) or Decrease Scale (/2.5)", {}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<QDialog> d(c.Make());
        EXPECT_EQ(d->minimumSize(), d->maximumSize());
        const Qt::WindowFlags f = d->windowFlags();
        // Without the customise flag the toolkit asks for every button whatever else is set.
        EXPECT_TRUE(f & Qt::CustomizeWindowHint);
        EXPECT_FALSE(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
        QFont bold = d->font();
        bold.setBold(true);
        // The title in a bold face, the icon and the close button beside it.
        EXPECT_GT(d->width(), QFontMetrics(bold).horizontalAdvance(d->windowTitle()) + 60) << d->width();
        d->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(d->minimumSize(), d->maximumSize());
        EXPECT_EQ(d->size(), d->minimumSize());
        // Every control inside the dialog.
        for (QWidget* child : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && child->isVisibleTo(d.get()))
                EXPECT_TRUE(d->rect().contains(child->geometry())) << child->metaObject()->className();
    }
}

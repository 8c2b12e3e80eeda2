// The hint window driven through its buttons, keys and the frame's menu items, offscreen.
#include "app/HelpWin_.h"
#include "app/Main_.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest/QTest>

namespace {

// Counts the moves a press would start instead of asking the window system.
class TCountingHelpWin : public THelpWin {
public:
    using THelpWin::THelpWin;
    int Moves = 0;

protected:
    bool StartMove() override
    {
        ++Moves;
        return true;
    }
};

class HelpWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = std::make_unique<TMainWin>();
        frame->show();
    }
    void TearDown() override { frame.reset(); }

    TCountingHelpWin* Make(bool showAtStart)
    {
        frame->mnShowHintStart->setChecked(showAtStart);
        auto* h = new TCountingHelpWin(frame.get());
        QCoreApplication::processEvents();
        return h;
    }

    std::unique_ptr<TMainWin> frame;
};

QRect Screen() { return QGuiApplication::primaryScreen()->geometry(); }

} // namespace

TEST(HelpWinPlace, NarrowScreensPutItIntoTheCorner)
{
    const QSize win(THelpWin::kWidth, THelpWin::kHeight);
    struct Case {
        QSize screen;
        QPoint at;
    };
    const Case cases[] = {
        {{1600, 1000}, {1600 - 295 - 20, 1000 - 139 - 25}},
        {{700, 500}, {700 - 295 - 20, 500 - 139 - 25}},
        {{699, 500}, {699 - 295, 500 - 139}},
        {{640, 480}, {640 - 295, 480 - 139}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(THelpWin::FirstPlace(c.screen, win), c.at) << c.screen.width();
}

TEST_F(HelpWinTest, ShownAtStartWhereItWasFirstPlaced)
{
    THelpWin* h = Make(true);
    EXPECT_EQ(frame->HelpWin, h);
    EXPECT_TRUE(h->isVisible());
    EXPECT_TRUE(frame->mnShowHelp->isChecked());
    EXPECT_EQ(h->size(), QSize(295, 139));
    // Showing sends a first resize; it must not move the window into the corner.
    EXPECT_EQ(h->pos(), Screen().topLeft() + THelpWin::FirstPlace(Screen().size(), h->size()));
    EXPECT_TRUE(h->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(h->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(h->palette().color(QPalette::Window), QColor(255, 255, 192));

    // A real change of size keeps it in the corner.
    h->resize(300, 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(h->pos(), Screen().bottomRight() + QPoint(1, 1) - QPoint(300, 150));
}

TEST_F(HelpWinTest, HiddenAtStartWhenNotAsked)
{
    THelpWin* h = Make(false);
    EXPECT_FALSE(h->isVisible());
    EXPECT_FALSE(frame->mnShowHelp->isChecked());
    frame->mnShowHelp->trigger();
    EXPECT_TRUE(h->isVisible());
    EXPECT_TRUE(frame->mnShowHelp->isChecked());
}

TEST_F(HelpWinTest, PagesForwardAndBack)
{
    THelpWin* h = Make(true);
    EXPECT_EQ(h->Page, 0);
    EXPECT_FALSE(h->PrevBut->isEnabled());
    EXPECT_TRUE(h->NextBtn->isEnabled());
    EXPECT_TRUE(h->HelpLabel->text().startsWith("\nUse the NEXT and PREVIOUS buttons"));
    ASSERT_TRUE(h->Image->isVisibleTo(h));
    EXPECT_EQ(h->Image->pos(), QPoint(80, 4));

    for (int page = 1; page <= 12; ++page) {
        QTest::mouseClick(h->NextBtn, Qt::LeftButton);
        ASSERT_EQ(h->Page, page);
        EXPECT_TRUE(h->PrevBut->isEnabled());
        EXPECT_EQ(h->NextBtn->isEnabled(), page < 12) << page;
        EXPECT_EQ(h->HelpLabel->text(), THelpWin::PageText(page));
        if (page < 12) {
            // Every picture is there, inside the window and clear of the buttons.
            ASSERT_TRUE(h->Image->isVisibleTo(h)) << page;
            ASSERT_NE(h->Image->pixmap().size(), QSize()) << page;
            const QRect r = h->Image->geometry();
            EXPECT_EQ(r.size(), h->Image->pixmap().size()) << page;
            EXPECT_TRUE(QRect(0, 0, 295, 110).contains(r)) << page;
        }
    }
    EXPECT_EQ(h->HelpLabel->text(), "The help topic is complete.");
    EXPECT_FALSE(h->Image->isVisibleTo(h));
    EXPECT_EQ(h->Image->geometry(), QRect(246, 4, 43, 43));

    QTest::mouseClick(h->PrevBut, Qt::LeftButton);
    EXPECT_EQ(h->Page, 11);
    EXPECT_TRUE(h->NextBtn->isEnabled());
    EXPECT_TRUE(h->Image->isVisibleTo(h));
    for (int i = 0; i < 11; ++i)
        QTest::mouseClick(h->PrevBut, Qt::LeftButton);
    EXPECT_EQ(h->Page, 0);
    EXPECT_FALSE(h->PrevBut->isEnabled());
    EXPECT_EQ(h->Image->pos(), QPoint(80, 4));
}

TEST(HelpWinText, BreaksAtTheHintsCarriageReturnsAndNamesUnknownPages)
{
    EXPECT_EQ(THelpWin::PageText(1), "Start a new Circuit Schematic by \nselecting the FILE - NEW menu \nitem.\nOr load "
                                     "a saved Circuit Schematic by \nselecting the FILE - OPEN menu item.");
    EXPECT_EQ(THelpWin::PageText(13), "No Help Topic for number - 13");
    EXPECT_EQ(THelpWin::PageText(-1), "No Help Topic for number - -1");
    EXPECT_TRUE(THelpWin::PagePicture(12).isEmpty());
    EXPECT_TRUE(THelpWin::PagePicture(-1).isEmpty());
}

TEST_F(HelpWinTest, CloseClearsTheMarkAndTheItemBringsBackTheSamePage)
{
    THelpWin* h = Make(true);
    QTest::mouseClick(h->NextBtn, Qt::LeftButton);
    QTest::mouseClick(h->NextBtn, Qt::LeftButton);
    QTest::mouseClick(h->CloseBtn, Qt::LeftButton);
    EXPECT_FALSE(h->isVisible());
    EXPECT_FALSE(frame->mnShowHelp->isChecked());

    frame->mnShowHelp->trigger();
    EXPECT_TRUE(h->isVisible());
    EXPECT_TRUE(frame->mnShowHelp->isChecked());
    EXPECT_EQ(h->Page, 2);
    EXPECT_EQ(h->HelpLabel->text(), THelpWin::PageText(2));
    frame->mnShowHelp->trigger();
    EXPECT_FALSE(h->isVisible());
}

TEST_F(HelpWinTest, KeysGoBackToTheFrame)
{
    THelpWin* h = Make(true);
    EXPECT_TRUE(h->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    // Another window holds the keyboard when a key reaches the hint window.
    QWidget other;
    auto away = [&] {
        other.show();
        other.activateWindow();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), &other);
    };
    away();
    QTest::keyClick(h->NextBtn, Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_EQ(h->Page, 0);   // the key does not press the button
    EXPECT_EQ(QApplication::activeWindow(), frame.get());
    away();
    QTest::keyClick(h, Qt::Key_A);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), frame.get());
    // So do the buttons, Close included.
    for (QPushButton* b : {h->NextBtn, h->PrevBut, h->CloseBtn}) {
        away();
        QTest::mouseClick(b, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), frame.get()) << b->text().toStdString();
    }
}

TEST_F(HelpWinTest, DraggingStartsAnywhereButOnTheButtons)
{
    auto* h = Make(true);
    QTest::mousePress(h, Qt::LeftButton, {}, h->HelpLabel->geometry().center());
    QTest::mouseRelease(h, Qt::LeftButton, {}, h->HelpLabel->geometry().center());
    QTest::mousePress(h, Qt::LeftButton, {}, QPoint(290, 135));
    QTest::mouseRelease(h, Qt::LeftButton, {}, QPoint(290, 135));
    EXPECT_EQ(h->Moves, 2);
    QTest::mouseClick(h->NextBtn, Qt::LeftButton);
    QTest::mousePress(h, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(h->Moves, 2);
    EXPECT_EQ(h->Page, 1);
}

TEST_F(HelpWinTest, ItsTextIsSetLikeEveryOtherLabel)
{
    // The drawing canvas's font (no smoothing, no kerning) spaced the letters of the hints
    // unevenly; the hints are labels, set as the frame's own labels are.
    THelpWin* h = Make(true);
    QLabel probe(QStringLiteral("probe"), frame.get());
    EXPECT_EQ(h->HelpLabel->font(), probe.font());
    EXPECT_EQ(h->NextBtn->font(), probe.font());
    EXPECT_FALSE(h->HelpLabel->font().styleStrategy() & QFont::NoAntialias);
    EXPECT_TRUE(h->HelpLabel->font().kerning());
}

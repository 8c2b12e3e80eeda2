// The search window driven through its handlers: searching, the grid, the strip, scrolling,
// selection and the file commands, on small trees in private XDG folders.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/folders.h"
#include "platform/msgbox.h"
#include "platform/folder_widgets.h"
#include "search/DirSelect_.h"
#include "search/SearchWin_.h"
#include "search/core/grid.h"
#include "tests/support/modal.h"
#include "tests/support/xdg_fixture.h"

namespace {

// A schematic with one navy-filled box: mid-grey (128) in its thumbnail around (55, 35).
const std::string kSchematic = "SCHEMATIC\r\n<SHAPE>\r\n2\r\n10\r\n10\r\n100\r\n60\r\n1\r\n";

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
bool ThumbDrawn(const QImage& img, int col, int row) { return At(img, col * 250 + 3 + 55, row * 150 + 5 + 35) == 0x808080; }

class SearchWin : public testutil::XdgFixture {
protected:
    void SetUp() override
    {
        XdgFixture::SetUp();
        Tree = Root + "/tree/";
        QDir().mkpath(QString::fromStdString(Tree));
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r);
            return Answer;
        });
        Win = std::make_unique<TSearchWin>();
        Win->show();
        Win->Timer->stop();
    }
    void TearDown() override
    {
        Win.reset();
        SetMsgResponder(nullptr);
        XdgFixture::TearDown();
    }
    // 7 columns by 6 rows.
    void BigWindow()
    {
        Win->resize(1780, 998);
        QApplication::processEvents();
        ASSERT_EQ(Win->Cols, 7);
        ASSERT_EQ(Win->Rows, 6);
    }
    void Files(int n, const std::string& sub = "")
    {
        for (int i = 0; i < n; ++i)
            Put(Tree + sub + "f" + std::to_string(i) + ".sch", kSchematic);
    }
    void Search()
    {
        Win->EditFolderStart->setText(QString::fromStdString(Tree));
        Win->BtnGoClick();
    }
    void Select(int col, int row) { Win->PaintBoxMouseDown(col * 250 + 20, row * 150 + 20); }
    std::string Strip() const
    {
        return Win->PanelMessages->isVisible() ? Win->MessagesText->text().toStdString() : std::string();
    }

    std::string Tree;
    std::unique_ptr<TSearchWin> Win;
    std::vector<TMsgRecord> Messages;
    int Answer = mrYes;
};

TEST_F(SearchWin, StartsSizedToTheScreenWithTheDocumentsFolder)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    TSearchWin w;
    EXPECT_EQ(w.Cols, search::GridCols(screen.width()));
    EXPECT_EQ(w.Rows, search::GridRows(screen.height()));
    EXPECT_EQ(w.width(), w.Cols * 250 + 30);
    EXPECT_EQ(w.height(), w.Rows * 150 + 98);
    EXPECT_EQ(w.windowTitle(), "Search for Schematics");
    EXPECT_EQ(w.EditFolderStart->text(), GetDocsFolder());
    EXPECT_TRUE(w.Timer->isActive());
    // "No Schematics" in black near (20, 20).
    bool text = false;
    for (int y = 20; y < 34; ++y)
        for (int x = 20; x < 100; ++x)
            text = text || At(w.BackBmp, x, y) == 0;
    EXPECT_TRUE(text);

    // Too small a window still has one cell each way.
    Win->resize(10, 10);
    QApplication::processEvents();
    EXPECT_GE(Win->Cols, 1);
    EXPECT_GE(Win->Rows, 1);
    EXPECT_GE(Win->width(), 280);
    EXPECT_EQ(Win->BackBmp.size(), Win->PaintBox->size());
}

TEST_F(SearchWin, StartFolderArgumentIsSearchedOnceTheTimerFires)
{
    Files(2);
    TSearchWin w({QString::fromStdString(Tree)});
    EXPECT_TRUE(w.Found.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Found.size() == 2; }, 5000));
    EXPECT_EQ(w.EditFolderStart->text().toStdString(), Tree);
    EXPECT_FALSE(w.Timer->isActive());
}

TEST_F(SearchWin, FolderDialogChoiceIsSearched)
{
    Files(1, "picked/");
    // A folder that does not exist opens its nearest existing parent.
    Win->EditFolderStart->setText(QString::fromStdString(Tree + "picked/not/there"));
    std::string opened;
    testutil::WhenModal([&](QWidget* w) {
        auto* d = static_cast<TDirSelect*>(w);
        EXPECT_EQ(d->windowTitle(), "Directory Selection");
        opened = d->DirectoryListBox->DirectoryBytes();
        d->OKBtn->click();
    });
    Win->SpButDirectClick();
    EXPECT_EQ(opened, Tree + "picked");
    EXPECT_EQ(Win->EditFolderStart->text().toStdString(), Tree + "picked/");
    EXPECT_EQ(Win->Found.size(), 1u);

    // Cancel changes nothing.
    testutil::WhenModal([](QWidget* w) { static_cast<TDirSelect*>(w)->CancelBtn->click(); });
    Win->EditFolderStart->setText("/");
    Win->SpButDirectClick();
    EXPECT_EQ(Win->EditFolderStart->text(), "/");
    EXPECT_EQ(Win->Found.size(), 1u);
}

TEST_F(SearchWin, FortyThreeFilesScrollByOneRow)
{
    BigWindow();
    const struct {
        int files;
        bool enabled;
        int max;
    } cases[] = {{42, false, 0}, {43, true, 1}};
    for (const auto& c : cases) {
        Files(c.files);
        Search();
        EXPECT_EQ(Win->windowTitle().toStdString(), "Search for Schematics [" + std::to_string(c.files) + " Schematics]");
        EXPECT_EQ(Win->ScrollBar->isEnabled(), c.enabled) << c.files;
        EXPECT_EQ(Win->ScrollBar->maximum(), c.max) << c.files;
        EXPECT_TRUE(ThumbDrawn(Win->BackBmp, 6, 5)) << c.files;
        EXPECT_EQ(Strip(), "");
    }
    // Page 1 shows the 43rd file in its last row.
    Win->ScrollBar->setValue(1);
    EXPECT_TRUE(ThumbDrawn(Win->BackBmp, 0, 5));
    EXPECT_FALSE(ThumbDrawn(Win->BackBmp, 1, 5));
    Select(0, 5);
    EXPECT_EQ(Win->SelIndex, 42);
    EXPECT_EQ(Win->StatusBar->text().toStdString(), Win->Found[42]);
    Select(1, 5);
    EXPECT_EQ(Win->SelIndex, -100);
}

TEST_F(SearchWin, DroppedFilesAreReportedInTheStrip)
{
    Files(3);
    Put(Tree + "notes.sch", "just\r\nsome\r\ntext\r\nof\r\nsix\r\nlines\r\n");
    ASSERT_EQ(::mkfifo((Tree + "pipe.sch").c_str(), 0644), 0);
    const std::string ending = " Schematic \"*.sch\" files with unknown format removed from search list.";
    Search();
    // The caption counts the walk; drawing dropped the two that are not schematics.
    EXPECT_EQ(Win->windowTitle(), "Search for Schematics [5 Schematics]");
    EXPECT_EQ(Win->Found.size(), 3u);
    EXPECT_EQ(Strip(), "  Error: 2" + ending);

    ::unlink((Tree + "f1.sch").c_str());
    Win->ScrollBarChange();
    EXPECT_EQ(Strip(), "  Error: 1 missing files.");
    EXPECT_EQ(Win->Found.size(), 2u);

    // Kept and framed when asked to, with the first line in grey.
    Win->mnShowErrorFiles->trigger();
    ASSERT_TRUE(Win->mnShowErrorFiles->isChecked());
    Search();
    EXPECT_EQ(Win->Found.size(), 4u);
    EXPECT_EQ(Strip(), "");
    int kept = 0;
    for (int col = 0; col < Win->Cols && col < 4; ++col) {
        const int L = col * 250, T = 2, R = L + 250, B = 152;
        EXPECT_EQ(At(Win->BackBmp, L, T + 20), 0xFFFFFFu);
        EXPECT_EQ(At(Win->BackBmp, L + 1, T + 20), 0xFFFFFFu);
        EXPECT_EQ(At(Win->BackBmp, R - 1, T + 20), 0u);
        EXPECT_EQ(At(Win->BackBmp, L + 20, B - 2), 0u);
        if (!ThumbDrawn(Win->BackBmp, col, 0))
            ++kept;
    }
    if (Win->Cols >= 4) {
        EXPECT_EQ(kept, 2);
        bool grey = false;
        for (int col = 0; col < 4; ++col)
            for (int y = 6; y < 20; ++y)
                for (int x = col * 250 + 4; x < col * 250 + 60; ++x)
                    grey = grey || At(Win->BackBmp, x, y) == 0x808080;
        EXPECT_TRUE(grey) << "the first line of notes.sch";
    }
}

TEST_F(SearchWin, EndSearchKeepsWhatWasFoundAndNothingIsSelectedMeanwhile)
{
    for (int d = 0; d < 5; ++d)
        Files(20, std::to_string(d) + "/");
    Win->Walk.SliceMs = 0;
    int64_t selDuringWalk = 0;
    bool stopShown = false;
    QTimer::singleShot(0, Win.get(), [&] {
        stopShown = Win->BtnStopIt->isVisible() && !Win->BtnGo->isVisible();
        Select(0, 0);
        selDuringWalk = Win->SelIndex;
        Win->BtnStopIt->click();
    });
    Search();
    EXPECT_TRUE(stopShown);
    EXPECT_EQ(selDuringWalk, -100);
    EXPECT_FALSE(Win->Found.empty());
    EXPECT_LT(Win->Found.size(), 100u);
    EXPECT_TRUE(ThumbDrawn(Win->BackBmp, 0, 0));
    EXPECT_TRUE(Win->BtnGo->isVisible());
    EXPECT_FALSE(Win->Searching);
}

TEST_F(SearchWin, ClosingDuringAWalkWaitsForItToUnwind)
{
    Files(50);
    Win->Walk.SliceMs = 0;
    bool visibleAfterClose = false;
    QTimer::singleShot(0, Win.get(), [&] {
        Win->close();
        visibleAfterClose = Win->isVisible();
    });
    Search();
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(Win->isVisible());
    EXPECT_LT(Win->Found.size(), 50u);
}

TEST_F(SearchWin, SelectionSurvivesExposeButNotARedraw)
{
    Files(4);
    Search();
    Select(1, 0);
    ASSERT_EQ(Win->SelIndex, 1);
    EXPECT_EQ(Win->HiLeft, 250);
    EXPECT_EQ(Win->HiTop, 0);
    // The highlight is exclusive-or'ed over the thumbnail, and only shown, never drawn into the page.
    EXPECT_EQ(At(Win->PaintBox->Surface, 250 + 3 + 55, 5 + 35), 0x808080u ^ 0x800000u);
    EXPECT_EQ(At(Win->BackBmp, 250 + 3 + 55, 5 + 35), 0x808080u);
    Win->PaintBox->repaint();
    QApplication::processEvents();
    EXPECT_EQ(Win->SelIndex, 1);

    Win->mnEditClick();
    EXPECT_TRUE(Win->mnEditFile->isEnabled());
    EXPECT_TRUE(Win->mnViewFile->isEnabled());
    EXPECT_TRUE(Win->mnCopyFilename->isEnabled());
    Win->mnCopyFilenameClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Win->Found[1]);
    Win->mnCopyScrnClick();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Win->BackBmp);

    // Deleted behind the window's back: the file items go off.
    const std::string gone = Win->Found[1];
    ::unlink(gone.c_str());
    Win->mnEditClick();
    EXPECT_FALSE(Win->mnEditFile->isEnabled());
    EXPECT_TRUE(Win->mnCopyScrn->isEnabled());

    // A real redraw drops the selection; the status bar keeps the path for copying.
    Win->ScrollBarChange();
    EXPECT_EQ(Win->SelIndex, -100);
    Win->mnEditClick();
    EXPECT_FALSE(Win->mnCopyFilename->isEnabled());
    Win->mnCopyFilenameClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), gone);
}

TEST_F(SearchWin, FileNamedInAnyBytesIsCopiedExactlyAndViewingWithoutAViewerIsSaid)
{
    const std::string file = Tree + "caf\xe9.sch";
    Put(file, kSchematic);
    Search();
    ASSERT_EQ(Win->Found, std::vector<std::string>{file});
    Select(0, 0);
    Win->mnCopyFilenameClick();
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/plain").toStdString(), file);
    // No program for text files in these folders: the user is told, nothing else is tried.
    Win->mnViewFileClick();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "No program for text files was found.");
}

TEST_F(SearchWin, DeleteGoesToTheTrashOrNowhere)
{
    Files(3);
    Search();
    Select(0, 0);
    const std::string first = Win->Found[0];
    const std::string name = first.substr(first.rfind('/') + 1);

    // No: nothing happens.
    Answer = mrNo;
    Win->FormKeyDown(Qt::Key_Delete);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text.toStdString(), "Delete File: " + first);
    EXPECT_EQ(Messages[0].Title, "Confirm");
    EXPECT_TRUE(search::PathExists(first));

    // The trash cannot be made: the file stays and the failure is told.
    Answer = mrYes;
    Put(DataHome + "/Trash", "not a folder");
    Win->FormKeyDown(Qt::Key_Delete);
    ASSERT_EQ(Messages.size(), 3u);
    EXPECT_EQ(Messages[2].Text.toStdString(), "Could NOT delete file:\r" + first);
    EXPECT_TRUE(search::PathExists(first));
    EXPECT_EQ(Win->Found.size(), 3u);

    // Through the trash; the key reaches the window from the folder box too, once.
    ::unlink((DataHome + "/Trash").c_str());
    Messages.clear();
    Win->EditFolderStart->setFocus();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(Win->EditFolderStart, &del);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_FALSE(search::PathExists(first));
    EXPECT_TRUE(search::PathExists(DataHome + "/Trash/files/" + name));
    EXPECT_EQ(Win->Found.size(), 2u);
    EXPECT_EQ(Strip(), "  Error: 1 missing files.");

    // Without a selection the key asks nothing.
    EXPECT_FALSE(Win->FormKeyDown(Qt::Key_Delete));
    EXPECT_EQ(Messages.size(), 1u);
}

TEST_F(SearchWin, DeleteKeyInTheFolderBoxEditsTextOnlyWhenNothingWasAsked)
{
    Files(2);
    Search();
    const QString text = QString::fromStdString(Tree);
    struct {
        bool select;
        int answer;
        std::size_t asked;
        bool textKept;
    } cases[] = {
        {true, mrNo, 1, true},     // answered: the key is spent on the question
        {false, mrNo, 0, false},   // nothing selected: an ordinary Delete in the box
    };
    for (const auto& c : cases) {
        Messages.clear();
        Win->SelIndex = -100;
        if (c.select)
            Select(0, 0);
        Answer = c.answer;
        Win->activateWindow();
        Win->EditFolderStart->setFocus();
        Win->EditFolderStart->setText(text);
        Win->EditFolderStart->setCursorPosition(0);
        QTest::keyClick(Win->EditFolderStart, Qt::Key_Delete);
        EXPECT_EQ(Messages.size(), c.asked) << c.select;
        EXPECT_EQ(Win->EditFolderStart->text() == text, c.textKept) << c.select;
        EXPECT_EQ(Win->Found.size(), 2u);
    }
}

TEST_F(SearchWin, WheelMovesAPageAndTheBarKeepsItsRange)
{
    BigWindow();
    Files(100);
    Search();
    ASSERT_EQ(Win->ScrollBar->maximum(), 9);
    const struct {
        int delta, pos;
    } steps[] = {{-120, 6}, {-120, 9}, {-120, 9}, {120, 3}, {60, 3}, {60, 0}, {120, 0}};
    for (const auto& s : steps) {
        Win->FormMouseWheel(s.delta);
        EXPECT_EQ(Win->ScrollBar->value(), s.pos) << s.delta;
        EXPECT_EQ(Win->ScrollBar->maximum(), 9);
    }
}

TEST_F(SearchWin, DisabledBarGoesBackToTheFirstPage)
{
    BigWindow();
    Files(43);
    Search();
    Win->ScrollBar->setValue(1);
    ::unlink(Win->Found[10].c_str());
    Win->ScrollBarChange();
    EXPECT_FALSE(Win->ScrollBar->isEnabled());
    EXPECT_EQ(Win->ScrollBar->value(), 0);
    EXPECT_EQ(Win->Found.size(), 42u);
    EXPECT_TRUE(ThumbDrawn(Win->BackBmp, 6, 5));
    EXPECT_EQ(Strip(), "  Error: 1 missing files.");
    // The last file gone: "No Schematics" again.
    for (const std::string& f : Win->Found)
        ::unlink(f.c_str());
    Win->ScrollBarChange();
    EXPECT_TRUE(Win->Found.empty());
    EXPECT_FALSE(ThumbDrawn(Win->BackBmp, 0, 0));
}

} // namespace

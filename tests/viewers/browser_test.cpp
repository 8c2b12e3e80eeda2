// The folder browser: grid geometry and scrolling, a hostile folder, the retained grid and
// its highlight, the commands, and the frame's browse command.
#include "viewers/Brows_.h"

#include "app/Main_.h"
#include "platform/folder_widgets.h"
#include "platform/msgbox.h"
#include "viewers/render/preview.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/app/fake_child.h"
#include "tests/support/modal.h"
#include "tests/support/test_util.h"
#include "tests/support/xdg_fixture.h"
#include "schematic/Schem_.h"
#include <QMimeData>

namespace {

const std::string kSmall = testutil::CrLf({"SCHEMATIC", "<SHAPE>", "2", "10", "10", "60", "40", "1"});

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = PathBytes(Tmp.path());
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r);
            return Answer;
        });
    }
    void TearDown() override
    {
        SetMsgResponder(nullptr);
        // By the bytes: the toolkit cannot remove a name that is not valid UTF-8.
        testutil::RemoveTree(Root);
    }

    void Files(int n)
    {
        for (int i = 0; i < n; ++i)
            testutil::WriteFile(Root + "/f" + std::to_string(100 + i) + ".sch", kSmall);
    }
    // A browser of 3 columns and 4 rows on Root.
    std::unique_ptr<TBrowsWin> Open()
    {
        auto b = std::make_unique<TBrowsWin>();
        b->resize(3 * 250 + 235, 4 * 150 + 36);
        b->FormResize();
        b->DirectoryListBox->SetDirectoryBytes(Root);
        b->DirListBoxChange();
        return b;
    }

    QTemporaryDir Tmp;
    std::string Root;
    std::vector<TMsgRecord> Messages;
    int Answer = mrYes;
};

TEST(BrowserGeometry, ColumnsRowsAndScrollRange)
{
    struct {
        int w, h, cols, rows;
    } fits[] = {{1024, 768, 3, 4}, {985, 636, 3, 4}, {1280, 1024, 4, 6}, {100, 50, 1, 1}, {0, 0, 1, 1}};
    for (const auto& c : fits) {
        EXPECT_EQ(TBrowsWin::ColsFor(c.w), c.cols) << c.w;
        EXPECT_EQ(TBrowsWin::RowsFor(c.h), c.rows) << c.h;
    }
    struct {
        std::size_t n;
        int32_t extra;
    } ranges[] = {{0, 0}, {12, 0}, {13, 1}, {15, 1}, {16, 2}, {24, 4}};
    for (const auto& r : ranges)
        EXPECT_EQ(TBrowsWin::ScrollRows(r.n, 3, 4), r.extra) << r.n;
}

TEST_F(BrowserTest, ScrollBarAndSelectionFollowTheGrid)
{
    Files(13);
    auto b = Open();
    ASSERT_EQ(b->Cols, 3);
    ASSERT_EQ(b->Rows, 4);
    EXPECT_TRUE(b->ScrollBar->isEnabled());
    EXPECT_EQ(b->ScrollBar->maximum(), 1);
    EXPECT_EQ(b->windowTitle(), "Browse for Schematics in " + PathText(Root) + "/ [13 Schematics]");

    b->FormMouseDown(Qt::LeftButton, 455, 160);   // column 1, row 1
    EXPECT_EQ(b->SelIndex, 4);
    b->FormMouseDown(Qt::RightButton, 210, 10);   // the right button keeps the selection
    EXPECT_EQ(b->SelIndex, 4);
    b->FormMouseDown(Qt::LeftButton, 460, 460);   // row 3, column 1
    EXPECT_EQ(b->SelIndex, 10);
    b->FormMouseDown(Qt::LeftButton, 960, 10);    // right of the last column
    EXPECT_EQ(b->SelIndex, -100);

    // The wheel: one row per message, whatever its size; a scroll clears the selection.
    b->FormMouseDown(Qt::LeftButton, 210, 10);
    b->WMMouseWheel(-360);
    EXPECT_EQ(b->ScrollBar->value(), 1);
    EXPECT_EQ(b->SelIndex, -100);
    b->FormMouseDown(Qt::LeftButton, 210, 10);    // at position 1 the grid starts at file 4
    EXPECT_EQ(b->SelIndex, 3);
    EXPECT_EQ(b->Files[3], "f103.sch");
    b->FormMouseDown(Qt::LeftButton, 460, 460);   // after the last file: nothing
    EXPECT_EQ(b->SelIndex, -100);
    b->WMMouseWheel(120);
    EXPECT_EQ(b->ScrollBar->value(), 0);

    // 12 files fit: the bar is disabled and the wheel does nothing.
    ::unlink((Root + "/f100.sch").c_str());
    b->DirListBoxChange();
    EXPECT_FALSE(b->ScrollBar->isEnabled());
    b->WMMouseWheel(-120);
    EXPECT_EQ(b->ScrollBar->value(), 0);
}

TEST_F(BrowserTest, HostileFolderIsListedAndDrawnWithoutHanging)
{
    testutil::WriteFile(Root + "/a.sch", kSmall);
    testutil::WriteFile(Root + "/A.sch", kSmall);
    testutil::WriteFile(Root + "/b.SCH", "not a drawing");
    testutil::WriteFile(Root + "/c.txt", kSmall);
    testutil::WriteFile(Root + "/x.schx", kSmall);
    testutil::WriteFile(Root + "/\xe9t\xe9.sch", kSmall);   // Latin-1 bytes, not UTF-8
    testutil::WriteFile(Root + "/locked.sch", kSmall);
    ::chmod((Root + "/locked.sch").c_str(), 0);
    ::mkdir((Root + "/d.sch").c_str(), 0700);
    ::mkfifo((Root + "/fifo.sch").c_str(), 0600);
    ::symlink("/nonexistent/target", (Root + "/dangling.sch").c_str());
    ::symlink("/dev/zero", (Root + "/zero.sch").c_str());
    auto b = Open();
    EXPECT_EQ(b->Files, (std::vector<std::string>{"A.sch", "a.sch", "b.SCH", "d.sch", "dangling.sch", "fifo.sch",
                                                   "locked.sch", "zero.sch", "\xe9t\xe9.sch"}));
    EXPECT_EQ(b->windowTitle(), "Browse for Schematics in " + PathText(Root) + "/ [9 Schematics]");
    b->ScrollBar->setValue(1);
    b->ScrollBar->setValue(0);
    // Drawn cells: a.sch (row 0, column 1) has its thumbnail; d.sch (row 1, column 0) only
    // its frame on the window colour.
    const QImage& g = b->GridBmp;
    EXPECT_EQ(g.pixel(TBrowsWin::CellLeft(1) + 3 + 20, TBrowsWin::CellTop(0) + 3 + 20), qRgb(128, 128, 128));
    EXPECT_EQ(g.pixel(TBrowsWin::CellLeft(0) + 3 + 10, TBrowsWin::CellTop(1) + 3 + 20),
              b->palette().color(QPalette::Window).rgb());
    EXPECT_EQ(g.pixel(TBrowsWin::CellLeft(0), TBrowsWin::CellTop(1)), qRgb(255, 255, 255));
    EXPECT_EQ(g.pixel(TBrowsWin::CellLeft(0) + 249, TBrowsWin::CellTop(1) + 149), qRgb(0, 0, 0));
}

TEST_F(BrowserTest, EmptyFolderSaysNoImages)
{
    auto b = Open();
    EXPECT_TRUE(b->Files.empty());
    EXPECT_EQ(b->windowTitle(), "Browse for Schematics in " + PathText(Root) + "/ [0 Schematics]");
    EXPECT_FALSE(b->ScrollBar->isEnabled());
    const QRgb window = b->palette().color(QPalette::Window).rgb();
    int ink = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 205; x < 280; ++x)
            ink += b->GridBmp.pixel(x, y) != window;
    EXPECT_GT(ink, 20);
}

// Lets queued and timed work run until the grid has not been composed again for a while.
void Settle(TBrowsWin& b)
{
    int last = -1;
    while (last != b.GridPaints) {
        last = b.GridPaints;
        QTest::qWait(200);
    }
}

TEST_F(BrowserTest, PaintsCopyTheGridAndOnlyChangesComposeIt)
{
    Files(3);
    auto b = Open();
    b->show();
    Settle(*b);   // showing may resize, which relists once
    const int before = b->GridPaints;
    for (int i = 0; i < 3; ++i) {
        b->repaint();
        QApplication::processEvents();
    }
    EXPECT_EQ(b->GridPaints, before);

    // Several size changes in a row list the folder once.
    for (int w : {900, 950, 1000, 1200})
        b->resize(w, 700);
    QApplication::processEvents();
    Settle(*b);
    EXPECT_EQ(b->GridPaints, before + 1);
    EXPECT_EQ(b->GridBmp.size(), b->size());
    EXPECT_EQ(b->Cols, 3);   // 233 + 250 n below 1200
}

TEST_F(BrowserTest, HighlightComesOffWithTheRectangleItWentOnWith)
{
    Files(5);
    auto b = Open();
    const QImage clean = b->GridBmp.copy();
    b->FormMouseDown(Qt::LeftButton, 455, 160);
    EXPECT_EQ(b->HiLeft, TBrowsWin::CellLeft(1));
    EXPECT_EQ(b->HiTop, TBrowsWin::CellTop(1));
    const QImage lit = b->GridBmp.copy();
    EXPECT_NE(lit, clean);
    // Exclusive-or with red 128 over the thumbnail, one more column and row.
    const int L = TBrowsWin::CellLeft(1), T = TBrowsWin::CellTop(1);
    EXPECT_EQ(lit.pixel(L + 3, T + 3), clean.pixel(L + 3, T + 3) ^ 0x800000u);
    EXPECT_EQ(lit.pixel(L + 246, T + 135), clean.pixel(L + 246, T + 135) ^ 0x800000u);
    EXPECT_EQ(lit.pixel(L + 247, T + 136), clean.pixel(L + 247, T + 136));
    b->FormMouseDown(Qt::LeftButton, 210, 10);
    b->FormMouseDown(Qt::LeftButton, 990, 600);   // nothing there: the highlight goes
    EXPECT_EQ(b->SelIndex, -100);
    EXPECT_EQ(b->GridBmp, clean);
}

TEST_F(BrowserTest, MenuCaptionsNameTheFileLiterally)
{
    testutil::WriteFile(Root + "/R&D.sch", kSmall);
    auto b = Open();
    b->PopupMenuPopup();
    EXPECT_EQ(b->mnOpenFile->text(), "&Open File");
    EXPECT_FALSE(b->mnOpenFile->isEnabled());
    EXPECT_FALSE(b->mnDeleteFile->isEnabled());
    EXPECT_TRUE(b->mnCopy->isEnabled());
    b->FormMouseDown(Qt::LeftButton, 210, 10);
    b->PopupMenuPopup();
    EXPECT_EQ(b->mnOpenFile->text(), "&Open File: R&&D.sch");
    EXPECT_EQ(b->mnCopyName->text(), "&Copy File Name: R&&D.sch");
    EXPECT_EQ(b->mnDeleteFile->text(), "&Delete File: R&&D.sch");
    EXPECT_TRUE(b->mnDeleteFile->isEnabled());
    b->mnCopyNameClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), PathText(Root) + "/R&D.sch");
}

TEST_F(BrowserTest, DeleteMovesTheFileToTheTrash)
{
    Files(2);
    auto b = Open();
    const std::string path = Root + "/f100.sch";
    b->FormMouseDown(Qt::LeftButton, 210, 10);
    Answer = mrNo;
    b->FormKeyDown(Qt::Key_Delete);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "Delete File: " + PathText(path));
    EXPECT_TRUE(QFile::exists(PathText(path)));
    EXPECT_EQ(b->SelIndex, 0);

    Answer = mrYes;
    b->FormKeyDown(Qt::Key_Delete);
    EXPECT_FALSE(QFile::exists(PathText(path)));
    const QString trash = QDir::homePath() + "/.local/share/Trash";
    EXPECT_TRUE(QFile::exists(trash + "/files/f100.sch"));
    EXPECT_TRUE(QFile::exists(trash + "/info/f100.sch.trashinfo"));
    EXPECT_EQ(b->Files, std::vector<std::string>{"f101.sch"});
    EXPECT_EQ(b->SelIndex, -100);

    // A file gone meanwhile: the trash cannot take it, and nothing is deleted for good.
    b->FormMouseDown(Qt::LeftButton, 210, 10);
    ::unlink((Root + "/f101.sch").c_str());
    Messages.clear();
    b->mnDeleteFileClick();
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_EQ(Messages[1].Text, "Could NOT delete file:\r" + PathText(Root) + "/f101.sch");
    EXPECT_EQ(b->Files, std::vector<std::string>{"f101.sch"});   // the list stays as it was
}

TEST_F(BrowserTest, FrameOpensTheChosenFile)
{
    Files(2);
    TMainWin frame;
    frame.FirstActivate = false;
    std::vector<std::string> log;
    std::vector<TFakeChild*> made;
    frame.SchWinFactory = [&] {
        auto* w = new TFakeChild(TChildWin::TKind::Sch, &log);
        made.push_back(w);
        return w;
    };
    frame.SchemFolder = PathText(Root) + "/";
    // Closing without a choice opens nothing; a double click on a file opens it.
    testutil::WhenModal([](QWidget* w) {
        auto* b = qobject_cast<TBrowsWin*>(w);
        ASSERT_NE(b, nullptr);
        b->FormDblClick();   // no selection: the browser stays open
        b->mnCloseClick();
    });
    frame.mnBrowseClick();
    EXPECT_TRUE(made.empty());
    testutil::WhenModal([this](QWidget* w) {
        auto* b = qobject_cast<TBrowsWin*>(w);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->DirectoryListBox->DirectoryBytes(), Root);   // the frame's schematic folder
        b->FormMouseDown(Qt::LeftButton, 460, 10);
        b->FormDblClick();
    });
    frame.mnBrowseClick();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0]->FileName, PathText(Root) + "/f101.sch");
}

// A name that is not valid UTF-8 opens in a real schematic window, by its bytes; its name
// is copied as those bytes.
TEST_F(BrowserTest, FileNamedInAnyBytesOpensInTheEditor)
{
    const std::string file = Root + "/caf\xe9 \xff.sch";
    testutil::WriteFile(file, kSmall);
    TMainWin frame;
    frame.FirstActivate = false;
    frame.SchemFolder = PathText(Root) + "/";
    std::string copied;
    testutil::WhenModal([&](QWidget* w) {
        auto* b = qobject_cast<TBrowsWin*>(w);
        ASSERT_NE(b, nullptr);
        b->FormMouseDown(Qt::LeftButton, 215, 10);
        b->mnCopyNameClick();
        copied = QGuiApplication::clipboard()->mimeData()->data("text/plain").toStdString();
        b->FormDblClick();
    });
    frame.mnBrowseClick();
    EXPECT_EQ(copied, file);
    ASSERT_EQ(frame.Children().size(), 1);
    auto* w = qobject_cast<TSchWin*>(frame.Children().front());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(PathBytes(w->FileName), file);
    EXPECT_FALSE(w->Model.Empty());
    EXPECT_TRUE(Messages.empty()) << Messages.front().Text.toStdString();
    EXPECT_EQ(PathBytes(frame.SchemFolder), Root + "/");
}

} // namespace

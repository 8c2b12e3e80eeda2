// Both programs for real: the association written by the drawing program's dialog, the
// search window's edit command opening a found file through it, the drawing program started
// by the association handing the file to the running copy (played by this test), and a
// second start of the search program only raising the first.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <memory>

#include "app/AssociateDlg_.h"
#include "app/Main_.h"
#include "platform/msgbox.h"
#include "platform/path_text.h"
#include "platform/single_instance.h"
#include "search/SearchWin_.h"
#include "tests/app/fake_child.h"
#include "tests/support/xdg_fixture.h"

namespace {

QString Bin(const char* name) { return QString(OSTRIN_BIN_DIR) + "/" + name; }

template <class F>
bool WaitFor(F done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

class BothPrograms : public testutil::XdgFixture {
protected:
    void SetUp() override
    {
        XdgFixture::SetUp();
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r);
            return int(mrOk);
        });
    }
    void TearDown() override
    {
        Search.reset();
        Frame.reset();
        Instance.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMsgResponder(nullptr);
        EarlyHandOvers().clear();
        XdgFixture::TearDown();
    }
    std::unique_ptr<TSingleInstance> Instance;
    std::unique_ptr<TMainWin> Frame;
    std::unique_ptr<TSearchWin> Search;
    std::vector<std::string> Log;
    std::vector<TMsgRecord> Messages;
};

TEST_F(BothPrograms, EditInTheSearchOpensTheFileInTheRunningEditor)
{
    // This process is the running editor.
    Instance = std::make_unique<TSingleInstance>("Ostrin83");
    ASSERT_TRUE(Instance->Acquire());
    QObject::connect(Instance.get(), &TSingleInstance::RequestReceived, &ReceiveHandOver);
    Frame = std::make_unique<TMainWin>();
    Frame->FirstActivate = false;
    Frame->StartupDone = true;
    Frame->SchWinFactory = [this] { return new TFakeChild(TChildWin::TKind::Sch, &Log); };
    Frame->show();

    // The association, as the editor's dialog writes it for the real program file.
    {
        TAssociateDlg dlg(nullptr, Bin("Ostrin"));
        ASSERT_TRUE(dlg.SetSpBut->isEnabled());
        dlg.SetSpButClick();
        ASSERT_FALSE(dlg.SetSpBut->isEnabled()) << dlg.AssEdit->text().toStdString();
    }

    // Blanks and quotes, and bytes that are not UTF-8: each reaches the editor as it is.
    const std::string folder = Root + "/My Drawings/";
    const std::string names[] = {"amp 'v2' (final).sch", "caf\xe9 \xff.sch"};
    Search = std::make_unique<TSearchWin>();
    Search->Timer->stop();
    Search->show();
    std::size_t opened = 0;
    for (const std::string& name : names) {
        const std::string file = folder + name;
        ::unlink((folder + names[0]).c_str());
        Put(file, "SCHEMATIC\r\n<SHAPE>\r\n2\r\n10\r\n10\r\n100\r\n60\r\n1\r\n");
        Search->EditFolderStart->setText(QString::fromStdString(folder));
        Search->BtnGoClick();
        ASSERT_EQ(Search->Found, std::vector<std::string>{file});
        Search->PaintBoxMouseDown(20, 20);
        ASSERT_EQ(Search->SelIndex, 0);
        Search->PaintBoxDblClick();
        ++opened;
        ASSERT_TRUE(WaitFor([&] { return std::size_t(Frame->Children().size()) == opened; }, 20000))
            << "the editor never got " << name;
        bool found = false;
        for (TChildWin* c : Frame->Children())
            found = found || PathBytes(c->FileName) == file;
        EXPECT_TRUE(found) << name;
    }
    EXPECT_TRUE(Messages.empty());
}

TEST_F(BothPrograms, SecondSearchStartOnlyRaisesTheFirst)
{
    TSingleInstance first("Pelfind65");
    ASSERT_TRUE(first.Acquire());
    std::vector<QByteArray> requests;
    QObject::connect(&first, &TSingleInstance::RequestReceived, [&](const QByteArray& r) { requests.push_back(r); });
    QProcess second;
    second.start(Bin("Pelfind"), {QString::fromStdString(Root)});
    ASSERT_TRUE(second.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitCode(), 0);
    // Only a raise: the folder is not passed on.
    EXPECT_EQ(requests, std::vector<QByteArray>{"R"});
}

} // namespace

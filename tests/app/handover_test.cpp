#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

#include "app/Main_.h"
#include "platform/msgbox.h"
#include "platform/single_instance.h"
#include "tests/app/fake_child.h"
#include "tests/support/test_util.h"

namespace {

QString OstrinPath() { return QString(OSTRIN_BIN_DIR) + "/Ostrin"; }

// Lets our own event loop run (we may be the running copy) until the process ends.
bool WaitEnded(QProcess& p, int ms)
{
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        p.waitForFinished(10);
    }
    return p.state() == QProcess::NotRunning;
}

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// This test process plays the running copy; build/bin/Ostrin is the later one.
class HandOverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r);
            return int(mrOk);
        });
    }
    void TearDown() override
    {
        Frame.reset();
        Instance.reset();
        Pump();
        SetMsgResponder(nullptr);
        EarlyHandOvers().clear();
    }
    void BecomeRunningCopy()
    {
        Instance = std::make_unique<TSingleInstance>("Ostrin83");
        ASSERT_TRUE(Instance->Acquire());
        QObject::connect(Instance.get(), &TSingleInstance::RequestReceived, &ReceiveHandOver);
        MakeFrame();
        Frame->StartupDone = true;
    }
    void MakeFrame()
    {
        Frame = std::make_unique<TMainWin>();
        Frame->FirstActivate = false;
        Frame->SchWinFactory = [this] { return new TFakeChild(TChildWin::TKind::Sch, &Log); };
        Frame->show();
        Pump();
    }
    QStringList OpenFiles() const
    {
        QStringList out;
        for (TChildWin* c : Frame->Children())
            out << c->FileName;
        return out;
    }

    std::unique_ptr<TSingleInstance> Instance;
    std::unique_ptr<TMainWin> Frame;
    std::vector<std::string> Log;
    std::vector<TMsgRecord> Messages;
};

TEST_F(HandOverTest, RelativePathFromAnotherFolderOpensHere)
{
    BecomeRunningCopy();
    QTemporaryDir other;
    QDir().mkpath(other.path() + "/sub");
    const QString file = other.path() + "/sub/Hand Over.sch";
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(), "x"));

    QProcess second;
    second.setWorkingDirectory(other.path() + "/sub");
    second.start(OstrinPath(), {"Hand Over.sch"});
    ASSERT_TRUE(second.waitForStarted(5000));
    ASSERT_TRUE(WaitEnded(second, 20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // The second copy waited until the file was open.
    EXPECT_EQ(OpenFiles(), QStringList{QDir::cleanPath(file)});
    EXPECT_TRUE(Messages.empty());

    // Handed over again: the already-open box, and still one window.
    QProcess third;
    third.setWorkingDirectory(other.path());
    third.start(OstrinPath(), {"sub/../sub/Hand Over.sch"});
    ASSERT_TRUE(WaitEnded(third, 20000));
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_EQ(Frame->Children().size(), 1);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "File is already open!\r" + QDir::cleanPath(file));
}

TEST_F(HandOverTest, NoArgumentOnlyRaisesAndAMissingFileIsReported)
{
    BecomeRunningCopy();
    Frame->showMinimized();
    Pump();
    QProcess second;
    second.start(OstrinPath(), {});
    ASSERT_TRUE(WaitEnded(second, 20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(Frame->isMinimized());
    EXPECT_TRUE(Frame->Children().isEmpty());
    EXPECT_TRUE(Messages.empty());

    QTemporaryDir other;
    QProcess third;
    third.setWorkingDirectory(other.path());
    third.start(OstrinPath(), {"missing.sch"});
    ASSERT_TRUE(WaitEnded(third, 20000));
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_TRUE(Frame->Children().isEmpty());
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Title, AppTitle);
    EXPECT_EQ(Messages[0].Icon, TMsgIcon::Error);
    EXPECT_EQ(Messages[0].Text, "Path " + QDir::cleanPath(other.path() + "/missing.sch") + " does not exist!");
}

TEST_F(HandOverTest, StaleLockOfAKilledCopyIsTakenOver)
{
    QProcess first;
    first.start(OstrinPath(), {});
    ASSERT_TRUE(first.waitForStarted(5000));
    TSingleInstance probe("Ostrin83");
    QElapsedTimer t;
    t.start();
    // Killed once its lock names it, as a crashed copy leaves it.
    qint64 pid = 0;
    QString host, app;
    while (!QLockFile(probe.LockPath()).getLockInfo(&pid, &host, &app) && t.elapsed() < 10000)
        QThread::msleep(20);
    ASSERT_EQ(pid, first.processId());
    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
    ASSERT_TRUE(QFile::exists(probe.LockPath()));  // left behind

    BecomeRunningCopy();
    QProcess second;
    second.start(OstrinPath(), {});
    ASSERT_TRUE(WaitEnded(second, 20000));
    EXPECT_EQ(second.exitCode(), 0);
}

// A copy killed between making its lock and writing its name into it.
TEST_F(HandOverTest, OldLockWithoutAnOwnerIsTakenOverAndAFreshOneIsNot)
{
    TSingleInstance probe("Ostrin83");
    QFile empty(probe.LockPath());
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    {
        TSingleInstance fresh("Ostrin83");
        EXPECT_FALSE(fresh.Acquire());  // its writer may still be busy
    }
    ASSERT_TRUE(empty.open(QIODevice::ReadWrite));
    ASSERT_TRUE(empty.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-60),
                                  QFileDevice::FileModificationTime));
    empty.close();
    BecomeRunningCopy();
}

TEST_F(HandOverTest, TwoSimultaneousStartsGiveOneServer)
{
    QProcess a, b;
    a.start(OstrinPath(), {});
    b.start(OstrinPath(), {});
    ASSERT_TRUE(a.waitForStarted(5000));
    ASSERT_TRUE(b.waitForStarted(5000));
    QElapsedTimer t;
    t.start();
    while (a.state() != QProcess::NotRunning && b.state() != QProcess::NotRunning && t.elapsed() < 20000) {
        a.waitForFinished(20);
        b.waitForFinished(20);
    }
    QProcess& ended = a.state() == QProcess::NotRunning ? a : b;
    QProcess& running = a.state() == QProcess::NotRunning ? b : a;
    EXPECT_EQ(ended.state(), QProcess::NotRunning);
    EXPECT_EQ(ended.exitCode(), 0);
    // The one left is still the server: a third request reaches it.
    QThread::msleep(300);
    EXPECT_EQ(running.state(), QProcess::Running);
    TSingleInstance probe("Ostrin83");
    EXPECT_FALSE(probe.Acquire());
    EXPECT_TRUE(probe.Send("R"));
    running.kill();
    running.waitForFinished(5000);
}

TEST_F(HandOverTest, RequestsBeforeTheFrameAreOpenedInPlaceOfTheEmptyWindow)
{
    ASSERT_EQ(MainWin, nullptr);
    QTemporaryDir dir;
    const QString file = dir.path() + "/early.sch";
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(), "x"));
    ReceiveHandOver("O" + file.toUtf8());
    ReceiveHandOver("R");
    ReceiveHandOver(QByteArray("O\0bad", 5));
    ReceiveHandOver("Xjunk");
    MakeFrame();
    EXPECT_EQ(Frame->PendingOpens, QStringList{file});
    // Handed over after the frame but before its start-up open: waits too.
    ReceiveHandOver("O" + file.toUtf8());
    Frame->WMStartup();
    Pump();
    EXPECT_EQ(OpenFiles(), QStringList{file});  // no empty "NewFile.sch" beside it
    ASSERT_EQ(Messages.size(), 1u);             // the second request found it open
    EXPECT_EQ(Messages[0].Text, "File is already open!\r" + file);
}

TEST_F(HandOverTest, StartUpOpensTheArgumentOrOneNewWindow)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/arg.sch";
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(), "x"));
    struct Case {
        QStringList Args;
        QStringList Want;
    } cases[] = {
        {{}, {""}},
        {{file}, {file}},
        {{dir.path() + "/none.sch"}, {}},
    };
    for (const auto& c : cases) {
        Frame = std::make_unique<TMainWin>(c.Args);
        Frame->SchWinFactory = [this] { return new TFakeChild(TChildWin::TKind::Sch, &Log); };
        Frame->show();  // the start-up open runs without any activation
        QElapsedTimer t;
        t.start();
        while (!Frame->StartupDone && t.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        Pump();
        EXPECT_TRUE(Frame->StartupDone);
        EXPECT_EQ(OpenFiles(), c.Want);
        if (c.Args.isEmpty())
            EXPECT_EQ(Frame->Children().front()->windowTitle(), "Schematic: NewFile.sch");
        EXPECT_TRUE(Messages.empty());
        Frame.reset();
        Pump();
    }
}

} // namespace

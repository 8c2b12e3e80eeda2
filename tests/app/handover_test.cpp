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

#include <QEventLoop>
#include <QTimer>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/sys/handover.h"

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

// A later copy as raw bytes: connects, sends what it is given, and does not wait.
int RawConnect(const QString& server)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = server.toLocal8Bit();
    std::memcpy(addr.sun_path, p.constData(), std::min<std::size_t>(p.size(), sizeof addr.sun_path - 1));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void RawSend(int fd, const std::string& bytes) { (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

// True once the other end has closed the connection.
bool ClosedByServer(int fd)
{
    char c;
    return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0;
}

void PumpFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST_F(HandOverTest, AFloodOfRequestsIsHandledOneAtATimeAndStaysBounded)
{
    BecomeRunningCopy();
    // Each message box runs its own event loop, as a real one does.
    int depth = 0, deepest = 0;
    SetMsgResponder([&](const TMsgRecord& r) {
        Messages.push_back(r);
        deepest = std::max(deepest, ++depth);
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
        --depth;
        return int(mrOk);
    });
    std::atomic<bool> done{false};
    const QString server = Instance->ServerPath();
    std::thread flood([&] {
        for (int i = 0; i < 3000; ++i) {
            const int fd = RawConnect(server);
            if (fd < 0)
                continue;
            RawSend(fd, handover::Frame("O/nowhere/missing" + std::to_string(i) + ".sch"));
            ::close(fd);
        }
        done = true;
    });
    QElapsedTimer t;
    t.start();
    while ((!done || Instance->Queued() > 0) && t.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    flood.join();
    PumpFor(100);
    EXPECT_EQ(deepest, 1);   // never a box inside the handling of another request
    EXPECT_EQ(Instance->Queued(), 0);
    ASSERT_FALSE(Messages.empty());
    EXPECT_LE(Messages.size(), 3000u);
    for (const TMsgRecord& m : Messages)
        ASSERT_TRUE(m.Text.startsWith("Path /nowhere/missing")) << m.Text.toStdString();

    // Still answering: a real later copy gets its file opened.
    SetMsgResponder([this](const TMsgRecord& r) {
        Messages.push_back(r);
        return int(mrOk);
    });
    QTemporaryDir dir;
    const QString file = dir.path() + "/after.sch";
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(), "x"));
    QProcess second;
    second.start(OstrinPath(), {file});
    ASSERT_TRUE(WaitEnded(second, 20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(OpenFiles(), QStringList{file});
}

TEST_F(HandOverTest, IdleHalfSentAndOversizedConnectionsAreDropped)
{
    BecomeRunningCopy();
    Instance->IdleTimeoutMs = 300;
    const QString server = Instance->ServerPath();
    const int idle = RawConnect(server);
    const int half = RawConnect(server);
    const int huge = RawConnect(server);
    ASSERT_GE(idle, 0);
    RawSend(half, std::string("\0\0", 2));
    RawSend(huge, std::string("\xFF\xFF\xFF\xFF", 4));
    PumpFor(100);
    EXPECT_TRUE(ClosedByServer(huge));   // too long to be a request: at once
    EXPECT_FALSE(ClosedByServer(idle));
    PumpFor(600);
    EXPECT_TRUE(ClosedByServer(idle));
    EXPECT_TRUE(ClosedByServer(half));
    EXPECT_EQ(Instance->Incoming(), 0);

    // However many hang about, a bounded number are read and a bounded number wait unread;
    // the rest are closed at once. The waiting ones are read, and dropped, in turn.
    const int count = 3 * TSingleInstance::MaxIncoming + TSingleInstance::MaxWaiting;
    std::vector<int> many;
    std::atomic<bool> done{false};
    std::thread opener([&] {
        for (int i = 0; i < count; ++i)
            many.push_back(RawConnect(server));
        done = true;
    });
    while (!done)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    opener.join();
    PumpFor(100);
    EXPECT_EQ(Instance->Incoming(), TSingleInstance::MaxIncoming);
    EXPECT_EQ(Instance->WaitingUnread(), TSingleInstance::MaxWaiting);
    int closed = 0;
    for (int fd : many)
        closed += ClosedByServer(fd) ? 1 : 0;
    EXPECT_EQ(closed, count - TSingleInstance::MaxIncoming - TSingleInstance::MaxWaiting);
    PumpFor(1500);
    EXPECT_EQ(Instance->Incoming(), 0);
    EXPECT_EQ(Instance->WaitingUnread(), 0);
    closed = 0;
    for (int fd : many)
        closed += ClosedByServer(fd) ? 1 : 0;
    EXPECT_EQ(closed, count);
    for (int fd : {idle, half, huge})
        ::close(fd);
    for (int fd : many)
        ::close(fd);
    EXPECT_TRUE(Messages.empty());
}

// A file manager opening a selection starts one later copy per file, all at once. With a
// box of an earlier request up, every one of them waits its turn; none is lost.
TEST_F(HandOverTest, EveryFileOfAManyFileStartOpensOnceTheBoxIsAnswered)
{
    BecomeRunningCopy();
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 20; ++i) {
        files << dir.path() + QStringLiteral("/f%1.sch").arg(i, 2, 10, QChar('0'));
        ASSERT_TRUE(testutil::WriteFile(files.back().toStdString(), "x"));
    }
    std::vector<std::unique_ptr<QProcess>> starts;
    const auto ended = [&] {
        return std::count_if(starts.begin(), starts.end(),
                             [](const auto& p) { return p->state() == QProcess::NotRunning; });
    };
    SetMsgResponder([&](const TMsgRecord& r) {
        Messages.push_back(r);
        if (starts.empty()) {
            for (const QString& f : files) {
                starts.push_back(std::make_unique<QProcess>());
                starts.back()->start(OstrinPath(), {f});
            }
            // The box stays up until every start has queued its file or given up.
            QElapsedTimer t;
            t.start();
            while (Instance->Queued() + ended() < 20 && t.elapsed() < 60000)
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            EXPECT_EQ(Instance->Queued(), 20);
        }
        return int(mrOk);
    });
    QProcess first;
    first.start(OstrinPath(), {dir.path() + "/missing.sch"});
    ASSERT_TRUE(WaitEnded(first, 60000));
    EXPECT_EQ(first.exitCode(), 0);
    for (auto& p : starts) {
        ASSERT_TRUE(WaitEnded(*p, 30000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0);
    }
    QStringList open = OpenFiles();
    open.sort();
    EXPECT_EQ(open, files);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_TRUE(Messages[0].Text.endsWith("missing.sch does not exist!"));
}

// Connections that never finish their request hold every reading place: a later copy
// waits until they are dropped, and its file still opens.
TEST_F(HandOverTest, BusyConnectionsDelayAHandOverButDoNotLoseIt)
{
    BecomeRunningCopy();
    Instance->IdleTimeoutMs = 1500;
    const QString server = Instance->ServerPath();
    std::vector<int> busy;
    std::atomic<bool> done{false};
    std::thread opener([&] {
        for (int i = 0; i < TSingleInstance::MaxIncoming + TSingleInstance::MaxWaiting + 10; ++i) {
            busy.push_back(RawConnect(server));
            RawSend(busy.back(), std::string("\0\0", 2));
        }
        done = true;
    });
    while (!done)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    opener.join();
    PumpFor(100);
    ASSERT_EQ(Instance->Incoming(), TSingleInstance::MaxIncoming);

    QTemporaryDir dir;
    const QString file = dir.path() + "/busy.sch";
    ASSERT_TRUE(testutil::WriteFile(file.toStdString(), "x"));
    QProcess second;
    second.start(OstrinPath(), {file});
    ASSERT_TRUE(WaitEnded(second, 30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(OpenFiles(), QStringList{file});
    for (int fd : busy)
        ::close(fd);
}

// More later copies waiting at once than connections are held for: the rest are told
// their request is kept, and every request is handled.
TEST_F(HandOverTest, RequestsBeyondTheHeldConnectionsAreKeptAndHandled)
{
    BecomeRunningCopy();
    const QString server = Instance->ServerPath();
    const int extra = 40, total = TSingleInstance::MaxHeld + extra;
    std::atomic<int> queuedAnswers{0}, keptAnswers{0};
    std::atomic<bool> done{false};
    std::vector<int> held;
    int shown = 0;
    SetMsgResponder([&](const TMsgRecord& r) {
        Messages.push_back(r);
        if (++shown == 1) {
            std::thread senders([&] {
                for (int i = 0; i < total; ++i) {
                    const int fd = RawConnect(server);
                    RawSend(fd, handover::Frame("O/nowhere/k" + std::to_string(i) + ".sch"));
                    char c = 0;
                    if (::recv(fd, &c, 1, 0) == 1 && c == 'Q') {
                        ++queuedAnswers;
                        held.push_back(fd);
                    } else {
                        keptAnswers += c == 'K' ? 1 : 0;
                        ::close(fd);
                    }
                }
                done = true;
            });
            while (!done)
                QApplication::processEvents(QEventLoop::AllEvents, 10);
            senders.join();
        }
        return int(mrOk);
    });
    const int first = RawConnect(server);
    RawSend(first, handover::Frame("O/nowhere/first.sch"));
    QElapsedTimer t;
    t.start();
    while ((Messages.size() < std::size_t(total + 1) || Instance->Queued() > 0) && t.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(queuedAnswers, TSingleInstance::MaxHeld - 1);   // the first request holds one
    EXPECT_EQ(keptAnswers, extra + 1);
    EXPECT_EQ(Messages.size(), std::size_t(total + 1));
    // The held ones were answered once handled.
    PumpFor(100);
    int answered = 0;
    for (int fd : held) {
        char c = 0;
        answered += ::recv(fd, &c, 1, MSG_DONTWAIT) == 1 && c == '1' ? 1 : 0;
        ::close(fd);
    }
    EXPECT_EQ(answered, TSingleInstance::MaxHeld - 1);
    ::close(first);
}

TEST_F(HandOverTest, ALaterCopyThatCannotHandOverSaysSoAndFails)
{
    // A lock held by a copy that does not listen (hung, or its server gone).
    TSingleInstance deaf("OstrinDeafCopy");
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath("some where/a.sch"));
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(HandOverToRunningCopy(deaf, {"some where/a.sch"}, 400), 1);
    EXPECT_GE(t.elapsed(), 400);   // it kept trying for the time it was given
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Title, "Error");
    EXPECT_EQ(Messages[0].Icon, TMsgIcon::Error);
    EXPECT_EQ(Messages[0].Text, "The file could not be handed over to the running program:\r" + path);
    // Nothing to name without a file: it only fails.
    EXPECT_EQ(HandOverToRunningCopy(deaf, {}, 200), 1);
    EXPECT_EQ(Messages.size(), 1u);
}

TEST(HandOverParse, RequestsAndFrames)
{
    using handover::TRequest;
    using K = TRequest::TKind;
    struct Case {
        std::string Body;
        TRequest Want;
    } cases[] = {
        {"R", {K::Raise, ""}},
        {"Rjunk", {K::Raise, ""}},
        {"O/a b/c.sch", {K::Open, "/a b/c.sch"}},
        {"O", {}},
        {"", {}},
        {"X/a", {}},
        {std::string("O/a\0b", 5), {}},
        {"O/a\nb", {}},
        {"O/a\rb", {}},
        {"O" + std::string(handover::kMaxPath, 'p'), {K::Open, std::string(handover::kMaxPath, 'p')}},
        {"O" + std::string(handover::kMaxPath + 1, 'p'), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(handover::ParseRequest(c.Body), c.Want) << c.Body.substr(0, 20);

    // A frame fed a byte at a time, with bytes after it ignored.
    const std::string frame = handover::Frame("O/x.sch") + "trailing";
    handover::TFrameReader r;
    for (char ch : frame)
        r.Feed(std::string_view(&ch, 1));
    EXPECT_EQ(r.State(), handover::TFrameReader::TState::Ready);
    EXPECT_EQ(r.Body(), "O/x.sch");
    handover::TFrameReader big;
    EXPECT_EQ(big.Feed(std::string("\0\x01\0\x01", 4)), handover::TFrameReader::TState::TooLong);
    handover::TFrameReader empty;
    EXPECT_EQ(empty.Feed(std::string("\0\0\0\0", 4)), handover::TFrameReader::TState::Ready);
    EXPECT_EQ(empty.Body(), "");
}

} // namespace

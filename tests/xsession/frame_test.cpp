// The real program under a real window manager: where its frame comes up after each start.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <memory>
#include <string>

#include "platform/folders.h"
#include "tests/support/test_util.h"
#include "tests/xsession/x_window.h"

namespace {

QString IniPath() { return GetIniFolder() + "OstrinIni.ini"; }

// One run of the drawing program, closed the way the manager's close button closes it.
class TRun {
public:
    TRun()
    {
        proc_.setProgram(QStringLiteral(OSTRIN_BIN_DIR) + "/Ostrin");
        proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc_.start();
        started_ = proc_.waitForStarted(5000);
    }
    ~TRun()
    {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished(5000);
        }
    }
    // The frame, once mapped and framed; 0 when it did not come within the time.
    xs::TWin Frame()
    {
        if (!started_)
            return 0;
        xs::TWin w = 0;
        xs::WaitFor([&] { return (w = xs::FindWindow(proc_.processId(), "Circuit Drawing")) != 0; }, 15000);
        return w;
    }
    // Closes the frame and waits for the program to end (it writes its settings on the way).
    bool Exit(xs::TWin w)
    {
        for (int attempt = 0; attempt < 3 && proc_.state() != QProcess::NotRunning; ++attempt) {
            xs::RequestClose(w);
            proc_.waitForFinished(4000);
        }
        return proc_.state() == QProcess::NotRunning && proc_.exitStatus() == QProcess::NormalExit;
    }

private:
    QProcess proc_;
    bool started_ = false;
};

// Starts, waits for the frame to settle, optionally maximises it, exits; the settled frame.
QRect StartAndExit(bool maximise = false)
{
    TRun run;
    const xs::TWin w = run.Frame();
    if (!w) {
        ADD_FAILURE() << "the frame did not appear";
        return {};
    }
    const QRect frame = xs::SettledFrame(w, 400, 8000);
    if (maximise) {
        xs::RequestMaximise(w);
        EXPECT_TRUE(xs::WaitFor([&] { return xs::States(w).contains("_NET_WM_STATE_MAXIMIZED_VERT"); }, 5000));
        xs::SettledFrame(w, 300, 5000);
    }
    EXPECT_TRUE(run.Exit(w)) << "the program did not end on a close request";
    return frame;
}

class FrameUnderWm : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(xs::Ready()) << "no X session with a window manager";
        QFile::remove(IniPath());
    }
    void TearDown() override { QFile::remove(IniPath()); }
};

} // namespace

TEST_F(FrameUnderWm, EveryStartPutsTheWholeFrameWhereTheLastOneLeftIt)
{
    // With no settings file, then from the settings each exit wrote; and the same after
    // exits from a maximised frame.
    const QRect screen = xs::ScreenRect();
    for (const bool maximised : {false, true}) {
        SCOPED_TRACE(maximised ? "exits maximised" : "exits as it came up");
        QFile::remove(IniPath());
        QRect first;
        for (int start = 0; start < 4; ++start) {
            const QRect frame = StartAndExit(maximised);
            ASSERT_FALSE(frame.isNull());
            EXPECT_TRUE(screen.contains(frame)) << "start " << start << ": " << frame.x() << "," << frame.y() << " "
                                                << frame.width() << "x" << frame.height();
            // The first start after a maximised exit comes up as large as the screen.
            if (start == (maximised ? 1 : 0))
                first = frame;
            else if (start > 0)
                EXPECT_EQ(frame, first) << "start " << start;
        }
        if (!maximised) {
            // No settings file: the default bounds are the outer frame's.
            EXPECT_EQ(first, QRect(5, 5, screen.width() - 10, screen.height() - 40));
        }
    }
}

TEST_F(FrameUnderWm, AStoredFrameOffTheScreenComesBackWhole)
{
    const QRect screen = xs::ScreenRect();
    struct Case {
        int Top, Left, Height, Width;
        QRect Want;
    } cases[] = {
        // Past the bottom-right corner: moved in until it lies wholly on the screen.
        {screen.height(), screen.width(), 500, 700,
         {screen.width() - 700, screen.height() - 500, 700, 500}},
        // Half past the right edge.
        {100, screen.width() - 300, 500, 700, {screen.width() - 700, 100, 700, 500}},
        // Where it fits: left alone.
        {120, 200, 500, 700, {200, 120, 700, 500}},
    };
    for (const Case& c : cases) {
        testutil::WriteFile(IniPath().toStdString(),
                            testutil::CrLf({"[Position]", ("Top=" + std::to_string(c.Top)).c_str(),
                                            ("Left=" + std::to_string(c.Left)).c_str(),
                                            ("Height=" + std::to_string(c.Height)).c_str(),
                                            ("Width=" + std::to_string(c.Width)).c_str()}));
        EXPECT_EQ(StartAndExit(), c.Want) << c.Top << "," << c.Left;
    }
}

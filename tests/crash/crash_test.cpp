// A child process saves a large drawing and appends autosave states until it is killed with
// SIGKILL at a random moment. After every kill the drawing is byte for byte the old or the
// new one, nothing is left beside it, and the autosave file is the states written, cut at
// most inside the last one, which is never taken for a whole state where the cut can be told.
#include "platform/sys/files.h"
#include "schematic/core/autosave.h"
#include "schematic/core/sch_text.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

TSchModel Drawing(int shapes, int seed)
{
    std::mt19937 rng(static_cast<unsigned>(seed));
    TSchModel m;
    for (int i = 0; i < shapes; ++i)
        m.ShapeList.push_back({static_cast<int32_t>(1 + rng() % 12), static_cast<int32_t>(rng() % 100000) - 50000,
                               static_cast<int32_t>(rng() % 100000), static_cast<int32_t>(rng()),
                               static_cast<int32_t>(rng() % 1000), static_cast<int32_t>(rng() % 0x10000), 0});
    return m;
}

std::string Text(const TSchModel& m)
{
    TLines l;
    WriteSnapshot(m, l);
    return l.Text();
}

// Never returns: saves a and b in turn and appends one state after each save.
[[noreturn]] void SaveUntilKilled(const std::string& target, const std::string& a, const std::string& b,
                                  const std::string& folder, const std::vector<TLines>& states, int ready)
{
    TAutoSaveFile autosave;
    autosave.MakeName(folder);
    for (std::size_t k = 0;; ++k) {
        std::string error;
        if (!sys::WriteFileAtomic(target, k % 2 ? b : a, error))
            ::_exit(3);
        if (!autosave.Append(states[k % states.size()], folder).Ok)
            ::_exit(4);
        if (k == 0 && ::write(ready, "r", 1) != 1)
            ::_exit(5);
    }
}

std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<sys::TDirEntry> list;
    std::string error;
    sys::ListFolder(folder, list, error);
    std::vector<std::string> names;
    for (const auto& e : list)
        names.push_back(e.Name);
    return names;
}

TEST(CrashSafety, KilledMidSaveLeavesOldOrNewAndATornAutosaveIsSeen)
{
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    const std::string target = dir + "/drawing.sch";
    const std::string a = Text(Drawing(40000, 1)), b = Text(Drawing(40000, 2));
    std::vector<TSchModel> models;
    std::vector<TLines> states;
    std::vector<std::string> stateText;
    for (int i = 0; i < 4; ++i) {
        models.push_back(Drawing(8000 + 3000 * i, 10 + i));
        TLines l;
        WriteSnapshot(models.back(), l);
        stateText.push_back(l.Text());
        states.push_back(std::move(l));
    }
    std::string error;
    ASSERT_TRUE(sys::WriteFileAtomic(target, a, error));

    std::mt19937 rng(7);
    int cutInLine = 0, cutAtLineEnd = 0, seenCut = 0, pieces = 0;
    const int rounds = 24;
    for (int round = 0; round < rounds; ++round) {
        const std::string autoDir = dir + "/auto" + std::to_string(round);
        ASSERT_EQ(::mkdir(autoDir.c_str(), 0700), 0);
        int pipeFd[2];
        ASSERT_EQ(::pipe(pipeFd), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFd[0]);
            SaveUntilKilled(target, a, b, autoDir, states, pipeFd[1]);
        }
        ::close(pipeFd[1]);
        char c;
        ASSERT_EQ(::read(pipeFd[0], &c, 1), 1) << "the child did not start saving";
        ::close(pipeFd[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << WEXITSTATUS(status);

        // The drawing: whole, old or new.
        std::string now;
        ASSERT_TRUE(sys::ReadRegularFile(target, now, error)) << error;
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
        // Beside it at most the piece of a kill between naming the new file and putting it
        // in place, which the next save takes away.
        for (const std::string& n : Entries(dir))
            if (n != "drawing.sch" && n.rfind("auto", 0) != 0) {
                ++pieces;
                EXPECT_EQ(n.rfind(".drawing.sch.", 0), 0u) << n;
            }
        sys::SweepWritePieces(dir);
        for (const std::string& n : Entries(dir))
            EXPECT_TRUE(n == "drawing.sch" || n.rfind("auto", 0) == 0) << "left beside the drawing: " << n;

        // The autosave files (a long run starts new ones): the states written in order, cut
        // at most inside the last.
        std::vector<std::string> files = Entries(autoDir);
        std::sort(files.begin(), files.end());
        ASSERT_FALSE(files.empty());
        std::size_t k = 0;  // states met so far, over all files
        std::string saved;
        std::size_t at = 0, whole = 0;
        for (std::size_t f = 0; f < files.size(); ++f) {
            ASSERT_TRUE(sys::ReadRegularFile(autoDir + "/" + files[f], saved, error));
            at = 0;
            whole = 0;
            while (at + stateText[k % 4].size() <= saved.size()) {
                ASSERT_EQ(saved.compare(at, stateText[k % 4].size(), stateText[k % 4]), 0) << "state " << k;
                at += stateText[k % 4].size();
                ++whole;
                ++k;
            }
            if (f + 1 < files.size())
                ASSERT_EQ(at, saved.size()) << "a file before the last one was cut: " << files[f];
        }
        const std::string& cutState = stateText[k % 4];
        ASSERT_EQ(saved.compare(at, std::string::npos, cutState, 0, saved.size() - at), 0) << "the cut state";
        const TLines lines = TLines::FromText(saved);
        const TStateList list = ListStates(lines, EndsTorn(saved));
        const bool cut = at < saved.size();
        if (!cut) {
            EXPECT_FALSE(list.LastTorn);
            EXPECT_EQ(list.Starts.size(), whole);
            continue;
        }
        ++seenCut;
        const bool inLine = saved.back() != '\n';
        (inLine ? cutInLine : cutAtLineEnd)++;
        if (inLine || list.LastTorn) {
            // Seen: the newest whole state is the last one written whole.
            EXPECT_TRUE(inLine ? EndsTorn(saved) : true);
            ASSERT_EQ(list.Starts.size(), whole + 1);
            EXPECT_TRUE(list.LastTorn);
            EXPECT_EQ(list.NewestWhole(), whole == 0 ? -1 : static_cast<long long>(list.Starts[whole - 1]));
        } else {
            // Cut between two blocks: the state reads as the first shapes of the one written.
            TSchModel m;
            DoLoad(lines, static_cast<int>(list.Starts.back()), m);
            const TSchModel& full = models[k % 4];
            ASSERT_LE(m.ShapeList.size(), full.ShapeList.size());
            EXPECT_TRUE(std::equal(m.ShapeList.begin(), m.ShapeList.end(), full.ShapeList.begin()));
        }
    }
    std::printf("%d kills: %d cut an autosave state (%d inside a line, %d at a line end); %d left a piece\n", rounds,
                seenCut, cutInLine, cutAtLineEnd, pieces);
}

} // namespace

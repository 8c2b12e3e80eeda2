// A child process saves a large drawing and appends autosave states until it is killed with
// SIGKILL at a random moment. After every kill the drawing is byte for byte the old or the
// new one, nothing is left beside it, and the autosave file is the states written, cut at
// most inside the last one, which is never taken for a whole state.
#include "platform/sys/files.h"
#include "schematic/core/autosave.h"
#include "schematic/core/sch_text.h"
#include "viewers/core/backups.h"

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
// Runs body (which never returns) in a child that writes one byte to its fd once it has
// begun, then kills the child at a random moment within maxMicros and reaps it.
template <class Body>
void KillMidWay(Body&& body, std::mt19937& rng, unsigned maxMicros)
{
    int pipeFd[2];
    ASSERT_EQ(::pipe(pipeFd), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFd[0]);
        body(pipeFd[1]);
    }
    ::close(pipeFd[1]);
    char c;
    ASSERT_EQ(::read(pipeFd[0], &c, 1), 1) << "the child did not start";
    ::close(pipeFd[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % maxMicros));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << WEXITSTATUS(status);
}

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

// The autosave files of a folder, without the records beside them.
std::vector<std::string> AutoSaveFiles(const std::string& folder)
{
    std::vector<std::string> files;
    for (const std::string& n : Entries(folder))
        if (n.front() != '.')
            files.push_back(n);
    std::sort(files.begin(), files.end());
    return files;
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
        KillMidWay([&](int ready) { SaveUntilKilled(target, a, b, autoDir, states, ready); }, rng, 40000);
        if (::testing::Test::HasFatalFailure())
            return;

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
        const std::vector<std::string> files = AutoSaveFiles(autoDir);
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
        const std::string newest = autoDir + "/" + files.back();
        const TStateList list = ListStates(lines, EndsTorn(saved), ReadStateRecord(newest));
        const bool cut = at < saved.size();
        if (!cut) {
            EXPECT_FALSE(list.LastTorn);
            EXPECT_EQ(list.Starts.size(), whole);
            continue;
        }
        ++seenCut;
        const bool inLine = saved.back() != '\n';
        (inLine ? cutInLine : cutAtLineEnd)++;
        // Seen, wherever it fell: the newest whole state is the last one written whole.
        EXPECT_TRUE(inLine ? EndsTorn(saved) : true);
        ASSERT_EQ(list.Starts.size(), whole + 1);
        EXPECT_TRUE(list.LastTorn);
        EXPECT_EQ(list.NewestWhole(), whole == 0 ? -1 : static_cast<long long>(list.Starts[whole - 1]));
    }
    std::printf("%d kills: %d cut an autosave state (%d inside a line, %d at a line end); %d left a piece\n", rounds,
                seenCut, cutInLine, cutAtLineEnd, pieces);
}

// Never returns: appends the states in turn to autosave files in folder.
[[noreturn]] void AppendUntilKilled(const std::string& folder, const std::vector<TLines>& states, int ready)
{
    TAutoSaveFile autosave;
    autosave.MakeName(folder);
    if (::write(ready, "r", 1) != 1)
        ::_exit(5);
    for (std::size_t k = 0;; ++k)
        if (!autosave.Append(states[k % states.size()], folder).Ok)
            ::_exit(4);
}

// Large states of shapes, components and texts, killed a few hundred times while they are
// appended: a cut, also one that falls after a whole block (every text gone), is marked in
// the viewer's list and passed over by the editor, never shown as the newest whole state.
TEST(CrashSafety, KillsDuringLargeAppendsNeverShowACutStateAsWhole)
{
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    std::vector<std::string> stateText;
    std::vector<TLines> states;
    for (int i = 0; i < 3; ++i) {
        TSchModel m = Drawing(60000 + 20000 * i, 20 + i);
        for (int t = 0; t < 2000; ++t)
            m.TextList.push_back({"text " + std::to_string(t), t, 2 * t, 16, 0});
        TLines l;
        WriteSnapshot(m, l);
        stateText.push_back(l.Text());
        states.push_back(std::move(l));
    }
    std::mt19937 rng(11);
    int cuts = 0, atLineEnd = 0, shownWhole = 0;
    const int rounds = 300;
    for (int round = 0; round < rounds; ++round) {
        const std::string autoDir = dir + "/a" + std::to_string(round);
        ASSERT_EQ(::mkdir(autoDir.c_str(), 0700), 0);
        KillMidWay([&](int ready) { AppendUntilKilled(autoDir, states, ready); }, rng, 25000);
        if (::testing::Test::HasFatalFailure())
            return;

        const std::vector<std::string> files = AutoSaveFiles(autoDir);
        if (files.empty())
            continue;   // killed before the first byte
        // States go round 0, 1, 2 over every file; only the newest file can end cut.
        std::size_t k = 0;
        for (std::size_t f = 0; f + 1 < files.size(); ++f) {
            std::string saved, error;
            ASSERT_TRUE(sys::ReadRegularFile(autoDir + "/" + files[f], saved, error));
            for (std::size_t at = 0; at < saved.size(); at += stateText[k % 3].size(), ++k)
                ASSERT_EQ(saved.compare(at, stateText[k % 3].size(), stateText[k % 3]), 0);
        }
        const std::string newest = autoDir + "/" + files.back();
        std::string saved, error;
        ASSERT_TRUE(sys::ReadRegularFile(newest, saved, error));
        std::size_t at = 0;
        while (at + stateText[k % 3].size() <= saved.size()) {
            ASSERT_EQ(saved.compare(at, stateText[k % 3].size(), stateText[k % 3]), 0);
            at += stateText[k % 3].size();
            ++k;
        }
        const bool cut = at < saved.size();
        // The cut state is listed once its header line is in.
        const bool listed = saved.size() - at >= std::string_view("SCHEMATIC\r\n").size();
        TBackupFile file;
        if (saved.size() < std::string_view("SCHEMATIC\r\n").size())
            continue;   // not a schematic yet: the viewer says so
        ASSERT_EQ(LoadBackupFile(newest, file, error), TBackupLoad::Ok) << error;
        if (!cut || !listed) {
            EXPECT_FALSE(file.TornTail) << "round " << round;
            continue;
        }
        ++cuts;
        atLineEnd += saved.back() == '\n' ? 1 : 0;
        if (!file.TornTail)
            ++shownWhole;
    }
    std::printf("%d kills: %d cut an autosave state (%d at a line end); %d shown as whole\n", rounds, cuts,
                atLineEnd, shownWhole);
    EXPECT_EQ(shownWhole, 0);
    EXPECT_GT(cuts, 0);
}

} // namespace

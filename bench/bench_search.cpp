// The search program: the walk of a 200,000-entry tree (2 % schematics) against
// `find -P DIR -iname '*.sch'` on the same tree, both warm, and drawing one page of 42 cells
// of 300-shape files.
#include "bench/benchutil.h"
#include "schematic/core/sch_text.h"
#include "search/SearchWin_.h"
#include "search/core/walk.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

constexpr int kEntries = 200000;

// 20 folders of 99 folders each hold the files: 2,000 folders and 198,000 files, every 50th
// entry a schematic (mixed case). Made once and kept for later runs.
const std::string& Tree()
{
    static const std::string root = [] {
        const std::string r = QDir::tempPath().toStdString() + "/ostrin-bench-walk-200k";
        const std::string done = r + "/.complete";
        if (::access(done.c_str(), F_OK) == 0)
            return r;
        ::mkdir(r.c_str(), 0755);
        int made = 0, n = 0;
        const int files = kEntries - 20 - 20 * 99;
        for (int a = 0; a < 20; ++a) {
            const std::string fa = r + "/group" + std::to_string(a);
            ::mkdir(fa.c_str(), 0755);
            ++made;
            for (int b = 0; b < 99; ++b) {
                const std::string fb = fa + "/folder" + std::to_string(b);
                ::mkdir(fb.c_str(), 0755);
                ++made;
                const int here = files / (20 * 99) + (a * 99 + b < files % (20 * 99) ? 1 : 0);
                for (int f = 0; f < here; ++f, ++n) {
                    const bool sch = n % 50 == 0;
                    const std::string name = fb + "/file" + std::to_string(f) + (sch ? (n % 100 ? ".SCH" : ".sch") : ".txt");
                    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                    if (fd >= 0)
                        ::close(fd);
                    ++made;
                }
            }
        }
        std::ofstream(done) << made;
        return r;
    }();
    return root;
}

void BM_WalkTree(benchmark::State& state)
{
    const std::string root = Tree();
    search::TFolderWalk walk;
    bool searching = true;
    walk.Searching = &searching;
    int pumps = 0;
    walk.Pump = [&pumps] { ++pumps; };
    std::vector<std::string> found;
    uint64_t entries = 0;
    for (auto _ : state) {
        found.clear();
        walk.Walk(root, found);
        entries = walk.Entries();
        benchmark::DoNotOptimize(found.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * entries));
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["found"] = static_cast<double>(found.size());
    state.counters["entries/s"] = benchmark::Counter(static_cast<double>(entries * state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

void BM_FindSameTree(benchmark::State& state)
{
    const QString root = QString::fromStdString(Tree());
    for (auto _ : state) {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start("find", {"-P", root, "-iname", "*.sch"});
        if (!p.waitForFinished(60000)) {
            state.SkipWithError("find did not finish");
            return;
        }
    }
    state.counters["entries/s"] =
        benchmark::Counter(static_cast<double>(kEntries) * state.iterations(), benchmark::Counter::kIsRate);
}

// One full page: 7 by 6 cells of 300-shape drawings, read and drawn as a scroll does.
void BM_DrawPage42(benchmark::State& state)
{
    static QTemporaryDir dir(QDir::tempPath() + "/ostrin-bench-XXXXXX");
    TLines lines;
    WriteSnapshot(benchutil::MakeDrawing(300, 6, 30, 130), lines);
    const std::string text = lines.Text();
    TSearchWin win;
    win.Timer->stop();
    win.resize(1780, 998);
    win.show();
    QApplication::processEvents();
    if (win.Cols * win.Rows != 42) {
        state.SkipWithError("window is not 7 by 6 cells");
        return;
    }
    for (int i = 0; i < 42; ++i) {
        const std::string path = dir.path().toStdString() + "/d" + std::to_string(i) + ".sch";
        std::ofstream(path, std::ios::binary) << text;
        win.Found.push_back(path);
    }
    for (auto _ : state) {
        TImageCanvas canvas(win.BackBmp);
        win.DrawPics(canvas);
    }
    state.counters["cells"] = static_cast<double>(win.Found.size());
}

} // namespace

BENCHMARK(BM_WalkTree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindSameTree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawPage42)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }

// Opening a large schematic file in a window: reading, finding the newest snapshot,
// building the lists and composing the picture, with the peak memory it takes. Its own
// program, so that no earlier benchmark leaves freed heap behind for the open to reuse.
#include "bench/benchutil.h"
#include "schematic/Schem_.h"
#include "schematic/core/sch_text.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The file is written by a child process, so its model and text never enter this heap.
// With mixed, components and texts come along as in the reading benchmarks (1 : 50 and 1 : 10).
bool WriteDrawing(const std::string& path, int shapes, bool mixed = true)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        TLines text;
        WriteSnapshot(benchutil::MakeDrawing(shapes, mixed ? shapes / 50 : 0, mixed ? shapes / 10 : 0), text);
        FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok = f && std::fwrite(text.TextView().data(), 1, text.TextView().size(), f) == text.TextView().size();
        if (f)
            std::fclose(f);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Resident kilobytes: "VmRSS" or the peak since the last reset, "VmHWM".
long StatusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string word;
    while (in >> word) {
        if (word == key) {
            long kb = 0;
            in >> kb;
            return kb;
        }
    }
    return -1;
}

// Sets the peak back to what is resident now.
bool ResetPeak()
{
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    return static_cast<bool>(out);
}

void BM_OpenLarge(benchmark::State& state)
{
    char tmpl[] = "/tmp/ostrin-bench-XXXXXX";
    const char* dir = ::mkdtemp(tmpl);
    if (!dir) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(dir) + "/large.sch";
    const int shapes = static_cast<int>(state.range(0));
    if (!WriteDrawing(path, shapes, state.range(1) != 0)) {
        state.SkipWithError("file not written");
        return;
    }
    long fileBytes = 0;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        fileBytes = std::ftell(f);
        std::fclose(f);
    }
    auto win = std::make_unique<TSchWin>();
    win->Client->resize(1600, 1000);
    // A small drawing first, so the window's pictures and fonts are made before measuring.
    const std::string small = std::string(dir) + "/small.sch";
    if (!WriteDrawing(small, 100)) {
        state.SkipWithError("file not written");
        return;
    }
    win->OpenSchem(QString::fromStdString(small));
    ::unlink(small.c_str());
    bool first = true;
    for (auto _ : state) {
        // The first open is measured for memory: nothing freed before it can be reused.
        const bool peak = first && ResetPeak();
        const long before = StatusKb("VmRSS:");
        win->OpenSchem(QString::fromStdString(path));
        if (peak) {
            const long grown = StatusKb("VmHWM:") - before;
            state.counters["peak_MB"] = static_cast<double>(grown) * 1024 / 1e6;
            state.counters["peak_ratio"] = static_cast<double>(grown) * 1024 / static_cast<double>(fileBytes);
        }
        first = false;
        if (win->Model.ShapeList.size() != static_cast<std::size_t>(shapes))
            state.SkipWithError("not loaded");
    }
    state.counters["file_MB"] = static_cast<double>(fileBytes) / 1e6;
    win->FormClose();
    ::unlink(path.c_str());
    ::rmdir(dir);
}
// range(1): 1 with components and texts, 0 shapes only. The memory figure counts only what
// the open adds to the process, so it holds for the first benchmark run in a process (pick
// one with --benchmark_filter); later ones reuse memory the first gave back.
BENCHMARK(BM_OpenLarge)->Args({1000000, 1})->Args({1000000, 0})->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }

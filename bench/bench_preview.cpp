// Previews: a thumbnail from a file (open, read, draw, reduce), refusing a large file that is
// not a schematic, the reduction alone, and listing the states of a full autosave file.
#include "bench/benchutil.h"
#include "schematic/core/sch_text.h"
#include "platform/folder_widgets.h"
#include "viewers/Brows_.h"
#include "viewers/core/backups.h"
#include "viewers/render/preview.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

namespace {

QTemporaryDir& Tmp()
{
    static QTemporaryDir dir(QDir::tempPath() + "/ostrin-bench-XXXXXX");
    return dir;
}

std::string WriteText(const std::string& name, const std::string& text)
{
    const std::string path = Tmp().path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// 300 shapes (with 6 components and 30 texts) over the area a thumbnail shows.
std::string ThumbnailFile()
{
    TLines lines;
    WriteSnapshot(benchutil::MakeDrawing(300, 6, 30, 130), lines);
    return WriteText("shapes300.sch", lines.Text());
}

void BM_ThumbnailFromFile(benchmark::State& state)
{
    const std::string path = ThumbnailFile();
    QImage big, thumb;
    for (auto _ : state) {
        const TPreviewResult r = MakeThumbnail(path, big, thumb);
        benchmark::DoNotOptimize(r.Status);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_RejectLargeNonSchematic(benchmark::State& state)
{
    // 1 GB, sparse: only its first bytes are data.
    const std::string path = WriteText("huge.sch", "MZ\x90\x00 not a drawing\r\n");
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0 || ::ftruncate(fd, int64_t{1} << 30) != 0) {
        state.SkipWithError("cannot make the large file");
        return;
    }
    ::close(fd);
    QImage big, thumb;
    for (auto _ : state) {
        const TPreviewResult r = MakeThumbnail(path, big, thumb);
        benchmark::DoNotOptimize(r.Status);
    }
}

void BM_SmoothDownsize(benchmark::State& state)
{
    QImage big(preview::BigWidth, preview::BigHeight, QImage::Format_RGB32);
    big.fill(Qt::white);
    QImage thumb;
    for (auto _ : state) {
        SmoothDownsize(big, thumb);
        benchmark::DoNotOptimize(thumb.constBits());
    }
}

// An autosave file just past its rollover count, of states of a growing drawing.
std::string AutosaveFile()
{
    TLines file, state;
    TSchModel m;
    while (file.Count() < 300001) {
        m.ShapeList.push_back({1, static_cast<int32_t>(m.ShapeList.size() % 200), 5, 40, 60, 0, 0});
        WriteSnapshot(m, state);
        file.Append(state);
    }
    return WriteText("Sch20260101120000.sch", file.Text());
}

void BM_ListAutosaveFile(benchmark::State& state)
{
    const std::string path = AutosaveFile();
    TBackupFile f;
    std::string error;
    for (auto _ : state) {
        const TBackupLoad r = LoadBackupFile(path, f, error);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(f.Starts.size());
    }
    state.counters["lines"] = static_cast<double>(f.Lines.Count());
    state.counters["states"] = static_cast<double>(f.Starts.size());
}

// A grid of 12 cells (3 by 4), each a file of 300 shapes: every visible file is read again.
void BM_BrowserGrid12(benchmark::State& state)
{
    const std::string one = ThumbnailFile();
    const std::string folder = Tmp().path().toStdString() + "/grid";
    QDir().mkpath(QString::fromStdString(folder));
    std::string text;
    {
        std::ifstream in(one, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (int i = 0; i < 12; ++i)
        std::ofstream(folder + "/s" + std::to_string(i) + ".sch", std::ios::binary) << text;
    TBrowsWin b;
    b.resize(3 * 250 + 235, 4 * 150 + 36);
    b.FormResize();
    b.DirectoryListBox->SetDirectoryBytes(folder);
    b.DirListBoxChange();
    for (auto _ : state)
        b.WMDrawPics();
    state.counters["cells"] = static_cast<double>(std::min<std::size_t>(b.Files.size(), 12));
}

} // namespace

BENCHMARK(BM_BrowserGrid12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailFromFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RejectLargeNonSchematic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SmoothDownsize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListAutosaveFile)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }

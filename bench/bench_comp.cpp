// Library components: listing a folder, previewing a large component, reading and writing.
#include "bench/benchutil.h"
#include "components/SelComp_.h"
#include "components/core/comp_folder.h"
#include "components/core/comp_text.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <fstream>

namespace {

// Every kind the preview draws, spread over the component area.
TCompModel Component(int shapes)
{
    TCompModel m;
    const int kinds[] = {1, 2, 3, 4, 5, 6, 11, 12};
    for (int i = 0; i < shapes; ++i) {
        const int32_t a = i % 97 - 48, b = (i * 7) % 89 - 44;
        m.ShapeList.push_back({kinds[i % 8], a, b, b / 2 + 3, a / 2 - 5, (i % 3 == 0) ? 1 : 0, 0});
    }
    for (int i = 0; i < shapes / 100; ++i)
        m.TextList.push_back({"Q" + std::to_string(i), static_cast<uint8_t>(16 * (i % 8 + 1)), i * 7 % 900 - 450,
                              i * 13 % 900 - 450, 0});
    return m;
}

void WriteFile(const QString& path, const std::string& bytes)
{
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct TLibrary {
    QTemporaryDir dir;
    explicit TLibrary(int count)
    {
        for (int i = 0; i < count; ++i)
            WriteFile(dir.path() + QString("/PART%1.cmp").arg(i, 5, 10, QChar('0')), "COMPONENT\r\n");
    }
};

void BM_ListCompNames(benchmark::State& state)
{
    TLibrary lib(static_cast<int>(state.range(0)));
    const std::string folder = QFile::encodeName(lib.dir.path()).toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(ListCompNames(folder).size());
}

// The picker's listing, list box included.
void BM_PickerListing(benchmark::State& state)
{
    TLibrary lib(static_cast<int>(state.range(0)));
    TSelCompWin picker;
    picker.PathEdit->setText(lib.dir.path());
    for (auto _ : state) {
        picker.FormShow();
        benchmark::DoNotOptimize(picker.CompListBox->count());
    }
}

// A click on a component: read the file and draw it as it is read.
void BM_PickerPreview(benchmark::State& state)
{
    QTemporaryDir dir;
    TLines text;
    WriteComp(Component(static_cast<int>(state.range(0))), text);
    WriteFile(dir.path() + "/BIG.cmp", text.Text());
    TSelCompWin picker;
    picker.PathEdit->setText(dir.path());
    picker.FormShow();
    picker.CompListBox->setCurrentRow(0);
    for (auto _ : state)
        picker.CompListBoxClick();
}

void BM_ReadComp(benchmark::State& state)
{
    TLines text;
    WriteComp(Component(static_cast<int>(state.range(0))), text);
    const std::string bytes = text.Text();
    for (auto _ : state) {
        TCompModel m;
        benchmark::DoNotOptimize(ReadComp(TLines::FromText(bytes), m));
        benchmark::DoNotOptimize(m.ShapeList.size());
    }
}

void BM_WriteComp(benchmark::State& state)
{
    const TCompModel m = Component(static_cast<int>(state.range(0)));
    TLines text;
    for (auto _ : state) {
        WriteComp(m, text);
        benchmark::DoNotOptimize(text.Count());
    }
}

} // namespace

BENCHMARK(BM_ListCompNames)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerListing)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickerPreview)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadComp)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteComp)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return benchutil::RunWithGui(argc, argv); }

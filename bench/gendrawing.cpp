// gendrawing OURS.sch PEER.sch SHAPES TEXTS WIDTH HEIGHT: writes one deterministic drawing
// twice, as our schematic file and as the same picture in the peer's schematic format
// (lines, boxes, circles, arcs and texts in a frame of WIDTH x HEIGHT units), for timing
// side by side. One unit is 100 of the peer's units; its y axis points up.
#include "schematic/core/lines.h"
#include "schematic/core/sch_text.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool WriteAll(const char* path, const std::string& bytes)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: gendrawing OURS.sch PEER.sch SHAPES TEXTS WIDTH HEIGHT\n");
        return 1;
    }
    const int shapes = std::atoi(argv[3]), texts = std::atoi(argv[4]);
    const int width = std::atoi(argv[5]), height = std::atoi(argv[6]);
    if (shapes < 0 || texts < 0 || width < 40 || height < 40) {
        std::fprintf(stderr, "gendrawing: bad numbers\n");
        return 1;
    }
    uint32_t seed = 2024;
    auto rnd = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(n));
    };
    TSchModel m;
    std::string peer = "v 20201216 2\n";
    auto px = [](int x) { return std::to_string(x * 100); };
    auto py = [&](int y) { return std::to_string((height - y) * 100); };
    auto line = [&](int x1, int y1, int x2, int y2) {
        m.ShapeList.push_back({1, x1, y1, x2, y2, 0, 0});
        peer += "L " + px(x1) + " " + py(y1) + " " + px(x2) + " " + py(y2) + " 3 0 0 0 -1 -1\n";
    };
    // The frame fixes the extent.
    m.ShapeList.push_back({2, 0, 0, width, height, 0, 0});
    peer += "B 0 0 " + px(width) + " " + std::to_string(height * 100) + " 3 0 0 0 -1 -1 0 -1 -1 -1 -1 -1\n";
    for (int i = 1; i < shapes; ++i) {
        const int x = 2 + rnd(width - 24), y = 2 + rnd(height - 24);
        const int w = 1 + rnd(20), h = 1 + rnd(20);
        switch (i % 5) {
        case 0:
        case 1:
            line(x, y, x + w, i % 2 ? y : y + h);
            break;
        case 2:
            m.ShapeList.push_back({2, x, y, x + w, y + h, 0, 0});
            peer += "B " + px(x) + " " + py(y + h) + " " + px(w) + " " + px(h) + " 3 0 0 0 -1 -1 0 -1 -1 -1 -1 -1\n";
            break;
        case 3: {
            const int r = 1 + rnd(8);
            m.ShapeList.push_back({4, x + r, y + r, 4 * r, 4 * r, 0, 0});
            peer += "V " + px(x + r) + " " + py(y + r) + " " + px(r) + " 3 0 0 0 -1 -1 0 -1 -1 -1 -1 -1\n";
            break;
        }
        default:
            // A quarter arc from (x, y) to (x + w, y + w): centre (x, y + w), radius w.
            m.ShapeList.push_back({5, x, y, x + w, y + w, 0, 0});
            peer += "A " + px(x) + " " + py(y + w) + " " + px(w) + " 0 90 3 0 0 0 -1 -1\n";
            break;
        }
    }
    for (int i = 0; i < texts; ++i) {
        const int x = 2 + rnd(width - 60), y = 2 + rnd(height - 10);
        const std::string t = "Text " + std::to_string(i);
        m.TextList.push_back({t, x * 10, y * 10, 0x20, 0});
        peer += "T " + px(x) + " " + py(y + 3) + " 9 10 1 0 0 0 1\n" + t + "\n";
    }
    TLines out;
    WriteSnapshot(m, out);
    if (!WriteAll(argv[1], out.Text()) || !WriteAll(argv[2], peer)) {
        std::fprintf(stderr, "gendrawing: cannot write\n");
        return 1;
    }
    return 0;
}

#include "schematic/core/nodes.h"

#include <algorithm>

std::vector<TNodeLine> NodeLines(const TShapeList& shapes)
{
    std::vector<TNodeLine> out;
    for (auto it = shapes.rbegin(); it != shapes.rend(); ++it)
        if (it->Kind == 1)
            out.push_back({it->X1, it->Y1, it->X2, it->Y2, 0});
    return out;
}

namespace {

// v lies between a and b, both included, in either order.
bool Between(int32_t v, int32_t a, int32_t b) { return v >= std::min(a, b) && v <= std::max(a, b); }

// The rules of a vertical p; the horizontal ones are these with x and y exchanged.
// Coordinates are passed as (along, across): for a vertical p, across = x, along = y.
bool TouchesAlong(int32_t pa1, int32_t pc1, int32_t pa2, int32_t pc2, int32_t qa1, int32_t qc1, int32_t qa2,
                  int32_t qc2, bool horizontalP)
{
    // q has an end on p's line (whatever its other coordinate) and the ranges overlap.
    if (qc1 == pc1 || qc2 == pc1) {
        if (Between(qa1, pa1, pa2) || Between(qa2, pa1, pa2) || Between(std::min(pa1, pa2), qa1, qa2) ||
            Between(std::max(pa1, pa2), qa1, qa2))
            return true;
    }
    // q runs across p at one of p's ends.
    if (qa1 == qa2) {
        if (!horizontalP) {
            // Vertical p: a horizontal q at p's end y whose x range spans p's x.
            if ((qa1 == pa1 || qa1 == pa2) && std::min(qc1, qc2) <= pc1 && std::max(qc1, qc2) >= pc2)
                return true;
        } else {
            // Horizontal p: a vertical q at one of p's end x whose y range covers p's y.
            if ((qa1 == pa1 || qa1 == pa2) && Between(pc1, qc1, qc2))
                return true;
        }
    }
    return false;
}

} // namespace

bool NodeTouches(const TNodeLine& p, const TNodeLine& q)
{
    // A single point (both vertical and horizontal) tries both sets.
    if (p.X1 == p.X2 && TouchesAlong(p.Y1, p.X1, p.Y2, p.X2, q.Y1, q.X1, q.Y2, q.X2, false))
        return true;
    if (p.Y1 == p.Y2 && TouchesAlong(p.X1, p.Y1, p.X2, p.Y2, q.X1, q.Y1, q.X2, q.Y2, true))
        return true;
    return false;
}

int32_t NumberNets(std::vector<TNodeLine>& lines)
{
    for (TNodeLine& l : lines)
        l.Net = 0;
    // Free lines in list order; a line leaves when it joins a net, so each comparison
    // pass only looks at lines that can still join.
    std::vector<std::size_t> free;
    free.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        free.push_back(i);
    std::vector<std::size_t> pending;
    int32_t net = 0;
    while (!free.empty()) {
        // The first free line seeds the next net.
        const std::size_t seed = free.front();
        ++net;
        lines[seed].Net = net;
        free.erase(free.begin());
        pending.assign(1, seed);
        while (!pending.empty()) {
            const TNodeLine p = lines[pending.back()];
            pending.pop_back();
            std::size_t keep = 0;
            for (std::size_t k = 0; k < free.size(); ++k) {
                const std::size_t q = free[k];
                if (NodeTouches(p, lines[q])) {
                    lines[q].Net = net;
                    pending.push_back(q);
                } else {
                    free[keep++] = q;
                }
            }
            free.resize(keep);
        }
    }
    return net;
}

bool NodePixel(int32_t x, int32_t y, int32_t offX, int32_t offY, int32_t scale, int32_t& px, int32_t& py)
{
    const int64_t x64 = (static_cast<int64_t>(x) - offX) * scale;
    const int64_t y64 = (static_cast<int64_t>(y) - offY) * scale;
    if (!world::Fits32(x64) || !world::Fits32(y64))
        return false;
    px = static_cast<int32_t>(x64);
    py = static_cast<int32_t>(y64);
    return true;
}

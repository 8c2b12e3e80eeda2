#pragma once
// Connection nodes: the straight lines of a drawing grouped into nets of lines that touch
// one another, for the check that writes each line's net number at its two ends.
#include "schematic/core/records.h"

#include <cstdint>
#include <vector>

// A copy of one straight line (world units) with its net; 0 = not yet in a net.
struct TNodeLine {
    int32_t X1 = 0;
    int32_t Y1 = 0;
    int32_t X2 = 0;
    int32_t Y2 = 0;
    int32_t Net = 0;
    bool operator==(const TNodeLine&) const = default;
};

// The straight lines (Kind 1) of the shape list, the last one first. Lines with arrow
// heads and every other kind take no part; components' own lines are not in the list.
std::vector<TNodeLine> NodeLines(const TShapeList& shapes);

// Whether q joins the net of p. Only a vertical or horizontal p reaches out: a vertical p
// takes a q with an end at p's x whose y range overlaps p's, or a horizontal q that runs
// through one of p's ends; a horizontal p the same with x and y exchanged. The rule is
// not symmetric (a slanted p joins nothing, a slanted q can be joined).
bool NodeTouches(const TNodeLine& p, const TNodeLine& q);

// Numbers the nets: the first line not yet in a net seeds the next number (1, 2, ...),
// and the net takes every line reachable from the seed through NodeTouches among the
// lines still free. Returns the number of nets. Each line is taken up once and compared
// with the free lines only, so the work is quadratic whatever the order of the lines.
int32_t NumberNets(std::vector<TNodeLine>& lines);

// The pixel of a world point on the window, ((x - offX) * scale, (y - offY) * scale), worked
// out in 64 bits; false when it does not fit 32 bits.
bool NodePixel(int32_t x, int32_t y, int32_t offX, int32_t offY, int32_t scale, int32_t& px, int32_t& py);

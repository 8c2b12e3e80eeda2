#pragma once
// Pixel decisions for the 1-pixel shapes the image canvas draws itself: which pixels a line
// covers, which a 1-pixel ellipse outline and its inside cover row by row, which lie on an
// arc's sweep, and which pixel centres a polygon holds by the alternate rule. Pure integer
// and floating-point code with no Qt, so every decision can be tested alone.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace raster {

// Calls fn(x, y, i) for every pixel of the line from (x0, y0) to (x1, y1) that lies inside
// [0, w) x [0, h), leaving out the end pixel. i is the step along the major axis (0 at the
// start) so callers can run a dash pattern. The minor coordinate is the nearest to the exact
// line, halves toward the end point. Far-away parts are skipped, never walked.
template <class F>
void WalkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t w, int64_t h, F&& fn)
{
    const int64_t adx = x1 >= x0 ? x1 - x0 : x0 - x1;
    const int64_t ady = y1 >= y0 ? y1 - y0 : y0 - y1;
    const int64_t steps = std::max(adx, ady);
    if (steps == 0)
        return;
    const bool xMajor = adx >= ady;
    const int64_t sMaj = xMajor ? (x1 >= x0 ? 1 : -1) : (y1 >= y0 ? 1 : -1);
    const int64_t sMin = xMajor ? (y1 >= y0 ? 1 : -1) : (x1 >= x0 ? 1 : -1);
    const int64_t dMaj = xMajor ? adx : ady;
    const int64_t dMin = xMajor ? ady : adx;
    const int64_t maj0 = xMajor ? x0 : y0;
    const int64_t min0 = xMajor ? y0 : x0;
    const int64_t majLimit = xMajor ? w : h;
    const int64_t minLimit = xMajor ? h : w;

    // Visible range of i along the major axis.
    int64_t iLo, iHi;   // inclusive
    if (sMaj > 0) {
        iLo = -maj0;
        iHi = majLimit - 1 - maj0;
    } else {
        iLo = maj0 - (majLimit - 1);
        iHi = maj0;
    }
    iLo = std::max<int64_t>(iLo, 0);
    iHi = std::min<int64_t>(iHi, steps - 1);
    if (iLo > iHi)
        return;
    // Narrow further by the minor axis: minor offset m(i) = floor((2 i dMin + dMaj) / (2 dMaj))
    // grows with i, so the visible i form one range; find it by bisection on the offset.
    auto minorAt = [&](int64_t i) {
        const __int128 num = static_cast<__int128>(2) * i * dMin + dMaj;
        return min0 + sMin * static_cast<int64_t>(num / (2 * static_cast<__int128>(dMaj)));
    };
    auto visibleMinor = [&](int64_t v) { return v >= 0 && v < minLimit; };
    auto firstWhere = [&](int64_t lo, int64_t hi, auto pred) {
        // smallest i in [lo, hi] with pred(i) true, pred monotone false->true; hi + 1 if none
        while (lo <= hi) {
            const int64_t mid = lo + (hi - lo) / 2;
            if (pred(mid))
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        return lo;
    };
    const int64_t minEnd = min0 + sMin * dMin;
    const bool minorInside = visibleMinor(min0) && visibleMinor(minEnd);
    if (dMin > 0 && !minorInside) {
        if (sMin > 0) {
            iLo = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) >= 0; });
            iHi = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) >= minLimit; }) - 1;
        } else {
            iLo = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) < minLimit; });
            iHi = firstWhere(iLo, iHi, [&](int64_t i) { return minorAt(i) < 0; }) - 1;
        }
    } else if (dMin == 0 && !visibleMinor(min0)) {
        return;
    }
    if (iLo > iHi)
        return;
    // Walk incrementally: the remainder of (2 i dMin + dMaj) / (2 dMaj) grows by 2 dMin a step.
    const int64_t twoMaj = 2 * dMaj, twoMin = 2 * dMin;
    int64_t mn = minorAt(iLo);
    int64_t rem = static_cast<int64_t>((static_cast<__int128>(2) * iLo * dMin + dMaj) % twoMaj);
    int64_t maj = maj0 + sMaj * iLo;
    for (int64_t i = iLo; i <= iHi; ++i) {
        const int64_t px = xMajor ? maj : mn;
        const int64_t py = xMajor ? mn : maj;
        if (px >= 0 && py >= 0 && px < w && py < h)
            fn(px, py, i);
        maj += sMaj;
        rem += twoMin;
        if (rem >= twoMaj) {
            rem -= twoMaj;
            mn += sMin;
        }
    }
}

// One row of the 1-pixel outline of the ellipse inscribed in [l, r) x [t, b): the left part
// covers [a0, a1], the right part [b0, b1] (mirror images, never overlapping), and the inside
// lies strictly between a1 and b0. Rows outside the box give an empty row (a0 > a1).
struct EllipseRow {
    int64_t a0 = 1, a1 = 0, b0 = 1, b1 = 0;
    bool Empty() const { return a0 > a1; }
};

// The outline passes through the centres of the box's outermost pixels: row by row it covers
// the pixels, rounded to the nearest, that the curve crosses within the row's height, with
// the rows of flat parts meeting corner to corner, so it is one pixel thin and 8-connected.
class EllipseRows {
public:
    // Prepares the rows [yLo, yHi) (cut to the box); scratch holds the row boundaries, so one
    // buffer serves every ellipse. Each boundary is computed once for a row and its mirror.
    EllipseRows(int64_t l, int64_t t, int64_t r, int64_t b, int64_t yLo, int64_t yHi,
                std::vector<int64_t>& scratch);
    // A prepared row; others come out empty.
    EllipseRow Row(int64_t y) const;
    int64_t First() const { return yLo_; }
    int64_t Last() const { return yHi_; }   // exclusive

private:
    int64_t LeftAt(double d) const;     // the pixel nearest the curve's left side there

    int64_t l_, t_, r_, b_, yLo_, yHi_;
    int64_t sx_, sy_;    // twice the centre: l + r - 1, t + b - 1
    double a_, bs_;      // half axes between the outermost pixel centres
    double ratio_;       // a / bs
    std::vector<int64_t>& bounds_;
    int64_t j0_ = 0;     // index of bounds_[0]
};

// The sweep of an arc counter-clockwise (y up) from the ray through s to the ray through e,
// both from the centre; rays in the same direction give the whole ellipse. Vectors are in
// any common unit, y pointing up.
class ArcSweep {
public:
    ArcSweep(int64_t sx, int64_t sy, int64_t ex, int64_t ey);
    bool Holds(int64_t vx, int64_t vy) const;

private:
    int64_t sx_, sy_, ex_, ey_;
    int kind_;   // 0: whole, 1: below a half turn, 2: above, 3: exactly a half turn
};

// Pixel centres inside a closed polygon by the alternate (even-odd) rule, for the row y: the
// spans [x0, x1] inclusive are appended to out, in order (out is cleared first). Centres
// exactly on an edge may fall either way; the outline covers them.
struct TSpan {
    int64_t x0, x1;
};
void PolygonRowSpans(const int64_t* xs, const int64_t* ys, int count, int64_t y, std::vector<double>& scratch,
                     std::vector<TSpan>& out);

} // namespace raster

#include "platform/raster.h"

#include <cmath>

namespace raster {

namespace {
inline int64_t FloorHalf(int64_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

inline __int128 Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by)
{
    return static_cast<__int128>(ax) * by - static_cast<__int128>(ay) * bx;
}
} // namespace

EllipseRows::EllipseRows(int64_t l, int64_t t, int64_t r, int64_t b, int64_t yLo, int64_t yHi,
                         std::vector<int64_t>& scratch)
    : l_(l), t_(t), r_(r), b_(b), yLo_(std::max(yLo, t)), yHi_(std::min(yHi, b)), sx_(l + r - 1),
      sy_(t + b - 1), a_(static_cast<double>(r - 1 - l) / 2.0), bs_(static_cast<double>(b - 1 - t) / 2.0),
      ratio_(bs_ > 0.0 ? a_ / bs_ : 0.0), bounds_(scratch)
{
    bounds_.clear();
    if (yLo_ >= yHi_ || r_ <= l_)
        return;
    // Row y lies twoD / 2 from the centre and uses the boundaries twoD >> 1 and the next.
    auto twoDOf = [&](int64_t y) { return 2 * y >= sy_ ? 2 * y - sy_ : sy_ - 2 * y; };
    int64_t lo = std::min(twoDOf(yLo_), twoDOf(yHi_ - 1));
    const int64_t hi = std::max(twoDOf(yLo_), twoDOf(yHi_ - 1));
    if (2 * yLo_ <= sy_ && sy_ <= 2 * (yHi_ - 1))
        lo = 0;
    j0_ = lo >> 1;
    const int64_t j1 = (hi >> 1) + 1;
    const bool halfRows = (sy_ & 1) != 0;   // the centre lies between two rows
    bounds_.reserve(static_cast<size_t>(j1 - j0_ + 1));
    for (int64_t j = j0_; j <= j1; ++j) {
        const double e = halfRows ? static_cast<double>(j) : std::max(static_cast<double>(j) - 0.5, 0.0);
        bounds_.push_back(LeftAt(e));
    }
}

int64_t EllipseRows::LeftAt(double d) const
{
    double hw = a_;
    if (bs_ > 0.0)
        // (bs - d)(bs + d) keeps its precision near the top and bottom of a huge ellipse.
        hw = d >= bs_ ? 0.0 : ratio_ * std::sqrt((bs_ - d) * (bs_ + d));
    const double v = static_cast<double>(sx_) / 2.0 - hw + 0.5;
    auto x = static_cast<int64_t>(v);
    if (static_cast<double>(x) > v)
        --x;
    return std::max(l_, x);
}

EllipseRow EllipseRows::Row(int64_t y) const
{
    EllipseRow row;
    if (y < yLo_ || y >= yHi_ || bounds_.empty())
        return row;
    const int64_t twoD = 2 * y >= sy_ ? 2 * y - sy_ : sy_ - 2 * y;
    const auto j = static_cast<size_t>((twoD >> 1) - j0_);
    const int64_t mid = FloorHalf(sx_);
    const int64_t a0 = std::min(bounds_[j], mid);
    int64_t a1 = mid;
    if (static_cast<double>(twoD) / 2.0 + 1.0 <= bs_)
        a1 = std::min(mid, std::max(a0, bounds_[j + 1] - 1));
    row.a0 = a0;
    row.a1 = a1;
    row.b0 = std::max(sx_ - a1, a1 + 1);
    row.b1 = sx_ - a0;
    return row;
}

ArcSweep::ArcSweep(int64_t sx, int64_t sy, int64_t ex, int64_t ey)
{
    if (sx == 0 && sy == 0)
        sx = 1;
    if (ex == 0 && ey == 0)
        ex = 1;
    sx_ = sx; sy_ = sy; ex_ = ex; ey_ = ey;
    const __int128 c = Cross(sx, sy, ex, ey);
    const __int128 dot = static_cast<__int128>(sx) * ex + static_cast<__int128>(sy) * ey;
    if (c > 0)
        kind_ = 1;
    else if (c < 0)
        kind_ = 2;
    else
        kind_ = dot > 0 ? 0 : 3;
}

bool ArcSweep::Holds(int64_t vx, int64_t vy) const
{
    if (kind_ == 0 || (vx == 0 && vy == 0))
        return true;
    const bool afterStart = Cross(sx_, sy_, vx, vy) >= 0;
    if (kind_ == 3)
        return afterStart;
    const bool beforeEnd = Cross(vx, vy, ex_, ey_) >= 0;
    return kind_ == 1 ? (afterStart && beforeEnd) : (afterStart || beforeEnd);
}

void PolygonRowSpans(const int64_t* xs, const int64_t* ys, int count, int64_t y, std::vector<double>& scratch,
                     std::vector<TSpan>& out)
{
    out.clear();
    scratch.clear();
    for (int i = 0; i < count; ++i) {
        const int j = i + 1 == count ? 0 : i + 1;
        const int64_t y0 = ys[i], y1 = ys[j];
        // Half-open in y, so a vertex between two edges counts once.
        if ((y0 <= y && y < y1) || (y1 <= y && y < y0)) {
            const double t = static_cast<double>(y - y0) / static_cast<double>(y1 - y0);
            scratch.push_back(static_cast<double>(xs[i]) + t * static_cast<double>(xs[j] - xs[i]));
        }
    }
    std::sort(scratch.begin(), scratch.end());
    for (size_t k = 0; k + 1 < scratch.size(); k += 2) {
        const double lo = std::ceil(scratch[k]), hi = std::floor(scratch[k + 1]);
        if (lo <= hi)
            out.push_back({static_cast<int64_t>(lo), static_cast<int64_t>(hi)});
    }
}

} // namespace raster

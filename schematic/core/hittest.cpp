#include "schematic/core/hittest.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

// Round half to even.
int64_t R(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

std::string Pt(int64_t x, int64_t y) { return "(" + std::to_string(x) + "," + std::to_string(y) + ")"; }

std::string BoxNote(int64_t lx, int64_t ly, int64_t hx, int64_t hy)
{
    return "  " + Pt(lx, ly) + " - " + Pt(hx, hy);
}

// Normalised ellipse value in hundredths; a boundary point gives about 100.
int64_t EllipseValue(int64_t X, int64_t Y, int64_t cx, int64_t cy, int64_t a, int64_t b)
{
    const double u = static_cast<double>(X - cx) / static_cast<double>(a);
    const double v = static_cast<double>(Y - cy) / static_cast<double>(b);
    return R((u * u + v * v) * 100.0);
}

} // namespace

bool ChkShape(const TShapeRec& s, int64_t X, int64_t Y, std::string* readout, THitRules rules)
{
    const bool comp = rules == THitRules::Component;
    const int64_t x1 = s.X1, y1 = s.Y1, x2 = s.X2, y2 = s.Y2;
    const int64_t px = X, py = Y;
    const int64_t loX = std::min(x1, x2), hiX = std::max(x1, x2);
    const int64_t loY = std::min(y1, y2), hiY = std::max(y1, y2);
    const bool inBox = loX <= px && px <= hiX && loY <= py && py <= hiY;
    bool hit = false;
    std::string note;

    switch (s.Kind) {
    case 1:
    case 11: {
        if (!inBox)
            break;
        int64_t d;
        if (Abs64(x2 - x1) <= 2) {
            d = px - x1;
        } else {
            const double slope = static_cast<double>(y2 - y1) / static_cast<double>(x2 - x1);
            d = R(static_cast<double>(py) - slope * static_cast<double>(px - x1) - static_cast<double>(y1));
        }
        hit = Abs64(d) < 2;
        if (hit && readout)
            note = "  " + Pt(x1, y1) + " - " + Pt(x2, y2);
        break;
    }
    case 2: {
        const bool nearH = (Abs64(hiY - py) < 2 || Abs64(loY - py) < 2) && loX < px && px < hiX;
        const bool nearV = (Abs64(hiX - px) < 2 || Abs64(loX - px) < 2) && loY < py && py < hiY;
        hit = nearH || nearV;
        if (hit && readout)
            note = BoxNote(loX, loY, hiX, hiY);
        break;
    }
    case 3: {
        if (!inBox)
            break;
        if (comp) {
            hit = true;
            if (readout)
                note = BoxNote(loX, loY, hiX, hiY);
            break;
        }
        const int64_t a = (hiX - loX) / 2, b = (hiY - loY) / 2;
        if (a < 1 || b < 1) {
            hit = true;
        } else {
            const int64_t v = EllipseValue(px, py, loX + a, loY + b, a, b);
            hit = v >= 81 && v <= 109;
        }
        if (hit && readout)
            note = BoxNote(loX, loY, hiX, hiY);
        break;
    }
    case 4: {
        const int64_t r = Abs64(y2 / 4);
        const double dx = static_cast<double>(x1 - px), dy = static_cast<double>(y1 - py);
        const int64_t d = R(std::sqrt(dx * dx + dy * dy));
        hit = Abs64(d - r) < 2;
        if (hit && readout)
            note = "  " + Pt(x1, y1) + " - " + std::to_string(r);
        break;
    }
    case 5: {
        if (!inBox)
            break;
        if (comp) {
            hit = true;
            if (readout)
                note = BoxNote(loX, loY, hiX, hiY);
            break;
        }
        const int64_t a = hiX - loX, b = hiY - loY;
        if (a < 1 || b < 1) {
            hit = true;
        } else {
            // Both deltas are non-zero here.
            const bool same = (x2 - x1 > 0) == (y2 - y1 > 0);
            const int64_t cx = same ? x1 : x2;
            const int64_t cy = same ? y2 : y1;
            const int64_t v = EllipseValue(px, py, cx, cy, a, b);
            hit = v >= 81 && v <= 109;
        }
        if (hit && readout)
            note = BoxNote(loX, loY, hiX, hiY);
        break;
    }
    case 6:
        hit = loX - 1 <= px && px <= hiX + 1 && loY - 1 <= py && py <= hiY + 1;
        if (hit && readout)
            note = BoxNote(loX, loY, hiX, hiY);
        break;
    case 12: {
        // A wave without width has no period: never hit.
        if (comp || loX == hiX)
            break;
        const int64_t amp = Abs64(y2 - y1);
        if (!(loX <= px && px <= hiX && y1 - amp <= py && py <= y1 + amp))
            break;
        // Only the columns within one of the pointer can match.
        const int64_t from = std::max(loX, px - 1), to = std::min(hiX, px + 1);
        const double period = static_cast<double>(hiX - loX);
        for (int64_t x = from; x <= to && !hit; ++x) {
            const double ang = static_cast<double>(x - loX) * 2.0 * std::numbers::pi / period;
            const int64_t y = R(std::sin(ang) * static_cast<double>(y2 - y1) + static_cast<double>(y1));
            hit = x - 1 <= px && px <= x + 1 && y - 1 <= py && py <= y + 1;
        }
        if (hit && readout)
            note = "  " + Pt(loX, y1) + " - " + Pt(hiX, y2);
        break;
    }
    default:
        break;
    }
    if (hit && readout) {
        if (comp && note.rfind("  ", 0) == 0)
            note.erase(0, 2);
        *readout = std::move(note);
    }
    return hit;
}

TBand MakeBand(int64_t x1, int64_t y1, int64_t x2, int64_t y2)
{
    return TBand{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

bool ShapeInBand(const TShapeRec& s, const TBand& b)
{
    const int64_t x1 = s.X1, y1 = s.Y1, x2 = s.X2, y2 = s.Y2;
    switch (s.Kind) {
    case 1:
    case 2:
    case 3:
    case 5:
    case 6:
    case 11:
        return b.Inside(x1, y1) || b.Inside(x2, y2);
    case 4:
        return b.Inside(x1, y1);
    case 12:
        return b.Inside(x1, y1) || b.Inside(x2, y1) || b.Inside((x1 + x2) / 2, y1)
            || b.Inside((x2 - x1) / 4 + x1, y2) || b.Inside((x2 - x1) * 3 / 4 + x1, y1 - (y2 - y1));
    default:
        return false;
    }
}

bool TextInBand(const TTextRec& t, const TBand& b)
{
    const TBand tenths{b.LoX * 10, b.LoY * 10, b.HiX * 10, b.HiY * 10};
    return tenths.Inside(t.X, t.Y);
}

TTextBox TextHitBox(const TTextRec& t, int32_t pixelWidth, int32_t pixelHeight, int32_t scale)
{
    const int64_t w = static_cast<int64_t>(pixelWidth) * 10 / scale + 1;
    const int64_t h = static_cast<int64_t>(pixelHeight) * 10 / scale + 1;
    const int64_t x = t.X, y = t.Y;
    switch (font::Angle(t.Font)) {
    case 90:
        return {x, y - w, x + h, y};
    case 180:
        return {x - w, y - h, x, y};
    case 270:
        return {x - h, y, x, y + w};
    default:
        return {x, y, x + w, y + h};
    }
}

int32_t FreeTextPointSize(int32_t f, int32_t scale)
{
    const int32_t n = font::SizeStep(f);
    switch (scale) {
    case 1:
        return 2 * n + 2;
    case 2:
        return 3 * n + 4;
    case 4:
        return 6 * n + 6;
    case 8:
        return 12 * n + 12;
    default:
        return 0;
    }
}

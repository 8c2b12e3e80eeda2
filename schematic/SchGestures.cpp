#include "schematic/SchGestures.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>

#include "schematic/core/edits.h"
#include "schematic/core/hittest.h"
#include "schematic/core/numconv.h"
#include "schematic/core/sch_menus.h"

namespace {

constexpr uint32_t clCross = 0xFF00FF;
constexpr uint32_t clOutline = 0x008000;
constexpr uint32_t clBand = 0x808080;
constexpr uint32_t clWhite = 0xFFFFFF;

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }
int32_t Px(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
int32_t R(double v) { return Px(static_cast<int64_t>(std::nearbyint(v))); }
bool Fits(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}
std::string Num(int64_t v) { return std::to_string(v); }

// Angle part of a font word as the dialogs read it.
int AngleIndexOf(int32_t f)
{
    switch (static_cast<uint16_t>(f / 256)) {
    case 90:
        return 1;
    case 180:
        return 2;
    case 270:
        return 3;
    default:
        return 0;
    }
}

} // namespace

int32_t TSchGestures::Snap(int32_t p) const
{
    const int64_t s = Host.Scale();
    return Px((static_cast<int64_t>(p) + s / 2) / s * s);
}

int32_t TSchGestures::WinUnit(int32_t p) const
{
    const int64_t s = Host.Scale();
    return Px((static_cast<int64_t>(p) + s / 2) / s);
}

int32_t TSchGestures::WorldX(int64_t pixel) const { return Px(pixel / Host.Scale() + Host.OffsetX()); }
int32_t TSchGestures::WorldY(int64_t pixel) const { return Px(pixel / Host.Scale() + Host.OffsetY()); }

void TSchGestures::LeaveState()
{
    PolyPoints.clear();
    // Panning shows the closed hand application-wide, moving its own cursor on the window:
    // whichever way the gesture ends, both go back.
    if (MouseState == 20 || MouseState == 2)
        Host.SetScreenCursor(sch_cursor::Default);
    if (MouseState == 2)
        Host.RestoreWindowCursor();
}

void TSchGestures::Crosshair(int32_t x, int32_t y)
{
    Host.OvLine(x, 0, x, Host.ClientHeight());
    Host.OvLine(0, y, Host.ClientWidth(), y);
}

void TSchGestures::BandRect()
{
    // The press point (EndX, EndY) is the fixed corner.
    Host.OvPolyline({{EndX, EndY}, {StartX, EndY}, {StartX, StartY}, {EndX, StartY}, {EndX, EndY}});
}

void TSchGestures::StartBand()
{
    MouseState = 4;
    Host.OvXorMode(true);
    Host.OvPenDotted(true);
    Host.OvPenColor(clBand);
    BandRect();
}

void TSchGestures::ShapeOutline(int32_t tool, int64_t sx, int64_t sy, int64_t ex, int64_t ey)
{
    ToolOutline(Host, tool, sx, sy, ex, ey);
}

void ToolOutline(TOutlinePen& Host, int32_t tool, int64_t sx, int64_t sy, int64_t ex, int64_t ey)
{
    const int64_t loX = std::min(sx, ex), hiX = std::max(sx, ex);
    const int64_t loY = std::min(sy, ey), hiY = std::max(sy, ey);
    switch (tool) {
    case 1:
    case 11:
        Host.OvLine(Px(sx), Px(sy), Px(ex), Px(ey));
        break;
    case 2:
        Host.OvRectangle(Px(loX), Px(loY), Px(hiX + 1), Px(hiY + 1));
        break;
    case 3:
        Host.OvEllipse(Px(loX), Px(loY), Px(hiX + 1), Px(hiY + 1));
        break;
    case 4: {
        const int64_t r = std::max(Abs64(sx - ex), Abs64(sy - ey));
        Host.OvEllipse(Px(sx - r), Px(sy - r), Px(sx + r + 1), Px(sy + r + 1));
        break;
    }
    case 5: {
        if (sx == ex || sy == ey)
            break;
        int64_t l, t, r, b;
        if (sx < ex && sy > ey) {
            l = sx, t = ey, r = 2 * ex - sx + 1, b = 2 * sy - ey;
        } else if (sx < ex) {
            l = 2 * sx - ex, t = sy, r = ex + 1, b = 2 * ey - sy;
        } else if (sy < ey) {
            l = 2 * ex - sx, t = 2 * sy - ey, r = sx + 1, b = ey + 1;
        } else {
            l = ex, t = 2 * ey - sy, r = 2 * sx - ex, b = sy + 1;
        }
        Host.OvArc(Px(l), Px(t), Px(r), Px(b), Px(ex), Px(ey), Px(sx), Px(sy));
        break;
    }
    case 6: {
        const double dx = static_cast<double>(sx - ex), dy = static_cast<double>(sy - ey);
        const double h = std::sqrt(dx * dx + dy * dy) / 2;
        TPointRec p1, p2;
        if (sx == ex) {
            p1 = {R(static_cast<double>(ex) + h), Px(ey)};
            p2 = {R(static_cast<double>(ex) - h), Px(ey)};
        } else {
            const double a = std::atan(static_cast<double>(ey - sy) / static_cast<double>(ex - sx));
            const double hp = std::numbers::pi / 2;
            p1 = {R(static_cast<double>(ex) + h * std::cos(a + hp)), R(static_cast<double>(ey) + h * std::sin(a + hp))};
            p2 = {R(static_cast<double>(ex) + h * std::cos(a - hp)), R(static_cast<double>(ey) + h * std::sin(a - hp))};
        }
        const TPointRec s{Px(sx), Px(sy)};
        Host.OvPolyline({s, p1, p2, s});
        break;
    }
    case 12: {
        const int64_t q = (ex - sx) / 4, a = ey - sy;
        Host.OvPolyline({{Px(sx), Px(sy)}, {Px(sx + q), Px(ey)}, {Px(sx + 3 * q), Px(sy - a)}, {Px(ex), Px(sy)}});
        const int64_t y1 = std::min(ey, sy - a), y2 = std::max(ey, sy - a);
        Host.OvRectangle(Px(sx), Px(y1), Px(ex + 1), Px(y2 + 1));
        Host.OvLine(Px(sx), Px(sy), Px(ex), Px(sy));
        break;
    }
    default:
        break;
    }
}

// ---- press, move, release ----

void TSchGestures::FormMouseDown(TMouseBtn Button, TShiftState Shift, int32_t X, int32_t Y)
{
    // A right press cancels a running gesture.
    if (Button == TMouseBtn::Right && MouseState >= 1 && MouseState <= 12) {
        LeaveState();
        MouseState = 0;
        Host.OvXorMode(false);
        Host.FullRedraw();
        return;
    }
    Host.SetBoxDragging(0);
    Host.OvPenDotted(false);
    // Any other press while a gesture runs, and the second press of a double click, only end
    // the state.
    if (MouseState > 0 || Shift.Double) {
        // The outlines, crosshair or ghost of the state being left would stay on the window.
        const bool drew = MouseState >= 1 && MouseState <= 5;
        LeaveState();
        Host.OvXorMode(false);
        MouseState = 0;
        if (drew)
            Host.BitmapRepaint();
        return;
    }
    const int32_t scale = Host.Scale();
    if (Button == TMouseBtn::Left) {
        StartX = Snap(X);
        StartY = Snap(Y);
        Host.SetStatus2("  (" + Num(StartX / scale) + "," + Num(StartY / scale) + ") ");
        EndX = StartX;
        EndY = StartY;
        const int32_t tool = Host.DrawMode();
        switch (tool) {
        case 0:
            if (Shift.Ctrl) {
                UnSelectALL();
                StartBand();
            } else {
                DoSelect(X, Y, Shift.Shift);
            }
            break;
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 11:
        case 12:
            UnSelectALL();
            MouseState = 1;
            Host.OvXorMode(true);
            Host.OvPenColor(clCross);
            Crosshair(StartX, StartY);
            Host.OvPenColor(clOutline);
            // Drawn once here so that the first move's erase finds it.
            ShapeOutline(tool, StartX, StartY, EndX, EndY);
            break;
        case 7:
            UnSelectALL();
            EnterText(X, Y);
            break;
        case 8:
            if (!Host.PlaceComp())
                break;
            UnSelectALL();
            MouseState = 3;
            StartX = WinUnit(X);
            StartY = WinUnit(Y);
            Host.OvXorMode(true);
            Host.OvPenColor(clOutline);
            DrawGhost();
            break;
        case 9:
            UnSelectALL();
            Host.SetStatus2("  (" + Num(StartX) + "," + Num(StartY) + ") ");
            PlaceDot();
            break;
        case 10:
            UnSelectALL();
            MouseState = 5;
            PolyPoints.clear();
            PolyPoints.push_front({StartX, StartY});
            Host.OvXorMode(true);
            Host.OvPenColor(clCross);
            Crosshair(StartX, StartY);
            Host.OvPenColor(clOutline);
            break;
        case 20:
            MouseState = 20;
            Host.SetScreenCursor(sch_cursor::HandClosed);
            Host.SetStatus2("  (" + Num(StartX) + "," + Num(StartY) + ") ");
            StartX = X;
            StartY = Y;
            EndX = Host.HScrollPos();
            EndY = Host.VScrollPos();
            break;
        default:
            break;
        }
    } else if (Button == TMouseBtn::Right) {
        MouseState = 2;
        Host.SaveWindowCursor();
        Host.SetWindowCursor(sch_cursor::Move);
        StartX = WinUnit(X);
        StartY = WinUnit(Y);
        Host.SetStatus2("  (" + Num(StartX) + "," + Num(StartY) + ") - ");
        EndX = StartX;
        EndY = StartY;
        Host.OvXorMode(true);
        Host.OvPenColor(clOutline);
    }
}

void TSchGestures::FormMouseMove(TShiftState, int32_t X, int32_t Y)
{
    const int32_t scale = Host.Scale();
    switch (MouseState) {
    case 1:
        DoingPlaceShape(X, Y);
        break;
    case 2:
        Host.DoingMoving(X, Y);
        break;
    case 3:
        DoingPlaceComp(X, Y);
        break;
    case 4:
        BandRect();
        StartX = Snap(X);
        StartY = Snap(Y);
        BandRect();
        Host.SetStatus2("  (" + Num(EndX / scale) + "," + Num(EndY / scale) + ")-(" + Num(StartX / scale) + ","
                        + Num(StartY / scale) + ") ");
        break;
    case 5:
        Host.OvPenColor(clCross);
        Crosshair(EndX, EndY);
        EndX = Snap(X);
        EndY = Snap(Y);
        Crosshair(EndX, EndY);
        Host.OvPenColor(clOutline);
        if (EndX != StartX && EndY != StartY) {
            Host.OvLine(StartX, StartY, EndX, EndY);
            StartX = EndX;
            StartY = EndY;
            PolyPoints.push_front({EndX, EndY});
        }
        break;
    case 20:
        Host.SetHScrollPos(Px(static_cast<int64_t>(EndX) - (static_cast<int64_t>(X) - StartX) / scale));
        Host.SetVScrollPos(Px(static_cast<int64_t>(EndY) - (static_cast<int64_t>(Y) - StartY) / scale));
        break;
    default:
        break;
    }
}

void TSchGestures::FormMouseUp(TMouseBtn, TShiftState, int32_t X, int32_t Y)
{
    Host.OvXorMode(false);
    // Latched and cleared first: a dialog opened below runs a nested event loop.
    const int32_t state = MouseState;
    MouseState = 0;
    const auto life = Life();
    switch (state) {
    case 1:
        EndPlaceShape();
        if (life.expired())
            return;   // the window went away under the arrow question
        break;
    case 2:
        Host.EndShapeMove();
        Host.RestoreWindowCursor();
        break;
    case 3:
        EndPlaceComp();
        break;
    case 4:
        EndRubberBand();
        break;
    case 5: {
        Host.StoreUndo();
        Host.SetModified();
        if (!PolyPoints.empty()) {
            EndX = Snap(X);
            EndY = Snap(Y);
            if (EndX != StartX || EndY != StartY)
                PolyPoints.push_front({EndX, EndY});
        }
        edits::AddPolylineLines(PolyPoints, Host.Model().ShapeList, [this](int32_t x) { return WorldX(x); },
                                [this](int32_t y) { return WorldY(y); });
        PolyPoints.clear();
        Host.FullRedraw();
        break;
    }
    case 20:
        Host.SetScreenCursor(sch_cursor::Default);
        break;
    default:
        break;
    }
    MouseState = 0;
}

void TSchGestures::Escape()
{
    LeaveState();
    MouseState = 0;
    Host.SetBoxDragging(0);
    Host.SetScreenCursor(sch_cursor::Default);
    Host.OvXorMode(false);
    Host.BitmapRepaint();
}

void TSchGestures::Abandon()
{
    LeaveState();
    MouseState = 0;
}

// ---- selection ----

void TSchGestures::UnSelectALL()
{
    TSchModel& m = Host.Model();
    if (m.Empty())
        return;
    Host.HitShape() = nullptr;
    Host.HitComp() = nullptr;
    Host.HitText() = nullptr;
    SelectNone(m);
    Host.FullRedraw();
}

void TSchGestures::mnSelAllClick()
{
    TSchModel& m = Host.Model();
    if (m.Empty())
        return;
    const auto life = Life();
    Host.ProcessMessages();
    if (life.expired())
        return;
    SelectAll(m);
    Host.FullRedraw();
}

void TSchGestures::DoSelect(int32_t X, int32_t Y, bool Toggle)
{
    const PShapeRec remembered = Host.HitShape();
    if (!Toggle)
        UnSelectALL();
    TSchModel& m = Host.Model();
    const int32_t scale = Host.Scale();
    const int64_t wx = static_cast<int64_t>(X) / scale + Host.OffsetX();
    const int64_t wy = static_cast<int64_t>(Y) / scale + Host.OffsetY();
    std::string note;

    // Shapes: continue after the last hit so that repeated clicks cycle through a stack.
    PShapeRec hit = nullptr;
    auto it = m.ShapeList.begin();
    if (remembered) {
        auto r = std::find_if(m.ShapeList.begin(), m.ShapeList.end(),
                              [&](const TShapeRec& s) { return &s == remembered; });
        it = r == m.ShapeList.end() ? m.ShapeList.begin() : std::next(r);
    }
    const bool fromHead = it == m.ShapeList.begin();
    for (; it != m.ShapeList.end() && !hit; ++it)
        if (ChkShape(*it, wx, wy, &note))
            hit = &*it;
    // Wrap around (a search that began at the head has seen every shape already).
    for (auto i = m.ShapeList.begin(); i != m.ShapeList.end() && !hit && !fromHead; ++i)
        if (ChkShape(*i, wx, wy, &note))
            hit = &*i;
    Host.HitShape() = hit;
    if (hit) {
        Host.SetStatus2(note);
        if (Toggle && hit->Selected == 1) {
            hit->Selected = 0;
            Host.HitShape() = nullptr;
        } else {
            hit->Selected = 1;
        }
    }

    // Components, in half units relative to their origins.
    if (!Host.HitShape()) {
        PCompRec hc = nullptr;
        for (TCompRec& c : m.CompList) {
            const int64_t cx = (wx - c.X) * 2, cy = (wy - c.Y) * 2;
            for (const TShapeRec& s : c.Shapes)
                if (ChkShape(s, cx, cy, &note)) {
                    hc = &c;
                    break;
                }
            if (hc)
                break;
        }
        Host.HitComp() = hc;
        if (hc) {
            Host.SetStatus2(note);
            if (Toggle)
                hc->Selected = hc->Selected == 1 ? 0 : 1;
            else
                hc->Selected = 1;
        }
    } else {
        Host.HitComp() = nullptr;
    }

    // Texts, by their boxes in the real font.
    if (!Host.HitShape() && !Host.HitComp()) {
        PTextRec ht = nullptr;
        for (TTextRec& t : m.TextList) {
            // Texts far from the point are skipped before they are measured.
            const int64_t reach = static_cast<int64_t>(Host.TextReach(t, scale)) * 10 / scale + 1;
            if (Abs64(wx * 10 - t.X) > reach || Abs64(wy * 10 - t.Y) > reach)
                continue;
            int32_t w = 0, h = 0;
            Host.TextExtent(t, scale, w, h);
            if (TextHitBox(t, w, h, scale).Hit(wx, wy)) {
                ht = &t;
                break;
            }
        }
        Host.HitText() = ht;
        if (ht) {
            if (Toggle)
                ht->Selected = ht->Selected == 1 ? 0 : 1;
            else
                ht->Selected = 1;
        }
    } else {
        Host.HitText() = nullptr;
    }

    if (!Toggle && !Host.HitShape() && !Host.HitComp() && !Host.HitText()) {
        UnSelectALL();
        StartBand();
    } else {
        Host.FullRedraw();
    }
}

void TSchGestures::EndRubberBand()
{
    BandRect();
    UnSelectALL();
    if (Abs64(static_cast<int64_t>(EndX) - StartX) < 5 && Abs64(static_cast<int64_t>(EndY) - StartY) < 5) {
        Host.FullRedraw();
        return;
    }
    const TBand band = MakeBand(WorldX(EndX), WorldY(EndY), WorldX(StartX), WorldY(StartY));
    TSchModel& m = Host.Model();
    for (TShapeRec& s : m.ShapeList)
        if (ShapeInBand(s, band))
            s.Selected = 1;
    for (TCompRec& c : m.CompList)
        if (band.Inside(c.X, c.Y))
            c.Selected = 1;
    for (TTextRec& t : m.TextList)
        if (TextInBand(t, band))
            t.Selected = 1;
    Host.FullRedraw();
}

// ---- placing ----

void TSchGestures::DoingPlaceShape(int32_t X, int32_t Y)
{
    const int32_t tool = Host.DrawMode();
    const int32_t scale = Host.Scale();
    Host.OvPenColor(clCross);
    Crosshair(EndX, EndY);
    Host.OvPenColor(clOutline);
    ShapeOutline(tool, StartX, StartY, EndX, EndY);
    EndX = Snap(X);
    EndY = Snap(Y);
    Host.OvPenColor(clCross);
    Crosshair(EndX, EndY);
    Host.OvPenColor(clOutline);
    Host.SetStatus2("  (" + Num(StartX / scale) + "," + Num(StartY / scale) + ") - (" + Num(EndX / scale) + ","
                    + Num(EndY / scale) + ")");
    ShapeOutline(tool, StartX, StartY, EndX, EndY);
}

void TSchGestures::EndPlaceShape()
{
    // Latched before any dialog can run a nested event loop.
    const int32_t tool = Host.DrawMode();
    const int32_t scale = Host.Scale();
    const int32_t offX = Host.OffsetX(), offY = Host.OffsetY();
    int64_t sx = StartX, sy = StartY, ex = EndX, ey = EndY;
    const bool samePoint = sx == ex && sy == ey;

    TShapeRec s;
    s.Kind = tool;
    bool made = true;
    switch (tool) {
    case 1:
    case 5:
        made = !samePoint;
        break;
    case 2:
    case 3:
        made = sx != ex && sy != ey;
        if (made) {
            const int64_t lx = std::min(sx, ex), hx = std::max(sx, ex);
            const int64_t ly = std::min(sy, ey), hy = std::max(sy, ey);
            sx = lx, ex = hx, sy = ly, ey = hy;
        }
        break;
    case 4: {
        const int64_t r = std::max(Abs64(sx - ex), Abs64(sy - ey));
        made = r != 0;
        s.X2 = s.Y2 = Px(r * 4 / scale);
        break;
    }
    case 6:
        made = !samePoint;
        s.Style = 1;
        break;
    case 11: {
        made = !samePoint;
        if (!made)
            break;
        Host.OvXorMode(false);
        Host.OvPenColor(clWhite);
        Crosshair(Px(ex), Px(ey));
        Host.OvPenColor(clCross);
        Host.OvLine(Px(sx), Px(sy), Px(ex), Px(ey));
        int32_t t = Host.DefaultArrow();
        if (t < 1 || t > 6) {
            t = 1;
            bool setDefault = false;
            const auto life = Life();
            const bool ok = Host.AskArrowType(t, setDefault);
            if (life.expired())
                return;
            Host.SetDefaultArrow(setDefault ? t : 0);
            made = ok;
        }
        s.Style = t * 256 + 1;
        break;
    }
    case 12:
        if (ex < sx) {
            std::swap(sx, ex);
            ey = 2 * sy - ey;
        }
        made = sx != ex && sy != ey;
        break;
    default:
        made = false;
        break;
    }
    if (made) {
        const int64_t x1 = sx / scale + offX, y1 = sy / scale + offY;
        const int64_t x2 = ex / scale + offX, y2 = ey / scale + offY;
        made = Fits(x1) && Fits(y1) && Fits(x2) && Fits(y2);
        s.X1 = Px(x1);
        s.Y1 = Px(y1);
        if (tool != 4) {
            s.X2 = Px(x2);
            s.Y2 = Px(y2);
        }
    }
    if (made) {
        Host.StoreUndo();
        Host.Model().ShapeList.push_back(s);
        Host.SetModified();
    }
    Host.FullRedraw();
}

void TSchGestures::PlaceDot()
{
    Host.StoreUndo();
    TShapeRec s;
    s.Kind = 4;
    s.X1 = WorldX(StartX);
    s.Y1 = WorldY(StartY);
    s.X2 = s.Y2 = 4;
    s.Style = 1;
    Host.Model().ShapeList.push_back(s);
    Host.SetModified();
    Host.FullRedraw();
}

void TSchGestures::DrawGhost()
{
    if (const TCompRec* pc = Host.PlaceComp())
        Host.OvCompShapes(*pc, StartX, StartY);
}

void TSchGestures::DoingPlaceComp(int32_t X, int32_t Y)
{
    DrawGhost();
    StartX = WinUnit(X);
    StartY = WinUnit(Y);
    DrawGhost();
}

void TSchGestures::EndPlaceComp()
{
    const TCompRec* pc = Host.PlaceComp();
    if (!pc)
        return;
    TCompRec c;
    c.X = Px(static_cast<int64_t>(StartX) + Host.OffsetX());
    c.Y = Px(static_cast<int64_t>(StartY) + Host.OffsetY());
    for (const TShapeRec& s : pc->Shapes) {
        TShapeRec n = s;
        n.Selected = 0;
        c.Shapes.push_back(n);
    }
    for (const TTextRec& t : pc->Texts) {
        TTextRec n = t;
        n.Text = StoredText(t.Text);
        n.Selected = 0;
        c.Texts.push_back(std::move(n));
    }
    Host.StoreUndo();
    Host.Model().CompList.push_back(std::move(c));
    Host.SetModified();
    Host.FullRedraw();
}

// ---- texts ----

bool TSchGestures::InTextList(PTextRec t) const
{
    for (const TTextRec& r : Host.Model().TextList)
        if (&r == t)
            return true;
    return false;
}

void TSchGestures::EnterText(int32_t X, int32_t Y)
{
    // Latched before the dialog's nested event loop.
    const int64_t scale = Host.Scale(), offX = Host.OffsetX(), offY = Host.OffsetY();
    TCharDlgValues v;
    v.SizeIndex = 2;
    v.AngleIndex = 0;
    const auto life = Life();
    const bool ok = Host.AskText(v);
    if (life.expired())
        return;
    if (ok) {
        Host.SetModified();
        Host.StoreUndo();
        TTextRec t;
        t.X = Px(static_cast<int64_t>(X) * 10 / scale + offX * 10);
        t.Y = Px(static_cast<int64_t>(Y) * 10 / scale + offY * 10 - scale * 10);
        t.Font = (v.Symbol ? 1 : 0) + (v.SizeIndex + 1) * 16 + (v.AngleIndex * 90) * 256;
        t.Text = StoredText(v.Text);
        Host.Model().TextList.push_back(std::move(t));
    }
    Host.FullRedraw();
}

void TSchGestures::AlterText(PTextRec T)
{
    if (!T)
        return;
    const auto life = Life();
    Host.ProcessMessages();
    if (life.expired() || !InTextList(T))
        return;
    TCharDlgValues v;
    v.Text = T->Text;
    v.Symbol = font::IsSymbol(T->Font);
    v.SizeIndex = font::SizeStepField(T->Font) - 1;
    if (v.SizeIndex < 0)
        v.SizeIndex = 2;
    v.AngleIndex = AngleIndexOf(T->Font);
    const bool ok = Host.AskText(v);
    if (life.expired())
        return;
    // The dialog ran an event loop: the text must still be ours.
    if (ok && InTextList(T)) {
        Host.SetModified();
        Host.StoreUndo();
        // A size step the dialog has no entry for (the font-size command allows 9) stays
        // unless another one was picked.
        const int32_t step = v.SizeIndex >= 0 ? v.SizeIndex + 1 : font::SizeStepField(T->Font);
        T->Font = (v.Symbol ? 1 : 0) + step * 16 + v.AngleIndex * 23040;
        T->Text = StoredText(v.Text);
    }
    Host.ProcessMessages();
    if (life.expired())
        return;
    Host.FullRedraw();
}

void TSchGestures::mnCorrFontsClick()
{
    TSchModel& m = Host.Model();
    if (m.TextList.empty()) {
        Host.ShowMessage("No Text in current circuit!");
        return;
    }
    std::string answer;
    const auto life = Life();
    const bool ok = Host.InputQuery("Alter ALL current text to size:", "Font Size:    (3 is default)", answer);
    if (life.expired())
        return;
    if (!ok)
        answer.clear();
    const TNumConv c = ConvertNumber(answer);
    const int32_t n = c.Ok ? c.Value : -1;
    if (n < 1 || n > 9) {
        Host.ShowMessage("Selected font size is invalid!");
        return;
    }
    Host.StoreUndo();
    for (TTextRec& t : Host.Model().TextList)
        if (t.Selected > 0)
            t.Font = static_cast<int32_t>(static_cast<uint16_t>(t.Font / 256)) * 256 + n * 16 + (t.Font & 15);
    Host.SetModified();
    Host.FullRedraw();
}

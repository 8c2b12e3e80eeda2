#include "components/CompGestures.h"

#include "schematic/core/hittest.h"

#include <algorithm>

namespace {

constexpr uint32_t clOutline = 0x008000;
constexpr uint32_t clMove = 0xFF00FF;
// Shapes examined by one click at most.
constexpr int kMaxExamined = 2001;

std::string Num(int64_t v) { return std::to_string(v); }
std::string Pt(int64_t x, int64_t y) { return "(" + Num(x) + "," + Num(y) + ")"; }

} // namespace

void TCompGestures::EndGesture()
{
    PolyPoints.clear();
    MouseState = 0;
    Host.OvXorMode(false);
    Host.BitmapRepaint();
    Host.SetScreenCursor(sch_cursor::Default);
}

void TCompGestures::Abandon()
{
    PolyPoints.clear();
    if (MouseState == 2)
        Host.SetScreenCursor(sch_cursor::Default);
    MouseState = 0;
}

void TCompGestures::BandRect()
{
    Host.OvPolyline({{StartX, StartY}, {EndX, StartY}, {EndX, EndY}, {StartX, EndY}, {StartX, StartY}});
}

// ---- press, move, release ----

void TCompGestures::FormMouseDown(TMouseBtn Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Shift.Double)
        return;
    // Another button pressed while a gesture runs only ends that gesture.
    if (InGesture()) {
        EndGesture();
        return;
    }
    MouseState = 0;
    if (Button == TMouseBtn::Left) {
        StartX = comp::Snap(X);
        StartY = comp::Snap(Y);
        Host.SetStatus2(Pt(StartX / 4, StartY / 4) + " - ");
        EndX = StartX;
        EndY = StartY;
        const int32_t tool = Host.DrawMode();
        switch (tool) {
        case 0:
            DoSelect(X, Y, Shift.Shift);
            break;
        case 1: case 2: case 3: case 4: case 5: case 6: case 11:
            MouseState = 1;
            Host.HitShape() = nullptr;
            UnSelectALL();
            Host.OvXorMode(true);
            Host.OvPenDotted(false);
            Host.OvPenColor(clOutline);
            // Drawn once here so that the first move's erase finds it.
            ToolOutline(Host, tool, StartX, StartY, EndX, EndY);
            break;
        case 7:
            UnSelectALL();
            EnterText(X, Y);
            break;
        case 10:
            UnSelectALL();
            MouseState = 5;
            PolyPoints.clear();
            PolyPoints.push_front({StartX, StartY});
            Host.OvXorMode(true);
            Host.OvPenDotted(false);
            Host.OvPenColor(clOutline);
            break;
        case 9:
            PlaceDot();
            break;
        case 8:
            Host.ShowMessage("Placing Components is NOT available in Components!");
            break;
        case 12:
            Host.ShowMessage("Sinewaves are NOT available in Components!");
            break;
        case 20:
            Host.ShowMessage("Panning is NOT available in Components!");
            break;
        default:
            break;
        }
    } else if (Button == TMouseBtn::Right) {
        MouseState = 2;
        Host.SetScreenCursor(sch_cursor::Move);
        StartX = comp::Snap(X) / 4;
        StartY = comp::Snap(Y) / 4;
        Host.SetStatus2(Pt(StartX, StartY) + " - ");
        EndX = StartX;
        EndY = StartY;
        Host.OvXorMode(true);
        Host.OvPenDotted(false);
        Host.OvPenColor(clMove);
    }
}

void TCompGestures::FormMouseMove(TShiftState, int32_t X, int32_t Y)
{
    switch (MouseState) {
    case 1:
        DoingPlaceShape(X, Y);
        break;
    case 2:
        DoingShapeMove(X, Y);
        break;
    case 4:
        BandRect();
        EndX = std::min(comp::Snap(X), comp::BandMax);
        EndY = std::min(comp::Snap(Y), comp::BandMax);
        BandRect();
        break;
    case 5: {
        const int32_t x = comp::Snap(X), y = comp::Snap(Y);
        const TPointRec& last = PolyPoints.front();
        if (x != last.X && y != last.Y) {
            Host.OvLine(last.X, last.Y, x, y);
            PolyPoints.push_front({x, y});
        }
        break;
    }
    default:
        break;
    }
}

void TCompGestures::FormMouseUp(TMouseBtn, TShiftState, int32_t X, int32_t Y)
{
    Host.SetScreenCursor(sch_cursor::Default);
    Host.OvXorMode(false);
    // Latched and cleared first: a dialog opened below runs a nested event loop.
    const int32_t state = MouseState;
    MouseState = 0;
    switch (state) {
    case 1:
        EndPlaceShape();
        break;
    case 2:
        EndShapeMove();
        break;
    case 4:
        EndRubberBand();
        break;
    case 5:
        Host.StoreUndo();
        Host.SetModified();
        comp::AddPolyline(PolyPoints, Host.Model().ShapeList);
        PolyPoints.clear();
        Host.Redraw();
        break;
    default:
        break;
    }
}

void TCompGestures::MainPaintBoxDblClick()
{
    // A press ends a gesture before the double click comes, so none runs here.
    MouseState = 100;
    if (Host.HitShape() && comp::Holds(Host.Model().ShapeList, Host.HitShape()))
        Host.AlterPenSize();
    if (Host.HitText())
        AlterText(Host.HitText());
    MouseState = 100;
}

void TCompGestures::FormKeyDown(TCompKey Key)
{
    // Keys wait until the mouse lets go: an edit under a live outline would leave it behind.
    if (InGesture())
        return;
    switch (Key) {
    case TCompKey::Delete:
        Host.DeleteSelected();
        break;
    case TCompKey::Left:
    case TCompKey::Right:
    case TCompKey::Up:
    case TCompKey::Down: {
        const int dir = Key == TCompKey::Up ? 1 : Key == TCompKey::Down ? 2 : Key == TCompKey::Left ? 3 : 4;
        Host.StoreUndo();
        comp::NudgeSelected(Host.Model(), dir);
        Host.SetModified();
        Host.Redraw();
        break;
    }
    case TCompKey::Enter:
        if (Host.HitShape() && comp::Holds(Host.Model().ShapeList, Host.HitShape()))
            Host.AlterPenSize();
        if (Host.HitText())
            AlterText(Host.HitText());
        break;
    default:
        break;
    }
}

// ---- selection ----

void TCompGestures::UnSelectALL()
{
    Host.HitShape() = nullptr;
    comp::UnselectAll(Host.Model());
}

void TCompGestures::mnSelAllClick()
{
    comp::SelectAll(Host.Model());
    Host.Redraw();
}

void TCompGestures::DoSelect(int32_t X, int32_t Y, bool Additive)
{
    TCompModel& m = Host.Model();
    const PShapeRec remembered = comp::Holds(m.ShapeList, Host.HitShape()) ? Host.HitShape() : nullptr;
    if (!Additive)
        UnSelectALL();
    const int32_t cx = comp::Unit(X), cy = comp::Unit(Y);
    std::string note;

    // Two passes: after the last hit to the end, then from the head; repeated clicks on one
    // place step through the shapes lying there.
    PShapeRec hit = nullptr;
    int examined = 0;
    auto test = [&](TShapeList::iterator from, TShapeList::iterator to) {
        for (auto it = from; it != to && !hit && examined < kMaxExamined; ++it, ++examined)
            if (ChkShape(*it, cx, cy, &note, THitRules::Component))
                hit = &*it;
    };
    auto after = m.ShapeList.begin();
    if (remembered)
        after = std::next(std::find_if(m.ShapeList.begin(), m.ShapeList.end(),
                                       [&](const TShapeRec& s) { return &s == remembered; }));
    test(after, m.ShapeList.end());
    if (!hit)
        test(m.ShapeList.begin(), m.ShapeList.end());

    if (hit) {
        Host.HitShape() = hit;
        Host.SetStatus2(note);
        hit->Selected = Additive ? (hit->Selected > 0 ? 0 : 1) : 1;
        Host.HitText() = nullptr;
    } else {
        Host.HitShape() = nullptr;
        PCompTextRec ht = nullptr;
        for (TCompTextRec& t : m.TextList) {
            int32_t w = 0, h = 0;
            Host.TextExtent(t, w, h);
            const int64_t tw = int64_t{w} * 10 / 4 + 1, th = int64_t{h} * 10 / 4 + 1;
            const int64_t px = int64_t{cx} * 10, py = int64_t{cy} * 10;
            if (t.X < px && px < t.X + tw && t.Y < py && py < t.Y + th) {
                ht = &t;
                break;
            }
        }
        Host.HitText() = ht;
        if (ht)
            ht->Selected = Additive ? (ht->Selected > 0 ? 0 : 1) : 1;
    }

    if (!hit && !Host.HitText()) {
        UnSelectALL();
        MouseState = 4;
        Host.OvXorMode(true);
        Host.OvPenDotted(true);
        Host.OvPenColor(clMove);
        Host.Redraw();
        BandRect();
        return;
    }
    Host.Redraw();
}

void TCompGestures::EndRubberBand()
{
    // The redraw below wipes the rectangle.
    UnSelectALL();
    comp::SelectInBand(Host.Model(), StartX, StartY, EndX, EndY);
    Host.Redraw();
}

// ---- placing ----

void TCompGestures::DoingPlaceShape(int32_t X, int32_t Y)
{
    const int32_t tool = Host.DrawMode();
    ToolOutline(Host, tool, StartX, StartY, EndX, EndY);
    EndX = comp::Snap(X);
    EndY = comp::Snap(Y);
    Host.SetStatus2(Pt(StartX / 4, StartY / 4) + " - " + Pt(EndX / 4, EndY / 4));
    ToolOutline(Host, tool, StartX, StartY, EndX, EndY);
}

void TCompGestures::EndPlaceShape()
{
    const int32_t tool = Host.DrawMode();
    int32_t arrow = 1;
    bool asked = true;
    if (tool == 11 && !(StartX == EndX && StartY == EndY)) {
        // The outline goes before the dialog covers the surface.
        Host.BitmapRepaint();
        asked = Host.AskArrowType(arrow);
    }
    if (asked) {
        if (auto s = comp::PlacedShape(tool, StartX, StartY, EndX, EndY, arrow)) {
            Host.StoreUndo();
            Host.Model().ShapeList.push_back(*s);
            Host.SetModified();
        }
    }
    Host.Redraw();
}

void TCompGestures::PlaceDot()
{
    Host.StoreUndo();
    Host.Model().ShapeList.push_back(comp::Dot(StartX, StartY));
    Host.SetModified();
    Host.Redraw();
}

// ---- texts ----

void TCompGestures::EnterText(int32_t X, int32_t Y)
{
    const int32_t x = comp::Tenth(X), y = world::Clamp32(int64_t{comp::Tenth(Y)} - 40);
    TCharDlgValues v;
    v.SizeIndex = 2;
    v.AngleIndex = 0;
    if (Host.AskText(v)) {
        Host.SetModified();
        Host.StoreUndo();
        TCompTextRec t;
        t.X = x;
        t.Y = y;
        t.Font = comp::FontOf(v.SizeIndex, v.Symbol);
        t.Text = StoredText(v.Text);
        Host.Model().TextList.push_back(std::move(t));
    }
    Host.Redraw();
}

void TCompGestures::AlterText(PCompTextRec T)
{
    if (!comp::Holds(Host.Model().TextList, T))
        return;
    TCharDlgValues v;
    v.Text = T->Text;
    v.Symbol = (T->Font & 0xF) != 0;
    v.SizeIndex = (T->Font >> 4) - 1;
    if (v.SizeIndex < 0)
        v.SizeIndex = 2;
    v.AngleIndex = 0;
    const bool ok = Host.AskText(v);
    // The dialog ran an event loop: the text must still be ours.
    if (ok && comp::Holds(Host.Model().TextList, T)) {
        Host.StoreUndo();
        T->Font = comp::FontOf(v.SizeIndex, v.Symbol);
        T->Text = StoredText(v.Text);
        Host.SetModified();
    }
    Host.Redraw();
}

void TCompGestures::mnAlterTextClick()
{
    if (Host.HitText())
        AlterText(Host.HitText());
}

// ---- moving ----

void TCompGestures::DoingShapeMove(int32_t X, int32_t Y)
{
    Host.BitmapRepaint();
    EndX = comp::Snap(X) / 4;
    EndY = comp::Snap(Y) / 4;
    Host.SetStatus2(Pt(StartX, StartY) + " - " + Pt(EndX, EndY));
    Host.MovePreview(EndX - StartX, EndY - StartY);
}

void TCompGestures::EndShapeMove()
{
    Host.StoreUndo();
    comp::MoveSelected(Host.Model(), int64_t{EndX} - StartX, int64_t{EndY} - StartY);
    Host.SetModified();
    Host.Redraw();
}

void TCompGestures::SelectShapeButClick(int Tag)
{
    comp::SelectShapeBut(Host.Model(), Host.HitShape(), Tag);
    Host.Redraw();
}

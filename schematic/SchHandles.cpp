#include "schematic/SchHandles.h"

#include "schematic/SchMouse.h"
#include "schematic/SchOutline.h"
#include "schematic/Schem_.h"
#include "schematic/core/edits.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr TColor clOutline = 0x008000;

int32_t Px(int64_t v) { return world::Clamp32(v); }
int32_t R(double v) { return Px(static_cast<int64_t>(std::nearbyint(std::clamp(v, -9e18, 9e18)))); }
QString Num(int64_t v) { return QString::number(v); }

template <class List, class Rec>
bool Holds(const List& list, const Rec* rec)
{
    return std::any_of(list.begin(), list.end(), [rec](const auto& r) { return &r == rec; });
}

} // namespace

TSchWinHandles::TSchWinHandles(TSchWin& win) : W(win)
{
    for (QWidget* w : {W.ReszeBox1, W.ReszeBox2, W.MoveBox})
        if (w) {
            w->setCursor(Qt::PointingHandCursor);
            w->installEventFilter(this);
        }
}

TSchWinHandles::~TSchWinHandles() { RestoreCursors(); }

TSchWinHandles::TBox TSchWinHandles::BoxOf(QObject* o) const
{
    if (o == W.ReszeBox1)
        return Resize1;
    if (o == W.ReszeBox2)
        return Resize2;
    if (o == W.MoveBox)
        return Move;
    return None;
}

QWidget* TSchWinHandles::Widget(TBox box) const
{
    switch (box) {
    case Resize1: return W.ReszeBox1;
    case Resize2: return W.ReszeBox2;
    case Move: return W.MoveBox;
    default: return nullptr;
    }
}

bool TSchWinHandles::eventFilter(QObject* watched, QEvent* event)
{
    const TBox box = BoxOf(watched);
    if (box == None)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A handle's presses are its own: they never reach the window's gestures.
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint p = e->position().toPoint();
        if (!W.Closed())
            BoxMouseDown(box, e->button() == Qt::LeftButton, p.x(), p.y());
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (!W.Closed())
            BoxMouseMove(box, p.x(), p.y());
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!W.Closed())
            BoxMouseUp(box);
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool TSchWinHandles::GrabbedAlive() const
{
    // Still the hit item (every command that frees records clears the hit pointers, so a
    // new record at a freed address is not taken for it) and still in the drawing.
    switch (pressValue_) {
    case 1: return W.HitShape == grabbed_ && Holds(W.Model.ShapeList, W.HitShape);
    case 2: return W.HitComp == grabbed_ && Holds(W.Model.CompList, W.HitComp);
    case 3: return W.HitText == grabbed_ && Holds(W.Model.TextList, W.HitText);
    default: return false;
    }
}

void TSchWinHandles::BoxMouseDown(TBox box, bool left, int32_t X, int32_t Y)
{
    if (!left || W.BoxDragging > 0)
        return;
    int32_t value = 0;
    if (box == Resize1 || box == Resize2) {
        if (W.HitShape) {
            value = 1;
            grabbed_ = W.HitShape;
        }
    } else if (W.HitShape) {
        value = 1;
        grabbed_ = W.HitShape;
    } else if (W.HitComp) {
        value = 2;
        grabbed_ = W.HitComp;
    } else if (W.HitText) {
        value = 3;
        grabbed_ = W.HitText;
    }
    if (value == 0)
        return;
    QWidget* w = Widget(box);
    // The pointer is hidden for the whole drag; the release (or Escape) shows it again.
    RestoreCursors();
    ownCursor_ = W.Client->testAttribute(Qt::WA_SetCursor);
    savedCursor_ = W.Client->cursor();
    cursorSaved_ = true;
    W.Client->setCursor(Qt::BlankCursor);
    QApplication::setOverrideCursor(Qt::BlankCursor);

    box_ = box;
    pressValue_ = value;
    W.BoxDragging = value;
    startX_ = X;
    startY_ = Y;
    EndX = EndY = 0;
    left_ = w->x();
    top_ = w->y();
    TCanvas& c = W.WindowCanvas();
    c.SetPenMode(value == 3 ? TPenMode::Copy : TPenMode::Xor);
    c.SetPenColor(clOutline);
    c.SetPenWidth(1);
    c.SetPenStyle(TPenStyle::Solid);
    c.SetBrushStyle(TBrushStyle::Clear);
    Outline();
    W.SetStatus2("  (" + Num((left_ + 2) / W.Scale) + "," + Num((top_ + 2) / W.Scale) + ") ");
}

void TSchWinHandles::BoxMouseMove(TBox box, int32_t X, int32_t Y)
{
    if (W.BoxDragging <= 0 || W.BoxDragging != pressValue_ || box != box_ || !GrabbedAlive())
        return;
    // Erase the last outline: exclusive-or draws it away, a text needs the picture again.
    if (pressValue_ == 3)
        W.View.BitmapRepaint();
    else
        Outline();
    EndX = Px((int64_t{X} - startX_) / W.Scale);
    EndY = Px((int64_t{Y} - startY_) / W.Scale);
    Outline();
    const int64_t x = (left_ + 2) / W.Scale, y = (top_ + 2) / W.Scale;
    W.SetStatus2("  (" + Num(x) + "," + Num(y) + ")-(" + Num(x + EndX) + "," + Num(y + EndY) + ")");
}

void TSchWinHandles::BoxMouseUp(TBox box)
{
    if (W.BoxDragging > 0 && W.BoxDragging == pressValue_ && box == box_ && GrabbedAlive()) {
        W.StoreUndo();
        switch (pressValue_) {
        case 1: {
            auto* s = const_cast<TShapeRec*>(static_cast<const TShapeRec*>(grabbed_));
            if (box_ == Resize1)
                edits::MoveSecondPoint(*s, EndX, EndY);
            else if (box_ == Resize2)
                edits::MoveFirstPoint(*s, EndX, EndY);
            else
                edits::MoveShape(*s, EndX, EndY);
            break;
        }
        case 2:
            edits::MoveComp(*const_cast<TCompRec*>(static_cast<const TCompRec*>(grabbed_)), EndX, EndY);
            break;
        case 3:
            edits::MoveText(*const_cast<TTextRec*>(static_cast<const TTextRec*>(grabbed_)), int64_t{EndX} * 10,
                            int64_t{EndY} * 10);
            break;
        default:
            break;
        }
        W.SetModified();
    }
    W.WindowCanvas().SetPenMode(TPenMode::Copy);
    W.FullRedraw();
    W.BoxDragging = 0;
    W.MouseState = 0;
    Abandon();
}

void TSchWinHandles::Abandon()
{
    box_ = None;
    pressValue_ = 0;
    grabbed_ = nullptr;
    RestoreCursors();
}

void TSchWinHandles::RestoreCursors()
{
    if (!cursorSaved_)
        return;
    cursorSaved_ = false;
    QApplication::restoreOverrideCursor();
    if (W.Client) {
        if (ownCursor_)
            W.Client->setCursor(savedCursor_);
        else
            W.Client->unsetCursor();
    }
}

void TSchWinHandles::Outline()
{
    TCanvas& c = W.WindowCanvas();
    HandleOutline(c);
    W.UpdateWindow();
}

void TSchWinHandles::HandleOutline(TCanvas& c)
{
    const TRenderView v = W.RenderView();
    const int64_t S = v.Scale, dx = EndX, dy = EndY;
    auto px = [&](int64_t x) { return Px((x - v.OffsetX) * S); };
    auto py = [&](int64_t y) { return Px((y - v.OffsetY) * S); };
    // The pressed handle's point moved by the delta, one pixel right of and below it.
    const int32_t cx = Px(int64_t{left_} + 3 + dx * S), cy = Px(int64_t{top_} + 3 + dy * S);
    auto line = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };

    if (pressValue_ == 2) {
        OutlineComp(c, *static_cast<const TCompRec*>(grabbed_), v, dx, dy);
        return;
    }
    if (pressValue_ == 3) {
        PreviewText(c, *static_cast<const TTextRec*>(grabbed_), v, dx * 10, dy * 10);
        return;
    }
    const TShapeRec& s = *static_cast<const TShapeRec*>(grabbed_);
    if (box_ == Move) {
        OutlineShape(c, s, v, dx, dy);
        return;
    }
    if (box_ == Resize2) {
        switch (s.Kind) {
        case 1: case 11:
            line(px(int64_t{s.X1} + dx), py(int64_t{s.Y1} + dy), px(s.X2), py(s.Y2));
            break;
        case 2: case 3: case 5:
            c.Rectangle(cx, cy, px(s.X2), py(s.Y2));
            break;
        default:
            break;
        }
        return;
    }
    switch (s.Kind) {
    case 1: case 11:
        line(px(s.X1), py(s.Y1), px(int64_t{s.X2} + dx), py(int64_t{s.Y2} + dy));
        break;
    case 2: case 3: case 5:
        c.Rectangle(px(s.X1), py(s.Y1), cx, cy);
        break;
    case 4: {
        const int64_t q = int64_t{s.Y2} * S / 4;
        const int64_t r = (q < 0 ? -q : q) + dx * S;
        const int64_t ox = (int64_t{s.X1} - v.OffsetX) * S, oy = (int64_t{s.Y1} - v.OffsetY) * S;
        c.Rectangle(Px(ox - r), Px(oy - r), Px(ox + r), Px(oy + r));
        break;
    }
    case 6: {
        // A closed triangle in whole units: apex at the first point, base through the moved
        // second point at right angles to the axis, as long as the axis.
        const double ax = s.X1, ay = s.Y1;
        const double bx = static_cast<double>(int64_t{s.X2} + dx), by = static_cast<double>(int64_t{s.Y2} + dy);
        const double h = std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by)) / 2;
        int32_t c1x, c1y, c2x, c2y;
        if (ax == bx) {
            c1x = R(bx + h), c1y = R(by), c2x = R(bx - h), c2y = R(by);
        } else {
            const double a = std::atan((by - ay) / (bx - ax)), hp = std::numbers::pi / 2;
            c1x = R(bx + h * std::cos(a + hp)), c1y = R(by + h * std::sin(a + hp));
            c2x = R(bx + h * std::cos(a - hp)), c2y = R(by + h * std::sin(a - hp));
        }
        c.MoveTo(px(s.X1), py(s.Y1));
        c.LineTo(px(c1x), py(c1y));
        c.LineTo(px(c2x), py(c2y));
        c.LineTo(px(s.X1), py(s.Y1));
        break;
    }
    case 12: {
        const int64_t sx = px(s.X1), sy = py(s.Y1), ex = cx, ey = cy;
        const int64_t q = static_cast<int64_t>(std::nearbyint(static_cast<double>(ex - sx) / 4));
        const int64_t h = ey - sy;
        c.MoveTo(Px(sx), Px(sy));
        c.LineTo(Px(sx + q), Px(sy + h));
        c.LineTo(Px(sx + 3 * q), Px(sy - h));
        c.LineTo(Px(ex), Px(sy));
        c.Rectangle(Px(sx), Px(sy - h + 1), Px(ex), Px(sy + h));
        line(Px(sx), Px(sy), Px(ex), Px(sy));
        break;
    }
    default:
        break;
    }
}

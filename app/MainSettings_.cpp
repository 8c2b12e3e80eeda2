// The frame's settings file and its placement on the screens.
#include "app/Main_.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/profile.h"

namespace {

// A colour as stored: only $BBGGRR values count; anything else (-1 among them) would
// draw invisible lines, so it reads as the default.
uint32_t ReadColour(const TProfile& ini, const char* key, uint32_t def)
{
    const int32_t v = ini.ReadInteger("Colour", key, static_cast<int32_t>(def));
    return v >= 0 && v <= 0xFFFFFF ? static_cast<uint32_t>(v) : def;
}

// One edge of a frame along one axis: inside [lo, hi) when it fits, else at lo.
int FitSpan(int pos, int len, int lo, int hi)
{
    if (len <= hi - lo)
        return std::clamp(pos, lo, hi - len);
    return lo;
}

int64_t Overlap(const QRect& a, const QRect& b)
{
    const QRect on = a.intersected(b);
    return on.isEmpty() ? 0 : int64_t{on.width()} * on.height();
}

// Squared distance from a point to a rectangle (0 inside).
int64_t Distance(QPoint p, const QRect& r)
{
    const int64_t dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
    const int64_t dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
    return dx * dx + dy * dy;
}

QList<QRect> WorkAreas()
{
    QList<QRect> areas;
    if (QScreen* p = QGuiApplication::primaryScreen())
        areas << p->availableGeometry();
    for (QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen())
            areas << s->availableGeometry();
    return areas;
}

constexpr QSize MinimumFrame(640, 480);

// Checks for the window manager's frame this long after a show; a frame that has not come
// by then never will (no window manager, or one without borders).
constexpr int FramingPollMs = 25;
constexpr int FramingPolls = 200;

} // namespace

QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& areas)
{
    const QRect* best = nullptr;
    int64_t bestOverlap = 0;
    for (const QRect& a : areas) {
        if (a.contains(frame))
            return frame;
        const int64_t o = Overlap(frame, a);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = &a;
        }
    }
    if (!best) {
        int64_t nearest = std::numeric_limits<int64_t>::max();
        for (const QRect& a : areas) {
            const int64_t d = Distance(frame.center(), a);
            if (d < nearest) {
                nearest = d;
                best = &a;
            }
        }
    }
    if (!best)
        return frame;
    QRect placed = frame;
    placed.moveTo(FitSpan(frame.x(), frame.width(), best->left(), best->right() + 1),
                  FitSpan(frame.y(), frame.height(), best->top(), best->bottom() + 1));
    return placed;
}

QString TMainWin::IniFileName() const
{
    return GetIniFolder() + QStringLiteral("OstrinIni.ini");
}

void TMainWin::SetOuterGeometry(const QRect& outer)
{
    wantedOuter_ = outer;
    fittedBorder_ = QSize(-1, -1);
    framed_ = false;
    FitOuterGeometry();
    if (isVisible())
        WatchFraming();
}

void TMainWin::FitOuterGeometry()
{
    if (framed_ || isMaximized() || isFullScreen())
        return;
    const QSize border = frameGeometry().size() - size();
    if (border == fittedBorder_)
        return;
    fittedBorder_ = border;
    // Once a window manager has put its frame around us the border is final: later moves
    // and sizes are the user's.
    framed_ = isVisible() && (border.width() > 0 || border.height() > 0);
    setMinimumSize(MinimumFrame - border);
    resize(wantedOuter_.size() - border);
    move(wantedOuter_.topLeft());   // a window's position is its frame's
}

void TMainWin::WatchFraming()
{
    if (framed_)
        return;
    if (!framingTimer_) {
        framingTimer_ = new QTimer(this);
        framingTimer_->setInterval(FramingPollMs);
        connect(framingTimer_, &QTimer::timeout, this, [this] {
            FitOuterGeometry();
            if (framed_ || ++framingPolls_ >= FramingPolls)
                framingTimer_->stop();
        });
    }
    framingPolls_ = 0;
    framingTimer_->start();
}

void TMainWin::ReadSettings()
{
    const TProfile ini(IniFileName());
    QRect virt(0, 0, 1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen())
        virt = s->virtualGeometry();
    const int vh = virt.height(), vw = virt.width();
    QRect outer = wantedOuter_;
    const int top = ini.ReadInteger("Position", "Top", -100);
    if (top >= -10 && top <= vh)
        outer.moveTop(top);
    const int left = ini.ReadInteger("Position", "Left", -100);
    if (left >= -10 && left <= vw)
        outer.moveLeft(left);
    const int height = ini.ReadInteger("Position", "Height", -100);
    if (height >= 100 && height <= vh)
        outer.setHeight(height);
    const int wid = ini.ReadInteger("Position", "Width", -100);
    if (wid >= 100 && wid <= vw)
        outer.setWidth(wid);
    // The range tests let a frame start past the screens' edges, or across two of them;
    // placed at the size it will have.
    outer.setSize(outer.size().expandedTo(MinimumFrame));
    SetOuterGeometry(PlaceOnScreens(outer, WorkAreas()));
    mnMaxWin->setChecked(ini.ReadBool("Window", "Maximise", false));
    mnShowHintStart->setChecked(ini.ReadBool("Settings", "ShowHint", true));
    TabChild->setVisible(ini.ReadBool("Settings", "ShowTabs", true));
    mnAltOpen->setChecked(ini.ReadBool("Settings", "UseBrowser", false));
    DefaultArrow = ini.ReadInteger("Settings", "Arrow", 0);
    LineColor = ReadColour(ini, "Line", 8388608);
    FillColor = ReadColour(ini, "Fill", 8388608);
    TextColor = ReadColour(ini, "Text", 0);
    SelColor = ReadColour(ini, "Select", 255);
    mnAutoSave->setChecked(ini.ReadBool("AutoSave", "DoIt", true));
    const std::string path = ini.ReadString("AutoSave", "SearchPath", "");
    AutoSaveFolder = QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

void TMainWin::WriteSettings()
{
    TProfile ini(IniFileName());
    ini.WriteInteger("Settings", "Arrow", DefaultArrow);
    // A maximised frame covers its screen's work area. The border the toolkit knows may still
    // be that of the frame before it was maximised (the window manager draws less of it then),
    // which would store a frame larger than the screen.
    QRect outer = frameGeometry();
    if (isMaximized())
        if (QScreen* s = screen())
            outer = s->availableGeometry();
    ini.WriteInteger("Position", "Top", outer.top());
    ini.WriteInteger("Position", "Left", outer.left());
    ini.WriteInteger("Position", "Height", outer.height());
    ini.WriteInteger("Position", "Width", outer.width());
    ini.WriteInteger("Colour", "Line", static_cast<int32_t>(LineColor));
    ini.WriteInteger("Colour", "Fill", static_cast<int32_t>(FillColor));
    ini.WriteInteger("Colour", "Text", static_cast<int32_t>(TextColor));
    ini.WriteInteger("Colour", "Select", static_cast<int32_t>(SelColor));
    ini.WriteBool("Settings", "ShowHint", mnShowHintStart->isChecked());
    ini.WriteBool("Settings", "UseBrowser", mnAltOpen->isChecked());
    ini.WriteBool("Settings", "ShowTabs", !TabChild->isHidden());
    ini.WriteBool("Window", "Maximise", mnMaxWin->isChecked());
    ini.WriteBool("AutoSave", "DoIt", mnAutoSave->isChecked());
    const QByteArray path = QFile::encodeName(AutoSaveFolder);
    ini.WriteString("AutoSave", "SearchPath", std::string_view(path.constData(), static_cast<std::size_t>(path.size())));
    // A failed write is not reported: the frame closes all the same.
    (void)ini.Save();
}

#include "tests/xsession/x_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace xs {
namespace {

Display* dpy = nullptr;

Atom A(const char* name) { return XInternAtom(dpy, name, False); }

namespace {
// Calls fn(format, data, items) with a window property while XLib holds it.
template <class Fn>
void WithProperty(TWin w, const char* name, Atom type, Fn&& fn)
{
    Atom actual = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, w, A(name), 0, 4096, False, type, &actual, &format, &n, &after, &data) == Success &&
        data) {
        fn(format, data, n);
        XFree(data);
    }
}
} // namespace

// The items of a 32-bit property (XLib hands them over as longs).
std::vector<unsigned long> Property(TWin w, const char* name, Atom type)
{
    std::vector<unsigned long> out;
    WithProperty(w, name, type, [&](int format, const unsigned char* data, unsigned long n) {
        if (format == 32) {
            const auto* v = reinterpret_cast<const unsigned long*>(data);
            out.assign(v, v + n);
        }
    });
    return out;
}

QString StringProperty(TWin w, const char* name, Atom type)
{
    QString s;
    WithProperty(w, name, type, [&](int format, const unsigned char* data, unsigned long n) {
        if (format == 8)
            s = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n));
    });
    return s;
}

QStringList AtomNames(const std::vector<unsigned long>& atoms)
{
    QStringList names;
    for (unsigned long a : atoms)
        if (char* n = XGetAtomName(dpy, static_cast<Atom>(a))) {
            names << QString::fromLatin1(n);
            XFree(n);
        }
    return names;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

void SendToRoot(TWin w, const char* type, std::initializer_list<long> data)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = A(type);
    e.xclient.format = 32;
    int i = 0;
    for (long d : data)
        e.xclient.data.l[i++] = d;
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(dpy);
}

} // namespace

bool Open()
{
    if (!dpy)
        dpy = XOpenDisplay(nullptr);
    if (dpy)
        XSetErrorHandler(IgnoreErrors);   // windows come and go under our feet
    return dpy != nullptr;
}

void Close()
{
    if (dpy)
        XCloseDisplay(dpy);
    dpy = nullptr;
}

bool ManagerRunning()
{
    const auto check = Property(DefaultRootWindow(dpy), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return !check.empty() && Exists(check[0]);
}

bool Ready()
{
    return Open() && WaitFor([] { return ManagerRunning(); }, 10000);
}

QRect ScreenRect()
{
    const int s = DefaultScreen(dpy);
    return {0, 0, DisplayWidth(dpy, s), DisplayHeight(dpy, s)};
}

QList<TWin> Clients()
{
    QList<TWin> list;
    for (unsigned long w : Property(DefaultRootWindow(dpy), "_NET_CLIENT_LIST", XA_WINDOW))
        list << w;
    return list;
}

TWin FindWindow(int64_t pid, const QString& title)
{
    for (TWin w : Clients()) {
        const auto p = Property(w, "_NET_WM_PID", XA_CARDINAL);
        if (!p.empty() && static_cast<int64_t>(p[0]) == pid && Title(w) == title)
            return w;
    }
    return 0;
}

QString Title(TWin w) { return StringProperty(w, "_NET_WM_NAME", A("UTF8_STRING")); }

bool Exists(TWin w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) != 0;
}

QRect Frame(TWin w)
{
    const auto ext = Property(w, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    XWindowAttributes a;
    if (ext.size() != 4 || !XGetWindowAttributes(dpy, w, &a) || a.map_state != IsViewable)
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
    const int l = static_cast<int>(ext[0]), r = static_cast<int>(ext[1]);
    const int t = static_cast<int>(ext[2]), b = static_cast<int>(ext[3]);
    return {x - l, y - t, a.width + l + r, a.height + t + b};
}

THints SizeHints(TWin w)
{
    THints h;
    XSizeHints sh{};
    long supplied = 0;
    if (!XGetWMNormalHints(dpy, w, &sh, &supplied))
        return h;
    if (sh.flags & PMinSize)
        h.Min = QSize(sh.min_width, sh.min_height);
    if (sh.flags & PMaxSize)
        h.Max = QSize(sh.max_width, sh.max_height);
    return h;
}

TMotif MotifHints(TWin w)
{
    TMotif m;
    const auto v = Property(w, "_MOTIF_WM_HINTS", A("_MOTIF_WM_HINTS"));
    if (v.size() >= 3) {
        m.Set = true;
        if (v[0] & 1)
            m.Functions = v[1];
        if (v[0] & 2)
            m.Decorations = v[2];
    }
    return m;
}

QStringList AllowedActions(TWin w) { return AtomNames(Property(w, "_NET_WM_ALLOWED_ACTIONS", XA_ATOM)); }

QStringList States(TWin w) { return AtomNames(Property(w, "_NET_WM_STATE", XA_ATOM)); }

void RequestClose(TWin w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = A("WM_PROTOCOLS");
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(A("WM_DELETE_WINDOW"));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &e);
    XFlush(dpy);
}

void RequestMaximise(TWin w)
{
    SendToRoot(w, "_NET_WM_STATE",
               {1 /* add */, static_cast<long>(A("_NET_WM_STATE_MAXIMIZED_HORZ")),
                static_cast<long>(A("_NET_WM_STATE_MAXIMIZED_VERT")), 1 /* from an application */});
}

bool WaitFor(const std::function<bool()>& cond, int ms)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        if (cond())
            return true;
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(20);
    }
}

QRect SettledFrame(TWin w, int settleMs, int ms)
{
    QRect last;
    QElapsedTimer still, total;
    still.start();
    total.start();
    while (total.elapsed() < ms) {
        const QRect now = Frame(w);
        if (now != last) {
            last = now;
            still.restart();
        } else if (!now.isNull() && still.elapsed() >= settleMs) {
            return now;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(20);
    }
    return {};
}

} // namespace xs

#pragma once
// What the X server and the window manager say about a window, read straight from the
// server: its outer frame, its size hints, the actions the manager allows, and the
// manager's close and maximise requests.
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace xs {

using TWin = unsigned long;

// A connection of our own to $DISPLAY; everything below goes through it.
bool Open();
void Close();
// The manager's check window exists (it is up and managing).
bool ManagerRunning();
// Open, and the manager running (waiting a few seconds for it to come up).
bool Ready();
QRect ScreenRect();

// Client windows the manager manages, in mapping order.
QList<TWin> Clients();
// The first managed window of that process whose title is exactly title; 0 when none.
TWin FindWindow(int64_t pid, const QString& title);
QString Title(TWin w);
// The window still exists on the server.
bool Exists(TWin w);

// Outer frame on the screen, decorations included; null until the manager has framed it.
QRect Frame(TWin w);
struct THints {
    QSize Min, Max;   // invalid when the window sets none
};
THints SizeHints(TWin w);
// _MOTIF_WM_HINTS as the window set them: which functions and decorations it asks for.
struct TMotif {
    bool Set = false;
    unsigned long Functions = 0, Decorations = 0;   // each 0 when not given
};
TMotif MotifHints(TWin w);
inline constexpr unsigned long MwmFuncAll = 1, MwmFuncResize = 2, MwmFuncMinimise = 8, MwmFuncMaximise = 16;
inline constexpr unsigned long MwmDecorAll = 1, MwmDecorMinimise = 32, MwmDecorMaximise = 64;
// _NET_WM_ALLOWED_ACTIONS as the manager set them ("_NET_WM_ACTION_RESIZE", ...).
QStringList AllowedActions(TWin w);
QStringList States(TWin w);

// Asks the window to close as the manager's close button does.
void RequestClose(TWin w);
// Asks the manager to maximise the window in both directions.
void RequestMaximise(TWin w);

// Polls cond every 20 ms for at most ms milliseconds, letting Qt's events run between.
bool WaitFor(const std::function<bool()>& cond, int ms);
// The frame of w once it has stood still for settleMs; null when it never did within ms.
QRect SettledFrame(TWin w, int settleMs, int ms);

} // namespace xs

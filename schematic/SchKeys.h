#pragma once
// The schematic window's keys. Key presses of the client area, both scroll bars and the
// focus box KeyInEdit all come to FormKeyDown and go no further: the scroll bars do not
// scroll by them and nothing is ever typed into the box.
#include "schematic/SchGestures.h"

#include <QObject>

class QKeyEvent;
class TSchWin;

// Virtual-key codes the handler reads.
namespace vk {
constexpr int Enter = 13;
constexpr int Shift = 16;
constexpr int Escape = 27;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Delete = 46;
constexpr int F = 70;
constexpr int M = 77;
constexpr int R = 82;
constexpr int Z = 90;
} // namespace vk

class TSchWinKeys : public QObject {
public:
    explicit TSchWinKeys(TSchWin& win);

    // Key is a virtual-key code (vk::...; 0 for keys the window has no use for).
    void FormKeyDown(int Key, TShiftState Shift);
    // Direction 1 left, 2 right, 3 up, 4 down.
    void MoveSelected(int Direction, bool Shift);
    // Whether a key event of one of the four controls is swallowed (always: typed
    // characters are discarded).
    bool KeyInEditKeyPress(QKeyEvent* e);

    static int VirtualKey(int qtKey);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TSchWin& W;
};

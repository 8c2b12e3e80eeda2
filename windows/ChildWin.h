#pragma once
#include "platform/file_dialogs.h"
// Base of the frame's child windows (schematic and component windows). A child is its
// own MDI sub-window: the pointer to it is the "window handle" the tab bar carries.
// The frame routes its menu and tool-bar commands through these virtuals after testing
// Kind(); a child overrides what it supports, the rest does nothing. A child reaches the
// frame only through TChildHost.
#include <QCursor>
#include <QKeySequence>
#include <QList>
#include <QMdiSubWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QAction;
class QImage;
class QLabel;
class QStatusBar;
class QLineEdit;
class QMenu;

// Numbers of the program's own cursors in the screen cursor table.
inline constexpr int crMove = 5;   // "MOVE": moving the selection with the right button
inline constexpr int crHandO = 6;  // "HANDO": the pan tool
inline constexpr int crHandC = 7;  // "HANDC": while panning
// The loaded cursor of that number; the arrow for any number not loaded.
QCursor ScreenCursor(int number);
// The frame loads the program's cursors into the table at start.
void LoadScreenCursor(int number, const QCursor& cursor);

// The frame's settings a child reads.
struct TChildSettings {
    QString SchemFolder;      // ends in "/"
    QString AutoSaveFolder;
    int32_t DefaultArrow = 0;  // 0 ask, 1..6 that arrow type
    uint32_t LineColor = 0x800000;  // $BBGGRR
    uint32_t FillColor = 0x800000;
    uint32_t TextColor = 0x000000;
    uint32_t SelColor = 0x0000FF;
    bool DrawDots = false;    // "Draw Dots" option
    bool AutoSave = false;    // autosave option
};

// What a child needs of its frame: its tab, the settings, the select and undo tool
// buttons, and the picture outlets. The frame implements it; tests install a fake.
class TChildHost {
public:
    virtual ~TChildHost() = default;
    virtual void AddChildTab(QWidget* handle) = 0;
    // Nothing when the child has no tab.
    virtual void RemoveChildTab(QWidget* handle) = 0;
    // Replaces the child's tab text under the tab bar's guard, selecting the tab first
    // when asked. False when the child has no tab.
    virtual bool NameChildTab(QWidget* handle, const QString& text, bool select) = 0;
    virtual TChildSettings ChildSettings() const = 0;
    virtual void SetDefaultArrow(int32_t type) = 0;
    // Presses the select tool button (the other tool buttons come up).
    virtual void PressSelectTool() = 0;
    virtual void SetUndoButton(bool enabled) = 0;
    virtual void StoreBMPClip(const QImage& bmp) = 0;
    virtual void PrintBmp(const QImage& bmp, const QString& title) = 0;
};

class TChildWin : public QMdiSubWindow {
    Q_OBJECT
public:
    enum class TKind { Sch, Comp };

    explicit TChildWin(QWidget* parent = nullptr);
    ~TChildWin() override;

    // The frame of every child; null while there is none.
    static TChildHost* Host();
    static void SetHost(TChildHost* host);

    virtual TKind Kind() const = 0;

    // Current tool code (0 select, 1 line, ... 20 pan).
    int DrawMode = 0;
    // The document's path; empty while it has none.
    QString FileName;

    // Text of the first status panel (" Modified" once changed).
    virtual QString ModifiedPanel() const { return {}; }
    // Cursor of the drawing surface for the chosen tool.
    virtual void SetDrawCursor(const QCursor& cursor);
    // The child's own menus, shown in the frame's menu bar while it is active.
    virtual QList<QMenu*> ChildMenus() { return {}; }

    // Gives the keyboard to the window's key box, so that its keys and shortcuts work at once.
    void TakeKeys();

    // Close query: may ask to save; false keeps the window open (and stops a shutdown).
    virtual bool FormCloseQuery() { return true; }
    // Runs once the close is accepted, before the window is destroyed.
    virtual void FormClose() {}

    // Commands both kinds take.
    virtual void mnUndoClick() {}
    virtual void mnCopyTextClick() {}
    virtual void mnPasteTextClick() {}
    virtual void mnDeleteClick() {}
    virtual void mnDupShapeClick() {}
    // 1 mirror, 2 flip, 3 rotate +90, 4 rotate -90 degrees.
    virtual void DoRotate(int tag) {}
    virtual void mnToggleFillClick() {}
    virtual void mnAlterPenSzeClick() {}
    virtual void mnAlterPenTypeClick() {}
    virtual void mnAlterArrowClick() {}
    // SaveSchem / SaveComp and SaveSchemAs / SaveCompAs.
    virtual void SaveDoc() {}
    virtual void SaveDocAs() {}

    // Schematic windows only (the frame calls them only when Kind() is Sch).
    virtual void mnZOrderClick() {}
    // 1 zooms in, 0 zooms out.
    virtual void AltScale(int up) {}
    // Action 2: save the picture as an image file.
    virtual void CopyBMP(int action) {}
    virtual void AltBackDots() {}
    virtual void ChangeColors() {}
    // Loads FileName's file; a load that fails closes the window itself.
    virtual void OpenSchem(const QString& name) {}
    // Component windows only: reads FileName's component.
    virtual void OpenComp() {}

protected:
    // Runs FormCloseQuery, then FormClose; refusing keeps the window.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Tab of this window in the frame's tab bar.
    void RegisterTab();
    void UnregisterTab();
    // Takes the window out of the frame's area (once: a close has already done it) and
    // drops its tab. Each kind calls it first in its destructor, while it is still whole:
    // the area then activates the next window and the frame takes our menus off its bar
    // now, not mid-destruction.
    void LeaveFrame();
    // The activated window's tab is selected and shows " name " for FileName's name part,
    // or defaultName when that is shorter than 4 characters.
    void NameTab(const QString& defaultName);
    // Replaces the tab text with " name " of FileName (no selection).
    void RenameTab();
    // Calls onActivated each time the window becomes the active child.
    void WatchActivation(std::function<void()> onActivated);
    // The edit box that holds the keyboard focus, out of sight; the window's shortcuts are
    // not taken by it.
    QLineEdit* MakeKeyBox(QWidget* parent);
    // The save dialog (asks before overwriting, needs an existing folder) in folder, with
    // name proposed; the chosen path, or empty when cancelled. writtenPath: the path really
    // written for a chosen one, when that differs (the question then names that file).
    QString AskSaveFile(const QString& folder, const QString& name, const QString& suffix,
                        const std::vector<TFileFilter>& filters,
                        std::function<QString(const QString&)> writtenPath = {});
    // A status bar of three panels on parent: the first two of fixed widths, the last
    // taking the rest.
    QStatusBar* MakeStatusBar(QWidget* parent, const int (&widths)[3], QLabel* (&panels)[3]);
    // A menu item with a shortcut of the window: the shortcut first runs `opened` (the
    // menu's own enabling) and triggers the item only when that left it enabled; nothing
    // while `blocked` says so.
    QAction* ShortcutItem(QMenu* menu, const QString& caption, const QKeySequence& key,
                          std::function<void()> opened, std::function<bool()> blocked = {});

private:
    QLineEdit* keyBox_ = nullptr;
};

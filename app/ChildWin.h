#pragma once
// Base of the frame's child windows (schematic and component windows). A child is its
// own MDI sub-window: the pointer to it is the "window handle" the tab bar carries.
// The frame routes its menu and tool-bar commands through these virtuals after testing
// Kind(); a child overrides what it supports, the rest does nothing.
#include <QCursor>
#include <QList>
#include <QMdiSubWindow>
#include <QString>

class QMenu;

class TChildWin : public QMdiSubWindow {
    Q_OBJECT
public:
    enum class TKind { Sch, Comp };

    explicit TChildWin(QWidget* parent = nullptr);
    ~TChildWin() override;

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

protected:
    // Runs FormCloseQuery, then FormClose; refusing keeps the window.
    void closeEvent(QCloseEvent* event) override;
};

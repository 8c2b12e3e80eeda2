#pragma once
// A child window that records what the frame asks of it.
#include <QWidget>

#include <string>
#include <vector>

#include "windows/ChildWin.h"
#include "app/Main_.h"

class TFakeChild : public TChildWin {
public:
    TFakeChild(TKind kind, std::vector<std::string>* log) : K(kind), Log(log)
    {
        setWidget(new QWidget);
        setWindowTitle(kind == TKind::Sch ? "Schematic:" : "Component:");
        if (MainWin)
            MainWin->AddChildTab(this);
    }
    ~TFakeChild() override
    {
        if (MainWin)
            MainWin->RemoveChildTab(this);
    }
    TKind Kind() const override { return K; }
    QString ModifiedPanel() const override { return Panel0; }
    bool FormCloseQuery() override
    {
        Note("query");
        return !Refuse;
    }
    void mnUndoClick() override { Note("undo"); }
    void mnCopyTextClick() override { Note("copy"); }
    void mnPasteTextClick() override { Note("paste"); }
    void mnDeleteClick() override { Note("delete"); }
    void mnDupShapeClick() override { Note("dup"); }
    void DoRotate(int tag) override { Note("rotate" + std::to_string(tag)); }
    void mnToggleFillClick() override { Note("fill"); }
    void mnAlterPenSzeClick() override { Note("width"); }
    void mnAlterPenTypeClick() override { Note("style"); }
    void mnAlterArrowClick() override { Note("arrow"); }
    void SaveDoc() override { Note("save"); }
    void SaveDocAs() override { Note("saveas"); }
    void mnZOrderClick() override { Note("zorder"); }
    void AltScale(int up) override { Note("scale" + std::to_string(up)); }
    void CopyBMP(int action) override { Note("bmp" + std::to_string(action)); }
    void AltBackDots() override { Note("dots"); }
    void ChangeColors() override { Note("colors"); }
    void OpenSchem(const QString& name) override
    {
        Note("open");
        if (FailLoad)
            close();
    }

    TKind K;
    std::vector<std::string>* Log;
    QString Panel0;
    bool Refuse = false;
    bool FailLoad = false;

private:
    void Note(const std::string& what)
    {
        if (Log)
            Log->push_back(what);
    }
};

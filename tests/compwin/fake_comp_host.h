#pragma once
// A component gesture host without a window: the model, the hit links, a surface image the
// outlines are drawn on, and a record of what the machine asked for.
#include "components/CompGestures.h"
#include "schematic/SchGestureCanvas.h"

#include <QImage>

#include <string>
#include <vector>

class TFakeCompHost : public TCompGestureHost, public TCanvasOutline {
public:
    TFakeCompHost() : surface(NewBitmap(402, 402)), canvas_(surface) {}

    TCompModel model;
    PShapeRec hitShape = nullptr;
    PCompTextRec hitText = nullptr;
    int32_t drawMode = 0;
    int undoStores = 0;
    bool modified = false;
    std::string status2;
    int redraws = 0;
    int repaints = 0;
    int cursor = sch_cursor::Default;
    std::vector<std::string> messages;
    int penSizeRuns = 0;
    int deletes = 0;
    // Dialog answers.
    bool arrowOk = true;
    int32_t arrowAnswer = 1;
    int arrowAsks = 0;
    bool textOk = true;
    TCharDlgValues textAnswer;
    int textAsks = 0;
    std::function<void()> duringTextDialog;
    // Every text is this many pixels wide and high.
    int32_t textW = 40, textH = 20;
    QImage surface;

    TCompModel& Model() override { return model; }
    int32_t DrawMode() const override { return drawMode; }
    PShapeRec& HitShape() override { return hitShape; }
    PCompTextRec& HitText() override { return hitText; }
    void StoreUndo() override { ++undoStores; }
    void SetModified() override { modified = true; }
    void SetStatus2(const std::string& s) override { status2 = s; }
    // Both wipe the surface, as copying the picture over it does.
    void Redraw() override
    {
        ++redraws;
        surface.fill(Qt::white);
    }
    void BitmapRepaint() override
    {
        ++repaints;
        surface.fill(Qt::white);
    }
    void MovePreview(int32_t, int32_t) override {}
    void SetScreenCursor(int c) override { cursor = c; }
    void TextExtent(const TCompTextRec&, int32_t& w, int32_t& h) override
    {
        w = textW;
        h = textH;
    }
    bool AskArrowType(int32_t& type) override
    {
        ++arrowAsks;
        type = arrowAnswer;
        return arrowOk;
    }
    bool AskText(TCharDlgValues& v) override
    {
        ++textAsks;
        if (duringTextDialog)
            duringTextDialog();
        if (textOk)
            v = textAnswer;
        return textOk;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void AlterPenSize() override { ++penSizeRuns; }
    void DeleteSelected() override { ++deletes; }
    TCanvas& OverlayCanvas() override { return canvas_; }

    // Pixels that are not white.
    int Marked() const
    {
        int n = 0;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x)
                if ((surface.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    ++n;
        return n;
    }

private:
    TImageCanvas canvas_;
};

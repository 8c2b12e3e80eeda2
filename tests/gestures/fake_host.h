#pragma once
// A window stand-in for the gesture machine: it keeps the model and view, counts undo
// states and redraws, and logs every overlay call so that tests can check what was drawn.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "schematic/SchGestures.h"

struct FakeHost : TSchGestureHost {
    TSchModel model;
    int32_t scale = 4, offX = 0, offY = 0, drawMode = 0;
    PShapeRec hitShape = nullptr;
    PCompRec hitComp = nullptr;
    PTextRec hitText = nullptr;
    const TCompRec* placeComp = nullptr;
    int undoCount = 0, fullRedraws = 0, repaints = 0, modified = 0, boxDragging = -1;
    std::string status2;
    int32_t hPos = 0, vPos = 0;
    int screenCursor = sch_cursor::Default, windowCursor = sch_cursor::Arrow;
    int32_t defaultArrow = 0;
    std::vector<std::string> messages;
    bool xorMode = false;
    uint32_t penColor = 0;
    bool dotted = false;
    std::vector<std::string> overlay;  // drawn primitives, "xor"/"copy" prefixed
    // Text extent: width 6 pixels per byte, height 10, unless a test replaces it.
    std::function<void(const TTextRec&, int32_t, int32_t&, int32_t&)> extent;
    // Dialog answers.
    std::function<bool(int32_t&, bool&)> arrowDlg;
    std::function<bool(TCharDlgValues&)> textDlg;
    std::function<bool(std::string&)> inputDlg;
    int arrowAsked = 0, textAsked = 0;
    std::vector<std::string> statusLog;

    TSchModel& Model() override { return model; }
    int32_t Scale() const override { return scale; }
    int32_t OffsetX() const override { return offX; }
    int32_t OffsetY() const override { return offY; }
    int32_t DrawMode() const override { return drawMode; }
    PShapeRec& HitShape() override { return hitShape; }
    PCompRec& HitComp() override { return hitComp; }
    PTextRec& HitText() override { return hitText; }
    const TCompRec* PlaceComp() const override { return placeComp; }
    void SetBoxDragging(int v) override { boxDragging = v; }
    void StoreUndo() override { ++undoCount; }
    void SetModified() override { ++modified; }
    void SetStatus2(const std::string& s) override
    {
        status2 = s;
        statusLog.push_back(s);
    }
    void FullRedraw() override
    {
        ++fullRedraws;
        overlay.clear();
    }
    void BitmapRepaint() override
    {
        ++repaints;
        overlay.clear();
    }
    int32_t ClientWidth() const override { return 688; }
    int32_t ClientHeight() const override { return 400; }
    void OvXorMode(bool x) override { xorMode = x; }
    void OvPenColor(uint32_t c) override { penColor = c; }
    void OvPenDotted(bool d) override { dotted = d; }
    void Log(const std::string& what)
    {
        char col[16];
        std::snprintf(col, sizeof col, "%06X", penColor);
        overlay.push_back(std::string(xorMode ? "xor " : "copy ") + col + " " + what);
    }
    static std::string P(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }
    void OvLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override { Log("line " + P(x1, y1) + " " + P(x2, y2)); }
    void OvPolyline(const TPointList& pts) override
    {
        std::string s = "path";
        for (const auto& p : pts)
            s += " " + P(p.X, p.Y);
        Log(s);
    }
    void OvRectangle(int32_t l, int32_t t, int32_t r, int32_t b) override { Log("rect " + P(l, t) + " " + P(r, b)); }
    void OvEllipse(int32_t l, int32_t t, int32_t r, int32_t b) override { Log("ellipse " + P(l, t) + " " + P(r, b)); }
    void OvArc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t sx, int32_t sy, int32_t ex, int32_t ey) override
    {
        Log("arc " + P(l, t) + " " + P(r, b) + " " + P(sx, sy) + " " + P(ex, ey));
    }
    void OvCompShapes(const TCompRec& c, int32_t ox, int32_t oy) override { Log("comp " + P(ox, oy)); }
    int32_t HScrollPos() const override { return hPos; }
    int32_t VScrollPos() const override { return vPos; }
    void SetHScrollPos(int32_t v) override { hPos = std::clamp(v, 0, 1000); }
    void SetVScrollPos(int32_t v) override { vPos = std::clamp(v, 0, 1000); }
    void SetScreenCursor(int c) override { screenCursor = c; }
    int savedCursor = -100;
    void SetWindowCursor(int c) override { windowCursor = c; }
    void SaveWindowCursor() override { savedCursor = windowCursor; }
    void RestoreWindowCursor() override { windowCursor = savedCursor; }
    void TextExtent(const TTextRec& t, int32_t s, int32_t& w, int32_t& h) override
    {
        if (extent)
            return extent(t, s, w, h);
        w = static_cast<int32_t>(t.Text.size()) * 6;
        h = 10;
    }
    int32_t DefaultArrow() const override { return defaultArrow; }
    void SetDefaultArrow(int32_t v) override { defaultArrow = v; }
    bool AskArrowType(int32_t& type, bool& setDefault) override
    {
        ++arrowAsked;
        return arrowDlg ? arrowDlg(type, setDefault) : true;
    }
    bool AskText(TCharDlgValues& v) override
    {
        ++textAsked;
        return textDlg ? textDlg(v) : false;
    }
    bool InputQuery(const std::string&, const std::string&, std::string& value) override
    {
        return inputDlg ? inputDlg(value) : false;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    // Overlay primitives drawn in XOR an odd number of times, i.e. still showing.
    std::vector<std::string> Showing() const
    {
        std::map<std::string, int> n;
        for (const auto& s : overlay)
            if (s.rfind("xor ", 0) == 0)
                ++n[s];
        std::vector<std::string> out;
        for (const auto& [k, v] : n)
            if (v % 2)
                out.push_back(k);
        return out;
    }
};

#include "windows/SizeDlg_.h"

#include <cstdio>

TSizeDialog::TSizeDialog(QWidget* parent)
    : TValueDialog(parent, "SizeDialog", "Line Width Selection", "Set line width to:", 217, 15)
{
}

// Not clamped at the top: a press below the tenth bar gives 11.
int32_t TSizeDialog::PressValue(int y) const { return std::max((y + 10) / 20, 1); }

void TSizeDialog::DrawSamples(TCanvas& c)
{
    c.SetPenColor(clNavy);
    c.SetBrushColor(clNavy);
    for (int i = 1; i <= 10; ++i)
        c.Rectangle(10, 20 * i - i / 2, 180, 21 * i - i / 2);
    c.SetBrushColor(clWhite);
    char num[8];
    for (int i = 1; i <= 10; ++i) {
        std::snprintf(num, sizeof num, "%2d", i);
        c.TextOut(190, 20 * i - 7, num);
    }
    c.SetPenColor(clRed);
    c.SetBrushColor(clRed);
    const int v = value_;
    if (v >= 1 && v <= 10)
        c.Rectangle(10, 20 * v - v / 2, 180, 21 * v - v / 2);
}

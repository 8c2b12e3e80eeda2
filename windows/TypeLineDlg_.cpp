#include "windows/TypeLineDlg_.h"

#include <QLabel>

#include <algorithm>
#include <cstdio>

TTypeLineDialog::TTypeLineDialog(QWidget* parent)
    : TValueDialog(parent, "TypeLineDialog", "Line Type Selection", "Set Line Type to:", 185, 5)
{
    LabelWarn = new QLabel(this);
    LabelWarn->setFont(PixelFont("Times New Roman", 13, false, true));
    QPalette pal = LabelWarn->palette();
    pal.setColor(QPalette::WindowText, QtColor(0x808000));  // teal
    LabelWarn->setPalette(pal);
    LabelWarn->setWordWrap(true);
    LabelWarn->setGeometry(Left + 16, 236, 209, 34);
    // The label breaks its line at the carriage return.
    LabelWarn->setText(QString::fromLatin1("Note: Line Types only work when\r           Line Size equals 1.")
                           .replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

int32_t TTypeLineDialog::PressValue(int y) const { return std::clamp((y + 35) / 37, 1, 5); }

void TTypeLineDialog::DrawSamples(TCanvas& c)
{
    static const TPenStyle styles[] = {TPenStyle::Solid, TPenStyle::Dash, TPenStyle::DashDot, TPenStyle::DashDotDot,
                                       TPenStyle::Dot};
    c.SetBrushColor(clWhite);
    char num[8];
    for (int i = 1; i <= 5; ++i) {
        c.SetPenColor(i == value_ ? clRed : clNavy);
        c.SetPenStyle(styles[i - 1]);
        c.MoveTo(15, 37 * i - 18);
        c.LineTo(180, 37 * i - 18);
        std::snprintf(num, sizeof num, "%d", i);
        c.TextOut(190, 37 * i - 25, num);
    }
    c.SetPenStyle(TPenStyle::Solid);
}

#include "windows/TypeArrowDlg_.h"

#include <QCheckBox>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

TTypeArrowDialog::TTypeArrowDialog(QWidget* parent)
    : TValueDialog(parent, "TypeArrowDialog", "Arrow Type Selection", "Set Arrow Type to:", 193, 6)
{
    CboxSetDefault = new QCheckBox(QString::fromLatin1("Set as the Default Arrow Type"), this);
    CboxSetDefault->setFont(PixelFont("Times New Roman", 13));
    QPalette pal = CboxSetDefault->palette();
    pal.setColor(QPalette::WindowText, QtColor(0x808000));  // teal
    CboxSetDefault->setPalette(pal);
    CboxSetDefault->setGeometry(Left + 16, 244, 209, 22);
    CboxSetDefault->setChecked(false);
}

int32_t TTypeArrowDialog::PressValue(int y) const { return std::clamp((y + 20) / 30, 1, 6); }

void TTypeArrowDialog::DrawSamples(TCanvas& c)
{
    // Barbs 16 pixels back from the tip at 22.5 degrees.
    const double a = std::numbers::pi / 8;
    const int back = static_cast<int>(std::lrint(16 * std::cos(a)));
    const int side = static_cast<int>(std::lrint(16 * std::sin(a)));
    auto head = [&](int tipX, int dir, int y, int notchX) {
        const int bx = tipX - dir * back;
        if (notchX < 0) {
            const TPoint p[] = {{tipX, y}, {bx, y - side}, {bx, y + side}};
            c.Polygon(p, 3);
        } else {
            const TPoint p[] = {{tipX, y}, {bx, y - side}, {notchX, y}, {bx, y + side}};
            c.Polygon(p, 4);
        }
    };
    for (int i = 1; i <= 6; ++i) {
        const int y = 30 * i - 10;
        const TColor col = i == value_ ? clRed : clNavy;
        c.SetPenColor(col);
        c.SetBrushColor(col);
        switch (i) {
        case 1: head(180, 1, y, -1); break;
        case 2: head(180, 1, y, 170); break;
        case 3: head(180, 1, y, 178); break;
        case 4: head(180, 1, y, -1); head(10, -1, y, -1); break;
        case 5: head(180, 1, y, 170); head(10, -1, y, 20); break;
        case 6: head(180, 1, y, 178); head(10, -1, y, 12); break;
        }
        c.Rectangle(10, y, 180, y + 1);
    }
    c.SetBrushColor(clWhite);
    char num[8];
    for (int i = 1; i <= 6; ++i) {
        std::snprintf(num, sizeof num, "%2d", i);
        c.TextOut(190, 30 * i - 17, num);
    }
}

bool RunArrowDialog(QWidget* parent, int32_t& type, bool& setDefault, bool showCheckBox)
{
    // On the heap: a parent that closes meanwhile takes the dialog along.
    QPointer<TTypeArrowDialog> d = new TTypeArrowDialog(parent);
    d->ArrowType = type;
    d->CboxSetDefault->setVisible(showCheckBox);
    const bool ok = d->exec() == QDialog::Accepted;
    if (!d)
        return false;
    type = d->ArrowType;
    setDefault = d->CboxSetDefault->isChecked();
    delete d.data();
    return ok;
}

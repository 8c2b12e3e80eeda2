#include "windows/ValueDlg.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

#include "platform/fonts.h"
#include "platform/msgbox.h"

QFont PixelFont(const char* name, int pixels, bool bold, bool italic)
{
    QFont f(ResolveFontFamily(name));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QColor QtColor(TColor c) { return QColor::fromRgb(ColorToRgb(c)); }

namespace {

// The sample area: paints the dialog's image and passes presses on.
class TPaintBox : public QWidget {
public:
    explicit TPaintBox(TValueDialog* dlg) : QWidget(dlg), dlg_(dlg) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        dlg_->PaintBoxPaint();
        QPainter p(this);
        p.drawImage(0, 0, dlg_->PaintBoxImage());
    }
    void mousePressEvent(QMouseEvent* e) override { dlg_->PaintBoxMouseDown(e->position().toPoint().y()); }

private:
    TValueDialog* dlg_;
};

void SetLabelColor(QLabel* l, TColor c)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QtColor(c));
    l->setPalette(pal);
}

} // namespace

TValueDialog::TValueDialog(QWidget* parent, const char* formName, const char* caption, const char* info,
                           int boxHeight, int32_t maxValue)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      max_(maxValue)
{
    setObjectName(formName);
    setWindowTitle(QString::fromLatin1(caption));
    // Fixed before the first show, and wide enough for the whole title; the controls stand
    // in the middle of a dialog that the title makes wider.
    FixDialogSize(this, QSize(kBodyWidth, kBodyHeight));
    Left = (width() - kBodyWidth) / 2;
    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(Left + 8, 8, 225, 265);
    PaintBox = new TPaintBox(this);
    PaintBox->setGeometry(Left + 16, 16, 209, boxHeight);
    image_ = NewBitmap(209, boxHeight);
    InfoLabel = new QLabel(QString::fromLatin1(info), this);
    InfoLabel->setFont(PixelFont("Times New Roman", 16, true));
    SetLabelColor(InfoLabel, 0x000080);  // maroon
    InfoLabel->setGeometry(Left + 16, 16 + boxHeight + 8, 150, 22);
    SzeLabel = new QLabel(this);
    SzeLabel->setFont(PixelFont("Times New Roman", 16, true));
    SetLabelColor(SzeLabel, clNavy);
    SzeLabel->setGeometry(Left + 168, 16 + boxHeight + 8, 28, 22);
    SpinUp = new QToolButton(this);
    SpinUp->setArrowType(Qt::UpArrow);
    SpinUp->setGeometry(Left + 200, 16 + boxHeight + 6, 18, 13);
    SpinDown = new QToolButton(this);
    SpinDown->setArrowType(Qt::DownArrow);
    SpinDown->setGeometry(Left + 200, 16 + boxHeight + 19, 18, 13);
    OkBitBut = new QPushButton(tr("OK"), this);
    OkBitBut->setGeometry(Left + 40, 290, 75, 28);
    OkBitBut->setDefault(true);
    CancelBitBut = new QPushButton(tr("Cancel"), this);
    CancelBitBut->setGeometry(Left + 126, 290, 75, 28);
    connect(SpinUp, &QToolButton::clicked, this, [this] { UpDownSpinClick(true); });
    connect(SpinDown, &QToolButton::clicked, this, [this] { UpDownSpinClick(false); });
    connect(OkBitBut, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBitBut, &QPushButton::clicked, this, &QDialog::reject);
    value_ = 1;
}

QString TValueDialog::SzeText() const { return SzeLabel->text(); }

void TValueDialog::showEvent(QShowEvent* e)
{
    if (QScreen* s = screen())
        move(s->geometry().center() - rect().center());
    OkBitBut->setFocus();
    PaintBoxPaint();
    QDialog::showEvent(e);
}

void TValueDialog::UpDownSpinClick(bool up)
{
    value_ = std::clamp<int32_t>(up ? value_ + 1 : value_ - 1, 1, max_);
    SzeLabel->setText(QString::number(value_));
    PaintBox->update();
    PaintBoxPaint();
}

void TValueDialog::PaintBoxMouseDown(int y)
{
    value_ = PressValue(y);
    PaintBox->update();
    PaintBoxPaint();
}

void TValueDialog::PaintBoxPaint()
{
    TImageCanvas c(image_);
    c.SetPenWidth(1);
    c.SetPenStyle(TPenStyle::Solid);
    c.SetPenMode(TPenMode::Copy);
    c.SetPenColor(clWhite);
    c.SetBrushColor(clWhite);
    c.Rectangle(0, 0, 210, 230);
    TFontSpec f;
    f.Name = "Times New Roman";
    f.Size = 8;
    c.SetFont(f);
    DrawSamples(c);
    SzeLabel->setText(QString::number(value_));
}

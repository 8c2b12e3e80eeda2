#include "app/ColorDlg_.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

struct TNamedColor {
    const char* Name;
    uint32_t Color;  // $BBGGRR
};
constexpr TNamedColor kColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080}, {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080}, {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},    {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00}, {"White", 0xFFFFFF},
};

QIcon Swatch(uint32_t c)
{
    QPixmap pm(16, 12);
    pm.fill(QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 11);
    return QIcon(pm);
}

QComboBox* MakeBox(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    for (const auto& c : kColors)
        box->addItem(Swatch(c.Color), QString::fromLatin1(c.Name), QVariant::fromValue(c.Color));
    return box;
}

} // namespace

TColorDlg::TColorDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Color"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    auto* lay = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    ColorBoxLine = MakeBox(this, "ColorBoxLine");
    ColorBoxFill = MakeBox(this, "ColorBoxFill");
    ColorBoxText = MakeBox(this, "ColorBoxText");
    ColorBoxSel = MakeBox(this, "ColorBoxSel");
    form->addRow(QStringLiteral("Line Color:"), ColorBoxLine);
    form->addRow(QStringLiteral("Fill Color:"), ColorBoxFill);
    form->addRow(QStringLiteral("Text Color:"), ColorBoxText);
    form->addRow(QStringLiteral("Select Color:"), ColorBoxSel);
    lay->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    lay->addWidget(buttons);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TColorDlg::SelectColor(QComboBox* box, uint32_t color)
{
    color &= 0xFFFFFFFFu;
    for (int i = 0; i < box->count(); ++i)
        if (box->itemData(i).value<uint32_t>() == color) {
            box->setCurrentIndex(i);
            return;
        }
    // A stored colour outside the list is offered as its own entry.
    box->addItem(Swatch(color), QStringLiteral("$%1").arg(color, 6, 16, QLatin1Char('0')).toUpper(),
                 QVariant::fromValue(color));
    box->setCurrentIndex(box->count() - 1);
}

uint32_t TColorDlg::SelectedColor(const QComboBox* box)
{
    return box->currentData().value<uint32_t>();
}

void TColorDlg::SetColors(uint32_t line, uint32_t fill, uint32_t text, uint32_t sel)
{
    SelectColor(ColorBoxLine, line);
    SelectColor(ColorBoxFill, fill);
    SelectColor(ColorBoxText, text);
    SelectColor(ColorBoxSel, sel);
}

void TColorDlg::GetColors(uint32_t& line, uint32_t& fill, uint32_t& text, uint32_t& sel) const
{
    line = SelectedColor(ColorBoxLine);
    fill = SelectedColor(ColorBoxFill);
    text = SelectedColor(ColorBoxText);
    sel = SelectedColor(ColorBoxSel);
}

#include "components/SelComp_.h"

#include "components/CompFiles.h"
#include "components/core/comp_folder.h"
#include "components/core/comp_text.h"
#include "platform/msgbox.h"
#include "schematic/render/render.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kBox = 208;
constexpr TColor kGridColor = 0xB0E0FF;
// Far beyond the box: a larger font could not show more of a text in it.
constexpr int kMaxPreviewPoints = 200;
// A text is drawn only as far as it can reach the box.
constexpr std::size_t kMaxPreviewBytes = 256;

QFont UiFont(const char* name, int pixels, bool bold = false)
{
    TFontSpec spec;
    spec.Name = name;
    spec.Bold = bold;
    QFont f = MakeQFont(spec);
    f.setPixelSize(pixels);
    return f;
}

std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString FromBytes(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

} // namespace

// ---------------------------------------------------------------- preview box

TPreviewBox::TPreviewBox(QWidget* parent) : QWidget(parent), Surface(NewBitmap(kBox, kBox))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kBox, kBox);
    Canvas_ = std::make_unique<TImageCanvas>(Surface);
}

TPreviewBox::~TPreviewBox() = default;

void TPreviewBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, Surface);
}

// ---------------------------------------------------------------- list

void TCompListBox::keyPressEvent(QKeyEvent* event)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0 && OnKeyChoice)
        OnKeyChoice();
}

// ---------------------------------------------------------------- window

TSelCompWin::TSelCompWin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SelCompWin"));
    setWindowTitle(QStringLiteral("Select Component"));
    setWindowFlag(Qt::Tool, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(425, 374);
    setFont(UiFont("MS Sans Serif", 11));
    const QFont bold = UiFont("MS Sans Serif", 13, true);
    const QFont times = UiFont("Times New Roman", 13);

    PartLabel = new QLabel(QStringLiteral("Component Name:"), this);
    PartLabel->setFont(bold);
    PartLabel->move(8, 4);
    PartLabel->adjustSize();

    CompNmeEdit = new QLineEdit(QStringLiteral("*"), this);
    CompNmeEdit->setObjectName(QStringLiteral("CompNmeEdit"));
    CompNmeEdit->setGeometry(8, 28, 193, 23);
    CompNmeEdit->setFont(times);
    CompNmeEdit->installEventFilter(this);

    CompListBox = new TCompListBox(this);
    CompListBox->setObjectName(QStringLiteral("CompListBox"));
    CompListBox->setGeometry(8, 60, 193, 308);
    CompListBox->setFont(UiFont("Courier New", 13));
    CompListBox->setUniformItemSizes(true);

    PathLabel = new QLabel(QStringLiteral("Component Library Path"), this);
    PathLabel->setFont(bold);
    PathLabel->move(216, 4);
    PathLabel->adjustSize();

    AltPathSpBut = new QToolButton(this);
    AltPathSpBut->setText(QStringLiteral("..."));
    AltPathSpBut->setAutoRaise(true);
    AltPathSpBut->setGeometry(216, 28, 20, 23);

    PathEdit = new QLineEdit(this);
    PathEdit->setReadOnly(true);
    PathEdit->setGeometry(235, 28, 182, 23);
    PathEdit->setFont(times);
    PathEdit->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); }"));
    PathEdit->setFocusPolicy(Qt::NoFocus);

    PaintBox = new TPreviewBox(this);
    PaintBox->move(212, 60);

    auto button = [&](const char* text, int y) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setGeometry(216, y, 201, 30);
        b->setFont(bold);
        b->setAutoDefault(false);
        return b;
    };
    EditCompBBut = button("     Edit Component      ", 272);
    CancelBBut = button("  Cancel the Selection ", 309);
    OkayBBut = button("Select this Component", 340);
    OkayBBut->setDefault(true);
    OkayBBut->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    EditCompBBut->setEnabled(false);
    OkayBBut->setEnabled(false);

    connect(EditCompBBut, &QPushButton::clicked, this, [this] { done(mrRetry); });
    connect(CancelBBut, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(OkayBBut, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(AltPathSpBut, &QToolButton::clicked, this, [this] { AltPathSpButClick(); });
    connect(CompListBox, &QListWidget::itemClicked, this, [this] { CompListBoxClick(); });
    CompListBox->OnKeyChoice = [this] { CompListBoxClick(); };
    connect(CompNmeEdit, &QLineEdit::textChanged, this, [this] {
        if (!ChangeDetached)
            CompNmeEditChange();
    });
    ChooseFolder = [this] {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Select A Folder:"), QString(),
                                                 QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    };
    CompNmeEdit->setFocus();
    PaintBoxPaint();
}

TSelCompWin::~TSelCompWin() = default;

void TSelCompWin::reject() { done(mrCancel); }

void TSelCompWin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        PaintBoxPaint();
        FormShow();
    }
}

bool TSelCompWin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == CompNmeEdit && event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->text().size() == 1 && CompNmeEditKeyPress(k->text().at(0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- listing

void TSelCompWin::FormShow()
{
    CompListBox->clear();
    Names = ListCompNames(Bytes(PathEdit->text()));
    for (const std::string& n : Names)
        CompListBox->addItem(FromBytes(n));
}

// ---------------------------------------------------------------- preview

void TSelCompWin::PaintBoxPaint()
{
    TCanvas& c = PaintBox->Canvas();
    c.SetPenWidth(1);
    c.SetPenMode(TPenMode::Copy);
    c.SetPenStyle(TPenStyle::Solid);
    c.SetPenColor(clBlack);
    c.SetBrushColor(clWhite);
    c.Rectangle(0, 0, kBox, kBox);
    c.SetBrushStyle(TBrushStyle::Clear);
    c.SetPenColor(kGridColor);
    for (int k = -12; k <= 12; ++k) {
        const int p = 8 * k + 103;
        c.MoveTo(p, 2);
        c.LineTo(p, 206);
        c.MoveTo(2, p);
        c.LineTo(206, p);
    }
    c.SetPenColor(clNavy);
    PaintBox->update();
}

void TSelCompWin::DrawShape(TCanvas& canvas, int32_t Kind, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                            int32_t Style)
{
    const TShapeRec s{Kind, X1, Y1, X2, Y2, Style, 0};
    TShapeParams p;
    p.Scale = 2;
    p.FillColor = clNavy;
    p.ArcRadius = PrimaryScreenWidth();
    p.OriginX = 103;
    p.OriginY = 103;
    p.ArcRule = TArcRule::Picker;
    p.HeadsFirst = true;
    p.DrawSine = false;
    ::DrawShape(canvas, &s, 0, 0, p);
}

void TSelCompWin::DrawText(TCanvas& canvas, std::string_view text, int32_t Font, int32_t X, int32_t Y)
{
    const int64_t s = std::max<int64_t>(Font / 16, 1);
    const int points = static_cast<int>(std::min<int64_t>(3 * s + 4, kMaxPreviewPoints));
    canvas.Font().Name = TextFontName(Font);
    canvas.Font().Size = points;
    const int64_t x = (int64_t{X} + 500) * 2 / 10 + 4;
    const int64_t y = (int64_t{Y} + 500) * 2 / 10 + 3;
    // Glyphs are narrower than twice the font's pixel size: farther off, nothing shows.
    const int64_t reach = 2 * int64_t{FontPixelSize(points)};
    if (x >= kBox || y >= kBox || y + reach < 0 || x + reach * static_cast<int64_t>(kMaxPreviewBytes) < 0)
        return;
    canvas.TextOut(static_cast<int32_t>(x), static_cast<int32_t>(y), text.substr(0, kMaxPreviewBytes));
}

void TSelCompWin::CompListBoxClick()
{
    const int row = CompListBox->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= Names.size())
        return;
    EditCompBBut->setEnabled(true);
    OkayBBut->setEnabled(true);
    PaintBoxPaint();
    TCanvas& c = PaintBox->Canvas();
    const std::string& name = Names[static_cast<std::size_t>(row)];
    bool found = false;
    FileName = FromBytes(CompFileIn(Bytes(PathEdit->text()), name + ".cmp", &found));
    ChosenName = FromBytes(name);
    if (!found) {
        c.SetBrushStyle(TBrushStyle::Clear);
        c.TextOut(10, 10, "COMPONENT NOT FOUND");
        PaintBox->update();
        return;
    }
    ChangeDetached = true;
    CompNmeEdit->setText(ChosenName);
    ChangeDetached = false;

    QString error;
    if (!ReadCompLines(FileName, CompLines, error)) {
        MessageDlg(QStringLiteral("Cannot open file \"") + FileName + QStringLiteral("\".\r") + error,
                   TMsgDlgType::mtError, mbOK, this);
        return;
    }
    bool textsBegun = false;
    auto plainFont = [&] {
        textsBegun = true;
        c.Font().Bold = c.Font().Italic = c.Font().Underline = false;
        c.SetBrushStyle(TBrushStyle::Clear);
        c.Font().Color = clBlack;
    };
    TCompWalkOpts o;
    o.Strict = true;
    o.FontRange = false;
    const TCompStop stop = WalkComp(
        CompLines, o, [&](const TShapeRec& s) { DrawShape(c, s.Kind, s.X1, s.Y1, s.X2, s.Y2, s.Style); },
        [&](std::string_view text, int32_t font, int32_t x, int32_t y) {
            if (!textsBegun)
                plainFont();
            DrawText(c, text, font, x, y);
        });
    if (stop == TCompStop::Ok && !textsBegun)
        plainFont();
    PaintBox->update();
}

// ---------------------------------------------------------------- typing a name

bool TSelCompWin::CompNmeEditKeyPress(QChar ch)
{
    if (ch < QLatin1Char('a') || ch > QLatin1Char('z'))
        return false;
    CompNmeEdit->insert(QString(ch.toUpper()));
    return true;
}

void TSelCompWin::CompNmeEditChange()
{
    const QString text = CompNmeEdit->text();
    if (text.size() > 1 && text.contains(QLatin1Char('*'))) {
        QString t = text;
        t.remove(t.indexOf(QLatin1Char('*')), 1);
        CompNmeEdit->setText(t);  // runs the search on the new text
        CompNmeEdit->setCursorPosition(static_cast<int>(t.size()));
        return;
    }
    const std::string want = Bytes(text);
    for (std::size_t i = 0; i < Names.size(); ++i) {
        const int cmp = Names[i].compare(want);
        if (cmp == 0) {
            CompListBox->setCurrentRow(static_cast<int>(i));
            CompListBoxClick();
            return;
        }
        if (cmp > 0) {
            if (i > 0)
                CompListBox->scrollToItem(CompListBox->item(static_cast<int>(i - 1)), QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

// ---------------------------------------------------------------- folder choice

void TSelCompWin::AltPathSpButClick()
{
    const QString path = ChooseFolder ? ChooseFolder() : QString();
    if (path.isEmpty() || path.startsWith(QLatin1Char('.')) || !QFileInfo(path).isDir())
        return;
    CompNmeEdit->clear();
    PaintBoxPaint();
    PathEdit->setText(QDir::cleanPath(path));
    FormShow();
}

#include "windows/CharWin_.h"

#include "platform/msgbox.h"

#include <QPointer>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <array>

#include "windows/ValueDlg.h"
#include "platform/canvas.h"
#include "platform/fonts.h"

namespace {

constexpr TColor clLightYellow = 0xC0FFFF;

TFontSpec Spec(bool symbol)
{
    TFontSpec f;
    f.Name = symbol ? "Symbol" : "Times New Roman";
    return f;
}

} // namespace

QString CharTextFromBytes(std::string_view bytes, bool symbol) { return FontText(Spec(symbol), bytes); }

std::string CharBytesFromText(const QString& text, bool symbol)
{
    // The inverse of the font's mapping, built from the mapping itself.
    static const auto inverse = [] {
        std::array<std::array<char16_t, 256>, 2> m{};
        for (int s = 0; s < 2; ++s)
            for (int b = 0; b < 256; ++b) {
                const char c = static_cast<char>(b);
                m[s][b] = FontText(Spec(s == 1), std::string_view(&c, 1)).at(0).unicode();
            }
        return m;
    }();
    const auto& map = inverse[symbol ? 1 : 0];
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        int found = -1;
        if (u < 256 && map[u] == u)
            found = u;
        else
            for (int b = 0; b < 256 && found < 0; ++b)
                if (map[b] == u)
                    found = b;
        out.push_back(found < 0 ? '?' : static_cast<char>(found));
    }
    return out;
}

TCharWin::TCharWin(QWidget* parent) : QDialog(parent, FixedDialogFlags())
{
    setObjectName("CharWin");
    setWindowTitle(QStringLiteral("Input Text String"));
    setFixedSize(510, 402);
    setMouseTracking(true);

    StrEdit = new QLineEdit(this);
    StrEdit->setGeometry(4, 1, 501, 26);
    StrEdit->setFont(PixelFont("Times New Roman", 16));
    connect(StrEdit, &QLineEdit::textChanged, this, [this] { KeepLineClean(); });
    StrEdit->installEventFilter(this);

    BotPanel = new QWidget(this);
    BotPanel->setGeometry(0, 402 - 33, 510, 33);
    // A click on the panel or its labels is not a click on the dialog's surface.
    BotPanel->setAttribute(Qt::WA_NoMousePropagation);
    SymCheckBox = new QCheckBox(QStringLiteral("Symbols"), BotPanel);
    SymCheckBox->setGeometry(8, 7, 80, 20);
    connect(SymCheckBox, &QCheckBox::toggled, this, [this] { SymCheckBoxClick(); });
    FontLabel = new QLabel(QStringLiteral("Size"), BotPanel);
    FontLabel->setGeometry(96, 8, 28, 18);
    FontComBox = new QComboBox(BotPanel);
    for (int i = 1; i <= 8; ++i)
        FontComBox->addItem(QString::number(i));
    FontComBox->setGeometry(126, 5, 48, 24);
    LabelAng = new QLabel(QStringLiteral("Angle"), BotPanel);
    LabelAng->setGeometry(184, 8, 36, 18);
    AngComBox = new QComboBox(BotPanel);
    for (const char* a : {"Right     0\xB0", "Up       90\xB0", "Left    180\xB0", "Down 270\xB0"})
        AngComBox->addItem(QString::fromLatin1(a));
    AngComBox->setGeometry(222, 5, 110, 24);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), BotPanel);
    CancelBtn->setGeometry(348, 4, 75, 26);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { ExitButClick(); });
    OKBut = new QPushButton(QStringLiteral("OK"), BotPanel);
    OKBut->setGeometry(428, 4, 75, 26);
    OKBut->setDefault(true);
    connect(OKBut, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TCharWin::FormCreate()
{
    CurChar = 0;
    charBmp_ = NewBitmap(510, 342, clLightYellow);
    SymCheckBoxClick();
}

bool TCharWin::Symbol() const { return SymCheckBox->isChecked(); }

void TCharWin::SetSymbol(bool on)
{
    if (SymCheckBox->isChecked() == on)
        return;
    SymCheckBox->setChecked(on);  // runs SymCheckBoxClick
}

void TCharWin::SetTextBytes(std::string_view bytes)
{
    StrEdit->setText(CharTextFromBytes(bytes, symbolShown_));
    StrEdit->setCursorPosition(static_cast<int>(StrEdit->text().size()));
}

std::string TCharWin::TextBytes() const { return CharBytesFromText(StrEdit->text(), symbolShown_); }

void TCharWin::KeepLineClean()
{
    // Line breaks and NUL never enter a text, however they were typed or pasted.
    QString t = StrEdit->text();
    if (!t.contains(QLatin1Char('\r')) && !t.contains(QLatin1Char('\n')) && !t.contains(QChar(0)))
        return;
    int pos = StrEdit->cursorPosition();
    for (int i = static_cast<int>(t.size()) - 1; i >= 0; --i) {
        const QChar c = t.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0)) {
            t.remove(i, 1);
            if (i < pos)
                --pos;
        }
    }
    StrEdit->setText(t);
    StrEdit->setCursorPosition(pos);
}

void TCharWin::DrawTable()
{
    QPainter p(&charBmp_);
    p.fillRect(0, 0, 560, 400, QtColor(clLightYellow));
    QFont f = PixelFont(Symbol() ? "Symbol" : "Times New Roman", 22, true);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    p.setFont(f);
    p.setPen(Qt::black);
    const int ascent = QFontMetrics(f).ascent();
    const TFontSpec spec = Spec(Symbol());
    for (int k = 0; k <= 15; ++k)
        for (int r = 2; r <= 15; ++r) {
            const char c = static_cast<char>(16 * r + k);
            p.drawText(k * 32 + 10, (r - 2) * 24 + ascent, FontText(spec, std::string_view(&c, 1)));
        }
}

void TCharWin::SymCheckBoxClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The edit keeps its bytes; only the way they are shown changes.
    const bool sym = Symbol();
    const std::string bytes = CharBytesFromText(StrEdit->text(), symbolShown_);
    symbolShown_ = sym;
    StrEdit->setFont(PixelFont(sym ? "Symbol" : "Times New Roman", 16));
    StrEdit->setText(CharTextFromBytes(bytes, sym));
    DrawTable();
    QApplication::restoreOverrideCursor();
    highlight_ = {};
    update();
    StrEdit->setFocus();
    StrEdit->setCursorPosition(static_cast<int>(StrEdit->text().size()));
}

void TCharWin::FormMouseMove(int x, int y)
{
    if (x < 0 || y < 0)
        return;
    const int32_t code = (y / 24) * 16 + x / 32 + 16;
    if (code < 32 || code > 255 || code == CurChar)
        return;
    const int cx = (x / 32) * 32, cy = (y / 24) * 24;
    highlight_ = QRect(QPoint(cx + 4, cy + 7), QPoint(cx + 28 - 1, cy + 29 - 1));
    CurChar = code;
    update();
}

void TCharWin::FormClick()
{
    if (CurChar == 0)
        return;
    const char c = static_cast<char>(CurChar);
    const QString ch = CharTextFromBytes(std::string_view(&c, 1), symbolShown_);
    QString t = StrEdit->text();
    const int pos = StrEdit->cursorPosition();
    t.insert(pos, ch);
    StrEdit->setText(t);
    StrEdit->setCursorPosition(pos + 1);
}

void TCharWin::ExitButClick()
{
    CurChar = 0;
    reject();
}

void TCharWin::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 30, charBmp_);
    if (!highlight_.isNull()) {
        p.setPen(QPen(QtColor(clRed), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(highlight_);
    }
}

void TCharWin::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    FormMouseMove(pt.x(), pt.y());
}

void TCharWin::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        FormClick();
}

void TCharWin::showEvent(QShowEvent* e)
{
    if (QScreen* s = screen())
        move(s->geometry().center() - rect().center());
    StrEdit->setFocus();
    QDialog::showEvent(e);
}

bool TCharWin::eventFilter(QObject* watched, QEvent* event)
{
    // The edit would select its whole text when the dialog first gives it the focus, so
    // that the first key replaced it: the caret goes after the last character instead.
    if (watched == StrEdit && event->type() == QEvent::FocusIn) {
        static_cast<QObject*>(StrEdit)->event(event);
        StrEdit->deselect();
        StrEdit->end(false);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool RunCharWin(QWidget* parent, TCharDlgValues& v, bool angleEnabled)
{
    // On the heap: a parent that closes while the dialog is open takes it along.
    QPointer<TCharWin> w = new TCharWin(parent);
    w->SetTextBytes(v.Text);
    w->SetSymbol(v.Symbol);
    w->FontComBox->setCurrentIndex(v.SizeIndex >= 0 && v.SizeIndex < w->FontComBox->count() ? v.SizeIndex : -1);
    w->AngComBox->setCurrentIndex(v.AngleIndex >= 0 && v.AngleIndex < 4 ? v.AngleIndex : 0);
    w->LabelAng->setEnabled(angleEnabled);
    w->AngComBox->setEnabled(angleEnabled);
    w->StrEdit->setFocus();
    const bool ok = w->exec() == QDialog::Accepted;
    if (!w)
        return false;
    if (ok) {
        v.Text = w->TextBytes();
        v.Symbol = w->Symbol();
        v.SizeIndex = w->FontComBox->currentIndex();
        v.AngleIndex = std::max(0, w->AngComBox->currentIndex());
    }
    delete w.data();
    return ok;
}

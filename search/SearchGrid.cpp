// The search window's walk, page drawing, scrolling and selection.
#include "search/SearchWin_.h"

#include "platform/cp1252.h"
#include "platform/folder_widgets.h"
#include "platform/sys/files.h"
#include "schematic/core/line_stream.h"
#include "schematic/core/lines.h"
#include "search/core/grid.h"
#include "viewers/render/preview.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace {

// The first line of a text file of 6 lines or more, for a cell that is not a schematic;
// false for anything else. The file is read only as far as its sixth line, as the preview
// reads it.
bool FirstLineOfText(const std::string& path, std::string& line)
{
    sys::TReadFile f;
    if (!f.Open(path) || static_cast<uint64_t>(f.Size()) > preview::MaxReadBytes)
        return false;
    TLineStream::TLimits lim;
    lim.MaxBytes = preview::MaxReadBytes;
    lim.MaxLine = static_cast<std::size_t>(preview::MaxReadBytes);
    TLineStream lines([&f](char* buf, std::size_t n) { return f.Read(buf, n); }, lim);
    if (!lines.Has(6))
        return false;
    line.assign(lines.Line(0).substr(0, 300));
    return true;
}

// The file part of a path, as Windows-1252 bytes for the canvas.
std::string ShownName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return ToCp1252(PathText(slash == std::string::npos ? path : path.substr(slash + 1)));
}

} // namespace

// ---- Walk

void TSearchWin::BtnGoClick()
{
    if (Searching)
        return;
    PanelMessages->hide();
    BtnGo->hide();
    BtnStopIt->show();
    Found.clear();
    Searching = true;
    {
        const QSignalBlocker block(ScrollBar);
        ScrollBar->setRange(0, 1);
        ScrollBar->setValue(0);
    }
    RedrawPage();
    PaintBox->repaint();

    GetFiles(StartFolder());

    setWindowTitle(QStringLiteral("Search for Schematics [") + QString::number(Found.size()) +
                   QStringLiteral(" Schematics]"));
    SetScrollRange();
    QApplication::processEvents();
    BtnStopIt->hide();
    BtnGo->show();
    Searching = false;
    RedrawPage();
    PanelTop->setFocus();
    if (CloseAfterWalk) {
        CloseAfterWalk = false;
        close();
    }
}

void TSearchWin::BtnStopItClick() { Searching = false; }

void TSearchWin::GetFiles(const std::string& folder)
{
    if (!Searching)
        return;
    Walk.Searching = &Searching;
    WalkFolderShown.clear();
    std::string current;
    Walk.OnFolder = [&current](const std::string& f) { current = f; };
    // The caption follows the walk at every slice, not at every folder.
    Walk.Pump = [this, &current] {
        if (current != WalkFolderShown) {
            WalkFolderShown = current;
            setWindowTitle(QStringLiteral("Search Results: ") + PathText(current));
        }
        QApplication::processEvents();
    };
    Walk.Walk(folder, Found);
    Walk.Pump = nullptr;
    Walk.OnFolder = nullptr;
}

// ---- Page

void TSearchWin::RedrawPage()
{
    // A real redraw: the highlight and the selection go with the old picture.
    SelIndex = HiLeft = HiTop = -100;
    {
        TImageCanvas canvas(BackBmp);
        DrawPics(canvas);
    }
    PaintBoxPaint();
}

void TSearchWin::PaintBoxPaint()
{
    PaintBox->Surface = BackBmp;
    PaintBox->update();
}

void TSearchWin::DrawPics(TImageCanvas& canvas)
{
    // Each pass that moves the bar moves it back, so this ends.
    for (;;) {
        canvas.SetPenColor(0x808080);
        canvas.SetPenWidth(1);
        canvas.SetPenMode(TPenMode::Copy);
        canvas.SetBrushColor(clBtnFace);
        canvas.FillRect({0, 0, canvas.Width(), canvas.Height()});
        canvas.SetBrushStyle(TBrushStyle::Clear);
        canvas.SetFont(TFontSpec{"Times New Roman", 8, clBlack});
        if (Searching)
            return;
        if (Found.empty()) {
            canvas.TextOut(20, 20, "No Schematics");
            return;
        }
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        int64_t lost = 0, rejected = 0;
        int col = 0, row = 0;
        std::size_t i = static_cast<std::size_t>(ScrollBar->value()) * static_cast<std::size_t>(Cols);
        while (i < Found.size()) {
            if (!search::PathExists(Found[i])) {
                ++lost;
                Found.erase(Found.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            const TRect r{col * search::CellWidth, row * search::CellHeight + 2,
                          col * search::CellWidth + search::CellWidth, row * search::CellHeight + 152};
            if (DrawCircuit(canvas, r, Found[i]) == 0 && !mnShowErrorFiles->isChecked()) {
                ++rejected;
                Found.erase(Found.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
            if (++col == Cols) {
                col = 0;
                if (++row == Rows)
                    break;
            }
        }
        if (lost > 0 || rejected > 0) {
            MessagesText->setText(QString::fromStdString(search::ErrorStripText(lost, rejected)));
            PanelMessages->show();
        }
        QGuiApplication::restoreOverrideCursor();
        // Files dropped here can leave the bar past its end (or disabled off 0): draw the
        // page it now shows.
        const bool moved = SetScrollRange();
        if (!moved && !Found.empty())
            return;
    }
}

int TSearchWin::DrawCircuit(TImageCanvas& canvas, const TRect& r, const std::string& path)
{
    // Raised frame two pixels wide inside r: white top and left, black bottom and right.
    auto frame = [&canvas, &r] {
        const TColor keepPen = canvas.Pen().Color;
        int32_t L = r.Left, T = r.Top, R = r.Right - 1, B = r.Bottom - 1;
        for (int k = 0; k < 2; ++k, ++L, ++T, --R, --B) {
            canvas.SetPenColor(clWhite);
            canvas.MoveTo(L, B);
            canvas.LineTo(L, T);
            canvas.LineTo(R, T);
            canvas.SetPenColor(clBlack);
            canvas.LineTo(R, B);
            canvas.LineTo(L - 1, B);
        }
        canvas.SetPenColor(keepPen);
    };
    // Text cut to the inside of the frame.
    auto clipped = [this, &canvas, &r](int32_t x, int32_t y, const std::string& text, TColor color) {
        const TRect in{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
        QImage part = BackBmp.copy(in.Left, in.Top, in.Right - in.Left, in.Bottom - in.Top);
        {
            TImageCanvas c(part);
            c.SetFont(TFontSpec{"Times New Roman", 8, color});
            c.SetBrushStyle(TBrushStyle::Clear);
            c.TextOut(x - in.Left, y - in.Top, text);
        }
        canvas.Draw(in.Left, in.Top, part);
    };
    const std::string name = ShownName(path);
    const TPreviewResult res = MakeThumbnail(path, BigBmp, Thumb);
    if (res.Drawn()) {
        canvas.Font().Color = clBlack;
        frame();
        canvas.Draw(r.Left + 3, r.Top + 3, Thumb);
        clipped(r.Left + 7, r.Top + 134, name, clBlack);
        return 1;
    }
    if (!mnShowErrorFiles->isChecked())
        return 0;
    frame();
    std::string first;
    if (FirstLineOfText(path, first))
        clipped(r.Left + 4, r.Top + 4, first, 0x808080);
    clipped(r.Left + 7, r.Top + 134, name, clBlack);
    return 0;
}

bool TSearchWin::SetScrollRange()
{
    const search::TScrollRange range = search::ScrollRangeFor(static_cast<int64_t>(Found.size()), Cols, Rows);
    const int before = ScrollBar->value();
    const QSignalBlocker block(ScrollBar);
    if (range.Enabled) {
        ScrollBar->setEnabled(true);
        ScrollBar->setRange(0, range.Max);
        ScrollBar->setPageStep(Rows);
    } else {
        // A disabled bar stands at the first page, where every file is shown.
        ScrollBar->setRange(0, 0);
        ScrollBar->setValue(0);
        ScrollBar->setEnabled(false);
    }
    return ScrollBar->value() != before;
}

void TSearchWin::ScrollBarChange()
{
    PanelMessages->hide();
    RedrawPage();
    PanelTop->setFocus();
}

void TSearchWin::FormMouseWheel(int delta)
{
    // One notch (120) moves one page; finer wheels add up to a notch first.
    WheelRest += delta;
    if (WheelRest > -120 && WheelRest < 120)
        return;
    const bool back = WheelRest > 0;
    WheelRest = 0;
    const int pos = ScrollBar->value();
    if (back && pos > 0)
        ScrollBar->setValue(pos - Rows);
    else if (!back && pos < ScrollBar->maximum())
        ScrollBar->setValue(pos + Rows);
    PanelTop->setFocus();
}

void TSearchWin::PaintBoxMouseDown(int x, int y)
{
    // The list grows while a walk runs and the page shows nothing to pick.
    if (Searching)
        return;
    SelIndex = HiLeft = HiTop = -100;
    PaintBox->Surface = BackBmp;
    const int64_t i = search::CellIndexAt(x, y, ScrollBar->value(), Cols, Rows, static_cast<int64_t>(Found.size()));
    if (i != search::NoCell) {
        const int col = x / search::CellWidth, row = y / search::CellHeight;
        TImageCanvas c(PaintBox->Surface);
        c.SetPenColor(0x000080);
        c.SetPenMode(TPenMode::Xor);
        c.SetBrushColor(0x000080);
        c.Rectangle(col * 250 + 3, row * 150 + 5, col * 250 + 247, row * 150 + 138);
        SelIndex = i;
        HiLeft = col * 250;
        HiTop = row * 150;
        StatusPath = Found[static_cast<std::size_t>(i)];
        StatusBar->setText(PathText(StatusPath));
    }
    PaintBox->update();
}

void TSearchWin::ButHideErrorPanelClick()
{
    PanelMessages->hide();
    PaintBox->update();
}

void TSearchWin::mnShowErrorFilesClick() { mnShowErrorFiles->setChecked(!mnShowErrorFiles->isChecked()); }

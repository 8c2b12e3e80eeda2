#pragma once
// The common frame of the three number dialogs (line width, line style, arrow type): a
// paint box of samples that a press chooses from, the chosen number beside a spin button,
// OK and Cancel. Created for one use, preset through the value field, shown modally, read
// on OK.
#include <QDialog>
#include <QImage>
#include <QPointer>

#include <cstdint>

#include "platform/canvas.h"

class QFrame;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;

// A font of a given pixel height by the program's font names.
QFont PixelFont(const char* name, int pixels, bool bold = false, bool italic = false);
// A $BBGGRR colour as a Qt colour.
QColor QtColor(TColor c);

class TValueDialog : public QDialog {
    Q_OBJECT
public:
    // The chosen number; 1 after creation, overwritten by the caller's preset.
    int32_t& Value() { return value_; }

    // Handlers.
    void UpDownSpinClick(bool up);
    void PaintBoxMouseDown(int y);
    void PaintBoxPaint();  // draws the samples into the box's image and rewrites SzeLabel

    const QImage& PaintBoxImage() const { return image_; }
    QString SzeText() const;

    QFrame* Bevel1 = nullptr;
    QWidget* PaintBox = nullptr;
    QLabel* InfoLabel = nullptr;
    QLabel* SzeLabel = nullptr;
    QToolButton* SpinUp = nullptr;
    QToolButton* SpinDown = nullptr;
    QPushButton* OkBitBut = nullptr;
    QPushButton* CancelBitBut = nullptr;

    // The controls' block; the dialog may be wider for its title, with the block centred.
    static constexpr int kBodyWidth = 241;
    static constexpr int kBodyHeight = 330;
    // Left edge of the block in the dialog.
    int Left = 0;

protected:
    TValueDialog(QWidget* parent, const char* formName, const char* caption, const char* info, int boxHeight,
                 int32_t maxValue);
    // The value a press at y in the paint box chooses.
    virtual int32_t PressValue(int y) const = 0;
    virtual void DrawSamples(TCanvas& c) = 0;
    void showEvent(QShowEvent* e) override;

    int32_t value_ = 1;
    int32_t max_;
    QImage image_;
};

// Shows a value dialog of type D preset with `value`, modally, and on OK reads `value` back
// (and whatever else `read` takes from the dialog). The dialog lives on the heap: a parent
// that closes while it is open takes it along, and the call then reports a cancel.
template <class D, class Read>
bool RunValueDialog(QWidget* parent, int32_t& value, Read read)
{
    QPointer<D> d = new D(parent);
    d->Value() = value;
    const bool ok = d->exec() == QDialog::Accepted;
    if (!d)
        return false;
    read(*d, ok);
    if (ok)
        value = d->Value();
    delete d.data();
    return ok;
}
template <class D>
bool RunValueDialog(QWidget* parent, int32_t& value)
{
    return RunValueDialog<D>(parent, value, [](D&, bool) {});
}

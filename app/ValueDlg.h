#pragma once
// The common frame of the three number dialogs (line width, line style, arrow type): a
// paint box of samples that a press chooses from, the chosen number beside a spin button,
// OK and Cancel. Created for one use, preset through the value field, shown modally, read
// on OK.
#include <QDialog>
#include <QImage>

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

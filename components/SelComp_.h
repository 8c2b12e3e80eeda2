#pragma once
// The component picker: lists the component files of a folder by name, follows a name as
// it is typed, and draws a preview of the chosen file while it reads it. One instance
// lives for the whole run; the frame prepares it and shows it modally each time. It ends
// with OK (select), Retry (edit) or Cancel, leaving the name in CompNmeEdit and the full
// path in FileName.
#include "platform/canvas.h"
#include "schematic/core/lines.h"

#include <QDialog>
#include <QImage>
#include <QListWidget>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The preview box: a 208 by 208 image drawn by the picker and shown as it is.
class TPreviewBox : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewBox(QWidget* parent);
    ~TPreviewBox() override;
    QImage Surface;
    TImageCanvas& Canvas() { return *Canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<TImageCanvas> Canvas_;
};

// The picker's list: a key that moves the current item (arrows, Home/End, the page keys, a
// typed letter) chooses that item, as a click does.
class TCompListBox : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    std::function<void()> OnKeyChoice;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TSelCompWin : public QDialog {
    Q_OBJECT
public:
    explicit TSelCompWin(QWidget* parent = nullptr);
    ~TSelCompWin() override;

    QLabel* PartLabel = nullptr;
    QLineEdit* CompNmeEdit = nullptr;
    TCompListBox* CompListBox = nullptr;
    QLabel* PathLabel = nullptr;
    QToolButton* AltPathSpBut = nullptr;
    QLineEdit* PathEdit = nullptr;
    TPreviewBox* PaintBox = nullptr;
    QPushButton* EditCompBBut = nullptr;
    QPushButton* CancelBBut = nullptr;
    QPushButton* OkayBBut = nullptr;

    // Every line of the file previewed last.
    TLines CompLines;
    // Full path of the component clicked last; kept from one showing to the next.
    QString FileName;
    // Name of the component previewed last (what the recent list records), whatever the
    // name box holds by then.
    QString ChosenName;
    // The listed names as bytes, in the list's order.
    std::vector<std::string> Names;

    // The folder dialog; tests replace it. Empty: cancelled.
    std::function<QString()> ChooseFolder;

    void FormShow();
    void CompListBoxClick();
    void PaintBoxPaint();
    void AltPathSpButClick();
    // Upper-cases a typed letter a to z; true when the key was taken.
    bool CompNmeEditKeyPress(QChar c);
    void CompNmeEditChange();

    // Paints one shape of the preview (half units, origin at pixel 103, 103).
    static void DrawShape(TCanvas& canvas, int32_t Kind, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                          int32_t Style);
    // Writes one component text of the preview.
    static void DrawText(TCanvas& canvas, std::string_view text, int32_t Font, int32_t X, int32_t Y);

    // Dialog result: 1 OK, 2 Cancel, 4 Retry.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ChangeDetached = false;
};

#pragma once
// The character dialog: an edit line, a table of the characters 32 to 255 in the chosen
// font (a press inserts the highlighted one), the symbol switch, the size and the angle.
// Texts stay bytes: the edit shows them through the font's own mapping (Windows-1252 for
// the text font, code points for "Symbol") and gives the same bytes back.
#include <QDialog>
#include <QImage>

#include <cstdint>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Bytes as the edit line shows them, and back; a character the font cannot take becomes '?'.
QString CharTextFromBytes(std::string_view bytes, bool symbol);
std::string CharBytesFromText(const QString& text, bool symbol);

class TCharWin : public QDialog {
    Q_OBJECT
public:
    explicit TCharWin(QWidget* parent = nullptr);

    // Preset and result.
    void SetTextBytes(std::string_view bytes);
    std::string TextBytes() const;
    bool Symbol() const;
    void SetSymbol(bool on);  // also redraws the table, as a click on the box does

    // Handlers, in the dialog's own pixels.
    void FormCreate();
    void SymCheckBoxClick();
    void FormMouseMove(int x, int y);
    void FormClick();
    void ExitButClick();

    const QImage& CharBmp() const { return charBmp_; }
    int32_t CurChar = 0;
    // The highlight frame on the dialog, or an empty rectangle.
    QRect Highlight() const { return highlight_; }

    QLineEdit* StrEdit = nullptr;
    QWidget* BotPanel = nullptr;
    QCheckBox* SymCheckBox = nullptr;
    QLabel* FontLabel = nullptr;
    QComboBox* FontComBox = nullptr;
    QLabel* LabelAng = nullptr;
    QComboBox* AngComBox = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* OKBut = nullptr;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawTable();
    void KeepLineClean();

    QImage charBmp_;
    QRect highlight_;
    bool symbolShown_ = false;  // the mapping the edit line's text is in
};

#include "windows/CharDlgValues.h"
// Shows the dialog preset with `v` (the angle choice disabled when !angleEnabled, as for
// component texts, which have no angle) and reads it back on OK; false when cancelled
// (then `v` is unchanged).
bool RunCharWin(QWidget* parent, TCharDlgValues& v, bool angleEnabled = true);

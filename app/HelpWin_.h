#pragma once
// The hint window: a small borderless window that stays on top in the bottom-right corner
// and pages through short usage hints, each with a picture. Created once at start, shown
// and hidden through the frame's "&Show Hint ..."; it hands the keyboard back to the frame
// after everything it does.
#include <QFrame>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>

#include <cstdint>

class QLabel;
class QPushButton;
class TMainWin;

class THelpWin : public QFrame {
    Q_OBJECT
public:
    // Runs FormCreate; registers itself as the frame's help window.
    explicit THelpWin(TMainWin* frame);

    static constexpr int kWidth = 295;
    static constexpr int kHeight = 139;
    static constexpr int kLastPage = 12;

    int32_t Page = 0;
    QLabel* HelpLabel = nullptr;
    QLabel* Image = nullptr;
    QPushButton* PrevBut = nullptr;
    QPushButton* NextBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    void FormCreate();
    // A real change of size puts the window exactly into the bottom-right corner.
    void FormResize();
    void CloseBtnClick();
    void NextBtnClick();
    void PrevButClick();
    void FormKeyDown();
    // Shows page Page: its text, and its picture for pages 0 to 11.
    void AltHint();

    // The page's text as shown (line breaks where the hint has its CRs).
    static QString PageText(int32_t page);
    // Resource path of the page's picture; empty for pages without one.
    static QString PagePicture(int32_t page);
    // Where the window first goes on a screen of the given size: 20 pixels in from the
    // right and 25 up from the bottom, or exactly into the corner on a screen narrower
    // than 700 pixels.
    static QPoint FirstPlace(QSize screen, QSize window);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Hands a press anywhere on the window (the buttons aside) to the window system's move.
    virtual bool StartMove();

private:
    void GiveFocusToFrame();
    QPointer<TMainWin> frame_;
};

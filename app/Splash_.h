#pragma once
// The start-up window: the program's picture and name, borderless, on top, centred.
#include <QWidget>

class TSplashWin : public QWidget {
    Q_OBJECT
public:
    explicit TSplashWin(QWidget* parent = nullptr);
    // Lets the event loop run until more than 900 ms have passed.
    void FormActivate();

protected:
    void paintEvent(QPaintEvent* event) override;
};

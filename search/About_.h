#pragma once
// The search program's About box; a click on the address copies it and opens a mail to it.
#include <QDialog>

class QLabel;
class QPushButton;

// The address the About box shows.
inline constexpr const char* ContactAddress = "pelfind@example.org";

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Comments = nullptr;
    QLabel* Version = nullptr;
    QLabel* EmailLabel = nullptr;
    QPushButton* CloseBtn = nullptr;

    void FormCreate();
    void EmailLabelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

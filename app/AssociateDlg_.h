#pragma once
// Shows which program the desktop starts for schematic files and, on request, makes it this
// program file.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

class TAssociateDlg : public QDialog {
    Q_OBJECT
public:
    // programPath: the program file the association is to run (this one when empty).
    explicit TAssociateDlg(QWidget* parent = nullptr, const QString& programPath = {});

    QLabel* Label1 = nullptr;
    QLineEdit* AssEdit = nullptr;
    QPushButton* SetSpBut = nullptr;
    QPushButton* CloseBitBtn = nullptr;
    QString ProgramPath;

    // Fills the dialog from the association as it is now.
    void FormCreate();
    void SetSpButClick();
};

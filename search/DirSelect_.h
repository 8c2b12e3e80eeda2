#pragma once
// The search program's folder dialog: a drive box bound to a folder list whose single click
// opens the clicked folder, a label with the current folder, OK and Cancel.
#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TDirectoryListBox;
class TDriveComboBox;

class TDirSelect : public QDialog {
    Q_OBJECT
public:
    explicit TDirSelect(QWidget* parent = nullptr);

    QLabel* DirLabel = nullptr;
    TDriveComboBox* DriveComboBox = nullptr;
    TDirectoryListBox* DirectoryListBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // Opens the lists on folder; a folder that does not exist opens its nearest existing
    // parent, so the list shows something to choose from.
    void SetFolder(const std::string& folder);
    void DirectoryListBoxClick();
};

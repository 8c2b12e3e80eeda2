#pragma once
// The image-export dialog: a folder, a file name and a type (with its bit depth or JPEG
// quality). Created for one export; FileName holds the full path once OK was accepted.
#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;

class TSaveWin : public QDialog {
    Q_OBJECT
public:
    explicit TSaveWin(QWidget* parent = nullptr);

    // The full path accepted by the dialog (before that: the preset or the name typed).
    QString FileName;
    // 1 until OK was pressed, 0 after.
    int Cancelled = 1;

    TDriveComboBox* DriveComboBox = nullptr;
    TDirectoryListBox* DirectoryListBox = nullptr;
    QLabel* DirLabText = nullptr;
    TFileListBox* FileListBox = nullptr;
    QLineEdit* NameEdit = nullptr;
    QComboBox* TypeComBox = nullptr;
    QComboBox* BitsComBox = nullptr;
    QScrollBar* QualSBar = nullptr;
    QLabel* ExtLabel = nullptr;
    QLabel* MinLabel = nullptr;
    QLabel* MAXLabel = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The folder the file goes to.
    void SetFolder(const QString& folder);
    QString Folder() const;
    // Bits per pixel of the chosen BitsComBox entry: 1, 4, 8, 15, 16, 24 or 32.
    int Bits() const;

    void FormCreate();
    void OkBtnClick();
    void CancelBtnClick();
    // Checks the typed name and builds FileName; false keeps the dialog open.
    bool FormCloseQuery();
    void TypeComBoxChange();
    void QualSBarChange();

    // Every way of closing (OK, Cancel, Escape, the close box) asks FormCloseQuery.
    void done(int result) override;

private:
    void FolderChanged();
};

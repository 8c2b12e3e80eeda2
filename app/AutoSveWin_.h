#pragma once
// The autosave settings dialog: autosaving on or off, and its folder among the temporary
// folder, the documents folder and a folder the user picks. Folder goes in and comes out.
#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class TAutoSveWin : public QDialog {
    Q_OBJECT
public:
    explicit TAutoSveWin(QWidget* parent = nullptr);

    QString Folder;

    QCheckBox* ChkBoxDoAutoSave = nullptr;
    QGroupBox* GroupBoxFolder = nullptr;
    QRadioButton* RButTempFolder = nullptr;
    QRadioButton* RButDocsDir = nullptr;
    QRadioButton* RButSelDir = nullptr;
    QLineEdit* EditWinTemp = nullptr;
    QLineEdit* EditUserDocs = nullptr;
    QLineEdit* EditSelFolder = nullptr;
    QToolButton* SpButFolder = nullptr;
    QPushButton* OkBitBut = nullptr;
    QPushButton* CancelBitBut = nullptr;

    // The folder picker (owner, title): the chosen path, or empty when cancelled. Tests
    // replace it.
    std::function<QString(QWidget*, const QString&)> BrowseForFolder;

    // Checks the radio button whose folder is Folder (the selected one when none is).
    void ShowFolder();
    // Takes Folder from the checked radio button's line; runs on every close.
    void FormCloseQuery();
    void SpButFolderClick();
    void RButSelDirClick() { SpButFolderClick(); }

    // The same folder: both cleaned, with one trailing "/", letter case exact.
    static bool SameFolder(const QString& a, const QString& b);

    void done(int result) override;
};

#pragma once
// The backup viewer: the states stored in autosave files, one list entry per state, drawn at
// 2, 4 or 8 pixels per unit; a chosen state goes to a new schematic window. Shown modally by
// the frame (every file of the autosave folder) and by a schematic window (its own file).
#include "viewers/core/backups.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QListWidget;
class QMenu;
class QPushButton;
class QToolButton;
class TFileListBox;

// The paint box keeps the last picture drawn and shows it at every repaint.
class TBackupPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    QImage Surface;
    std::function<void()> OnResize;

protected:
    void paintEvent(class QPaintEvent* event) override;
    void resizeEvent(class QResizeEvent* event) override;
};

class TBackupView : public QDialog {
    Q_OBJECT
public:
    // autoSaveFolder: the folder the file list shows.
    explicit TBackupView(const QString& autoSaveFolder, QWidget* parent = nullptr);
    ~TBackupView() override;

    QWidget* PanelTop = nullptr;
    QPushButton* BitBtnCancel = nullptr;
    QToolButton* SpButScaleUP = nullptr;
    QToolButton* SpButScaleDWN = nullptr;
    QPushButton* BitBtnEditImage = nullptr;
    QPushButton* BitBtnEraseFile = nullptr;
    QWidget* PanelLeft = nullptr;
    TFileListBox* FileListBox = nullptr;
    QListWidget* SchemList = nullptr;
    TBackupPaintBox* PaintBox = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* mnScaleSmall = nullptr;    // Tag 2
    QAction* mnScaleNormal = nullptr;   // Tag 4
    QAction* mnScaleLarge = nullptr;    // Tag 8
    QAction* mnSendEditor = nullptr;

    // The file loaded last: its lines, its states, whether its end was cut off.
    TBackupFile Backup;
    int32_t Scale = 2;
    // Full path of the autosave file that loaded last as a schematic; empty at first.
    QString FileName;
    std::string FilePath;   // the same as bytes, for erasing names that are not UTF-8

    // Opens a new schematic window on a state: the autosave file and the header's line.
    std::function<void(const QString& path, int startLine)> SendToEditor;

    // Loads and lists a file without messages (the schematic window's own file).
    void LoadBackup(const QString& path);
    // The selected entry's header line; false when none is selected.
    bool SelectedStart(std::size_t& start) const;

    void FileListBoxClick();
    void SchemListClick();
    void SchemListDblClick();
    void PaintBoxPaint();
    void PopupMenuPopup();
    void mnScaleClick(int tag);
    void SpButScaleUPClick();
    void SpButScaleDWNClick();
    void BitBtnEraseFileClick();

protected:
    void contextMenuEvent(class QContextMenuEvent* event) override;

private:
    // Fills the list from Backup, the last entry selected, and draws it.
    void ListStates();
    void EmptyBox();
};

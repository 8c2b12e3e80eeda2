#pragma once
// The folder pickers' parts: a folder list (the current folder's ancestors, then its
// subfolders), a drive box of mounted volumes and a file list of one folder and mask.
// Paths are kept as local 8-bit bytes, so folders whose names are not valid UTF-8 can be
// shown and entered; the QString forms are for display and for Qt calls.
#include "platform/path_text.h"

#include <QComboBox>
#include <QListWidget>
#include <QPointer>

#include <string>
#include <vector>

// Order of file names as the lists show them: without regard to case, and names equal that
// way (a.sch, A.sch) by their bytes, so both stay and the order is fixed.
bool FileNameLess(const std::string& a, const std::string& b);
// Sorts names in that order and drops exact duplicates.
void SortFileNames(std::vector<std::string>& names);


// Absolute, cleaned form of a folder path: no trailing "/" except for the root itself.
std::string CleanFolder(const std::string& folder);
// The folder with exactly one trailing "/".
std::string WithSlash(const std::string& folder);

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // Current folder, cleaned, no trailing "/" (the root is "/").
    const std::string& DirectoryBytes() const { return Dir; }
    QString Directory() const { return PathText(Dir); }
    // Makes folder current (relative paths against the working folder) and lists it; emits
    // Change when the folder differs from before. A folder that cannot be listed is still
    // made current (its ancestors shown, no subfolders).
    void SetDirectoryBytes(const std::string& folder);
    void SetDirectory(const QString& folder) { SetDirectoryBytes(PathBytes(folder)); }
    // Path of the folder an item stands for.
    std::string ItemFolder(int row) const;
    // Opens the selected item's folder (the click handler of pickers that open on click).
    void OpenCurrent();
    // Lists the current folder again (after folders were made or removed).
    void Update();

signals:
    // The current folder changed.
    void Change();
    // The user clicked an item (selection only; double click or Enter opens it).
    void Click();

private:
    void Fill();
    std::string Dir = "/";
};

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Lists the mounted volumes again.
    void Refresh();
    // Mount point of the selected volume, "/"-less at the end except for "/".
    std::string DriveBytes() const;
    // Selects the volume holding path (the longest mount point that contains it).
    void SetDriveFor(const std::string& path);
    // Binds a folder list: choosing a volume opens its root there, and a change of the
    // list's folder selects the volume that holds it.
    void SetDirList(TDirectoryListBox* list);

signals:
    // The user chose another volume.
    void Change();

private:
    QPointer<TDirectoryListBox> DirList;
    bool Setting = false;
};

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    // Folder and mask ("*.sch"; "*" and "?" wildcards, matched without regard to case).
    void SetDirectoryBytes(const std::string& folder);
    void SetDirectory(const QString& folder) { SetDirectoryBytes(PathBytes(folder)); }
    const std::string& DirectoryBytes() const { return Dir; }
    void SetMask(const std::string& mask);
    const std::string& Mask() const { return FileMask; }
    // Lists the folder again.
    void Update();
    // Bare names shown, in list order.
    const std::vector<std::string>& Names() const { return Files; }
    // Full path of the selected file; empty when none.
    std::string FileNameBytes() const;
    // Binds a folder list: its folder is listed here.
    void SetDirList(TDirectoryListBox* list);

signals:
    // A file was chosen by a click or by the keys.
    void Click();

private:
    QPointer<TDirectoryListBox> DirList;
    std::string Dir;
    std::string FileMask = "*";
    std::vector<std::string> Files;
};

// Wildcard match of a file name without regard to ASCII case ("*" any run, "?" one byte).
bool MaskMatch(const std::string& mask, const std::string& name);

#include "platform/folder_widgets.h"

#include "platform/sys/files.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int PathRole = Qt::UserRole + 1;

// Entries of a folder through the one folder lister; an unlistable folder lists nothing.
std::vector<sys::TDirEntry> ListEntries(const std::string& folder)
{
    std::vector<sys::TDirEntry> out;
    std::string error;
    if (!sys::ListFolder(folder, out, error))
        out.clear();
    return out;
}

QByteArray ToBytes(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }
std::string FromBytes(const QByteArray& b) { return std::string(b.constData(), size_t(b.size())); }

}  // namespace


bool FileNameLess(const std::string& a, const std::string& b)
{
    return sys::CompareNoCase(a, b) < 0;
}

void SortFileNames(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), FileNameLess);
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

std::string CleanFolder(const std::string& folder)
{
    std::string abs = folder;
    if (abs.empty() || abs[0] != '/')
        abs = WithSlash(PathBytes(QDir::currentPath())) + abs;
    // Drop "." and empty parts, resolve ".." textually (as the user typed it).
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= abs.size()) {
        const size_t j = std::min(abs.find('/', i), abs.size());
        const std::string part = abs.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string WithSlash(const std::string& folder)
{
    if (!folder.empty() && folder.back() == '/')
        return folder;
    return folder + "/";
}

bool MaskMatch(const std::string& mask, const std::string& name)
{
    // Iterative wildcard match with one backtrack point for the last "*".
    size_t m = 0, n = 0, star = std::string::npos, mark = 0;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == '*') {
            star = m++;
            mark = n;
        } else if (star != std::string::npos) {
            m = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

// ---- Folder list

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this] { emit Click(); });
    connect(this, &QListWidget::itemActivated, this, [this] { OpenCurrent(); });
    Fill();
}

void TDirectoryListBox::SetDirectoryBytes(const std::string& folder)
{
    const std::string clean = CleanFolder(folder);
    const bool changed = clean != Dir;
    Dir = clean;
    Fill();
    if (changed)
        emit Change();
}

std::string TDirectoryListBox::ItemFolder(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? FromBytes(it->data(PathRole).toByteArray()) : std::string();
}

void TDirectoryListBox::OpenCurrent()
{
    const int row = currentRow();
    if (row >= 0)
        SetDirectoryBytes(ItemFolder(row));
}

void TDirectoryListBox::Update() { Fill(); }

void TDirectoryListBox::Fill()
{
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [&](const std::string& path, const std::string& label, int depth, const QIcon& icon) {
        auto* it = new QListWidgetItem(icon, QString(depth * 2, QLatin1Char(' ')) + PathText(label), this);
        it->setData(PathRole, ToBytes(path));
    };
    // The root and every ancestor, then the current folder (selected).
    add("/", "/", 0, open);
    int depth = 0;
    std::string path;
    size_t i = 1;
    while (i < Dir.size()) {
        const size_t j = std::min(Dir.find('/', i), Dir.size());
        const std::string part = Dir.substr(i, j - i);
        path += "/" + part;
        add(path, part, ++depth, open);
        i = j + 1;
    }
    setCurrentRow(count() - 1);
    // Subfolders; dot folders are hidden as a file manager hides them.
    std::vector<std::string> names;
    for (const sys::TDirEntry& e : ListEntries(Dir))
        if (e.Kind == sys::TEntryKind::Directory && !e.Name.empty() && e.Name[0] != '.')
            names.push_back(e.Name);
    SortFileNames(names);
    for (const std::string& n : names)
        add(WithSlash(Dir) + n, n, depth + 1, closed);
}

// ---- Drive box

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    Refresh();
    connect(this, &QComboBox::activated, this, [this] {
        if (DirList)
            DirList->SetDirectoryBytes(DriveBytes());
        emit Change();
    });
}

void TDriveComboBox::Refresh()
{
    Setting = true;
    const std::string keep = DriveBytes();
    clear();
    std::vector<std::pair<std::string, QString>> vols;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady())
            continue;
        const std::string root = CleanFolder(PathBytes(v.rootPath()));
        // Kernel and runtime file systems are no place for drawings.
        if (root.starts_with("/proc") || root.starts_with("/sys") || root.starts_with("/dev") ||
            (root.starts_with("/run") && !root.starts_with("/run/media")))
            continue;
        QString text = PathText(root);
        const QString name = v.name().isEmpty() ? QString::fromUtf8(v.fileSystemType()) : v.name();
        if (!name.isEmpty())
            text += QStringLiteral("  [") + name.toUpper() + QLatin1Char(']');
        vols.emplace_back(root, text);
    }
    if (std::none_of(vols.begin(), vols.end(), [](const auto& v) { return v.first == "/"; }))
        vols.emplace_back("/", QStringLiteral("/"));
    std::sort(vols.begin(), vols.end());
    vols.erase(std::unique(vols.begin(), vols.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }),
               vols.end());
    for (const auto& [root, text] : vols)
        addItem(text, ToBytes(root));
    Setting = false;
    SetDriveFor(keep.empty() ? std::string("/") : keep);
}

std::string TDriveComboBox::DriveBytes() const
{
    return currentIndex() < 0 ? std::string() : FromBytes(currentData().toByteArray());
}

void TDriveComboBox::SetDriveFor(const std::string& path)
{
    const std::string p = CleanFolder(path);
    int best = -1;
    size_t bestLen = 0;
    for (int i = 0; i < count(); ++i) {
        const std::string root = FromBytes(itemData(i).toByteArray());
        const bool holds = root == "/" || p == root || p.starts_with(root + "/");
        if (holds && (best < 0 || root.size() > bestLen)) {
            best = i;
            bestLen = root.size();
        }
    }
    if (best >= 0)
        setCurrentIndex(best);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list)
{
    if (DirList)
        disconnect(DirList, nullptr, this, nullptr);
    DirList = list;
    if (!list)
        return;
    connect(list, &TDirectoryListBox::Change, this, [this] {
        if (DirList)
            SetDriveFor(DirList->DirectoryBytes());
    });
    SetDriveFor(list->DirectoryBytes());
}

// ---- File list

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this] { emit Click(); });
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        // Keys move the current row; a click already reported itself.
        if (row >= 0 && !(QApplication::mouseButtons() & Qt::LeftButton))
            emit Click();
    });
}

void TFileListBox::SetDirectoryBytes(const std::string& folder)
{
    Dir = CleanFolder(folder);
    Update();
}

void TFileListBox::SetMask(const std::string& mask)
{
    FileMask = mask;
    Update();
}

void TFileListBox::Update()
{
    const QSignalBlocker block(this);
    clear();
    Files.clear();
    if (!Dir.empty())
        for (const sys::TDirEntry& e : ListEntries(Dir))
            if (e.Kind != sys::TEntryKind::Directory && MaskMatch(FileMask, e.Name))
                Files.push_back(e.Name);
    SortFileNames(Files);
    const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const std::string& n : Files)
        new QListWidgetItem(icon, PathText(n), this);
}

std::string TFileListBox::FileNameBytes() const
{
    const int row = currentRow();
    if (row < 0 || row >= int(Files.size()) || !currentItem() || !currentItem()->isSelected())
        return {};
    return WithSlash(Dir) + Files[size_t(row)];
}

void TFileListBox::SetDirList(TDirectoryListBox* list)
{
    if (DirList)
        disconnect(DirList, nullptr, this, nullptr);
    DirList = list;
    if (!list)
        return;
    connect(list, &TDirectoryListBox::Change, this, [this] {
        if (DirList)
            SetDirectoryBytes(DirList->DirectoryBytes());
    });
    SetDirectoryBytes(list->DirectoryBytes());
}

#include "platform/trash.h"

#include "platform/folder_widgets.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

bool MoveToTrash(const std::string& path)
{
    if (path.empty())
        return false;
    // Qt needs the home trash's parent to exist; without it the file would end up in a
    // "files" folder relative to the working folder. So the trash is made first, and
    // without it nothing moves.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir::isAbsolutePath(data) || !QDir().mkpath(data + QStringLiteral("/Trash")))
        return false;
    // Qt writes the trash entry and its info file by the freedesktop rules, and fails rather
    // than removing the file when no trash folder can take it.
    QString where;
    return QFile::moveToTrash(PathText(path), &where) && QDir::isAbsolutePath(where);
}

#include "platform/trash.h"

#include "platform/folder_widgets.h"

#include <QFile>

bool MoveToTrash(const std::string& path)
{
    // Qt writes the trash entry and its info file as the freedesktop rules ask and fails
    // rather than removing the file when no trash folder can take it.
    return !path.empty() && QFile::moveToTrash(PathText(path));
}

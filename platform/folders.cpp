#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

QString WithSlash(QString s)
{
    if (!s.endsWith('/'))
        s += '/';
    return s;
}

namespace {

// A folder that is ours alone: a real folder (no link), owned by us, closed to others.
bool PrivateFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace

QString GetTempFolder()
{
    // The system's temporary folder is shared by every user: ours is a folder of our own in it.
    const QString system = QDir::tempPath().trimmed();
    const QString mine = WithSlash(system) + QStringLiteral("Vantrel-") + QString::number(::geteuid());
    if (PrivateFolder(QFile::encodeName(mine)))
        return WithSlash(mine);
    // Someone else holds that name: a fresh folder of ours beside it.
    static QString fresh;
    if (fresh.isEmpty()) {
        QByteArray pattern = QFile::encodeName(mine) + "-XXXXXX";
        if (::mkdtemp(pattern.data()))
            fresh = WithSlash(QFile::decodeName(pattern));
    }
    return fresh.isEmpty() ? WithSlash(system) : fresh;
}

QString GetDocsFolder()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (docs.isEmpty())
        return QStringLiteral("/");
    return WithSlash(docs);
}

QString GetIniFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return WithSlash(QCoreApplication::applicationDirPath());
    const QString folder = WithSlash(base) + QStringLiteral("Vantrel/");
    QDir().mkpath(folder);
    return folder;
}

QString DialogStartFolder(const QString& preferred)
{
    if (!preferred.isEmpty() && QFileInfo(preferred).isDir())
        return WithSlash(preferred);
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QFileInfo(docs).isDir())
        return WithSlash(docs);
    return WithSlash(QDir::homePath());
}

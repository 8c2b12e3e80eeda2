#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString WithSlash(QString s)
{
    if (!s.endsWith('/'))
        s += '/';
    return s;
}

QString GetTempFolder()
{
    return WithSlash(QDir::tempPath().trimmed());
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

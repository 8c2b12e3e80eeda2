#include "components/CompFiles.h"

#include "components/core/comp_folder.h"
#include "components/core/comp_text.h"
#include "platform/sys/files.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

namespace {

std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString FromBytes(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

} // namespace

QString LibraryFolder() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Library"); }

QString FindCompFile(const QString& path)
{
    const std::string p = Bytes(path);
    const std::string_view file = PathFile(p);
    if (file.empty())
        return {};
    const std::string_view folder = PathFolder(p);
    const std::string hit = sys::FindNoCase(folder.empty() ? std::string(".") : std::string(folder), std::string(file));
    if (hit.empty())
        return {};
    return FromBytes(std::string(PathFolder(p)) + hit);
}

bool ReadCompLines(const QString& path, TLines& lines, QString& error)
{
    sys::TByteBuf bytes;
    std::string err;
    if (!sys::ReadRegularFile(Bytes(path), bytes, err, kCompReadCap)) {
        lines.Clear();
        error = QString::fromStdString(err);
        return false;
    }
    lines = TLines::FromBytes(std::move(bytes));
    return true;
}

bool WriteCompLines(const QString& path, const TLines& lines, QString& error)
{
    QSaveFile f(path);
    const std::string_view text = lines.TextView();
    if (!f.open(QIODevice::WriteOnly) || f.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())
        || !f.commit()) {
        error = f.errorString();
        f.cancelWriting();
        return false;
    }
    return true;
}

QString CompSavePath(const QString& chosen)
{
    const std::string p = Bytes(chosen);
    std::string folder(PathFolder(p));
    const std::string upper = UpperFileName(p);
    const std::string hit = sys::FindNoCase(folder.empty() ? std::string(".") : folder, std::string(PathFile(upper)));
    if (!hit.empty())
        return FromBytes(folder + hit);
    return FromBytes(upper);
}

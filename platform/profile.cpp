#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>

#include "platform/sys/files.h"

namespace {

std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

TProfile::TProfile(QString path) : Path(std::move(path))
{
    const std::string p = Bytes(Path);
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 && errno == ENOENT)
        return;  // no file yet: the first Save makes it
    std::string text, error;
    if (!sys::ReadRegularFile(p, text, error, static_cast<int64_t>(MaxFileSize))) {
        ReadFailure = error.empty() ? std::string("Not read") : error;
        return;
    }
    Ini = TIniText(text);
}

int32_t TProfile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const
{
    const std::string* v = Ini.Find(section, key);
    if (!v)
        return def;
    return ProfileInt(*v).value_or(def);
}

bool TProfile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::string TProfile::ReadString(std::string_view section, std::string_view key, const std::string& def) const
{
    const std::string* v = Ini.Find(section, key);
    return v ? *v : def;
}

void TProfile::WriteInteger(std::string_view section, std::string_view key, int32_t value)
{
    Ini.Set(section, key, std::to_string(value));
}

void TProfile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    Ini.Set(section, key, value ? "1" : "0");
}

void TProfile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Ini.Set(section, key, value);
}

std::string TProfile::Text() const
{
    return Ini.Text();
}

bool TProfile::Save() const
{
    // Writing now would put only our keys in place of lines we never saw.
    if (!ReadFailure.empty())
        return false;
    QDir().mkpath(QFileInfo(Path).absolutePath());
    std::string error;
    return sys::WriteFileAtomic(Bytes(Path), Text(), error);
}

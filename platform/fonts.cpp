#include "platform/fonts.h"

#include <QFont>

namespace {
struct Alias {
    std::string_view name;
    const char* family;
};
// Metric-compatible families from fonts-liberation2 and fonts-urw-base35.
constexpr Alias kAliases[] = {
    {"Times New Roman", "Liberation Serif"},
    {"Symbol", "Standard Symbols PS"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Arial", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
};
} // namespace

QString ResolveFontFamily(std::string_view name)
{
    for (const Alias& a : kAliases)
        if (a.name == name)
            return QString::fromLatin1(a.family);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

bool IsSymbolFontName(std::string_view name) { return name == "Symbol"; }

void InstallFontSubstitutes()
{
    for (const Alias& a : kAliases)
        QFont::insertSubstitution(QString::fromLatin1(a.name.data(), static_cast<qsizetype>(a.name.size())),
                                  QString::fromLatin1(a.family));
}

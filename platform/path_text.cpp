#include "platform/path_text.h"

#include "platform/sys/path_codec.h"
#include "platform/sys/xdg_lookup.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QString PathText(const std::string& bytes)
{
    const std::u16string text = sys::PathToUtf16(bytes);
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::string PathBytes(const QString& path)
{
    return sys::PathFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                                  static_cast<std::size_t>(path.size())));
}

void CopyPathToClipboard(const std::string& bytes)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!bytes.empty() && bytes.front() == '/') {
        const std::string url = "file://" + xdg::PercentEncode(bytes) + "\r\n";
        data->setData(QStringLiteral("text/uri-list"), QByteArray(url.data(), static_cast<qsizetype>(url.size())));
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

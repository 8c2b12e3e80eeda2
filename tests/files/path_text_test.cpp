// Paths between bytes and the windows' text: every name survives, valid UTF-8 reads as usual.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "platform/path_text.h"

namespace {

TEST(PathText, EveryByteStringSurvivesTheRoundTrip)
{
    const std::string cases[] = {
        "/plain/ascii.sch",
        "/caf\xc3\xa9/\xe2\x82\xac \xf0\x9f\x98\x80.sch",  // valid 2-, 3- and 4-byte forms
        "/caf\xe9.sch",                                     // Latin-1
        "/cut \xe2\x82",                                    // a sequence cut off at the end
        "/\xe2\x82 cut inside",
        "/overlong \xc0\xaf \xe0\x80\xaf",
        "/surrogate \xed\xa0\x80 \xed\xbf\xbf",
        "/past the planes \xf4\x90\x80\x80 \xf5\x80",
        "/\x80\xbf\xfe\xff",
        "/lone escapes as text \xed\xb2\x80",                // the UTF-8 of U+DC80 itself
    };
    for (const std::string& bytes : cases) {
        const QString text = PathText(bytes);
        EXPECT_EQ(PathBytes(text), bytes) << bytes;
        const QString utf8 = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
        // Valid text is the text the toolkit reads; anything else differs from its lossy reading.
        const bool valid = utf8.toUtf8().toStdString() == bytes;
        EXPECT_EQ(text == utf8, valid) << bytes;
    }
    // A stray surrogate no name gave becomes the replacement character, never a wrong byte.
    EXPECT_EQ(PathBytes(QString(QChar(0xD800)) + "x"), "\xef\xbf\xbdx");
    EXPECT_EQ(PathBytes(QString(QChar(0xDC41))), "\xef\xbf\xbd");
}

TEST(PathText, ClipboardGetsTheExactBytes)
{
    const std::string path = "/tmp/caf\xe9 \xc3\xa9.sch";
    CopyPathToClipboard(path);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data("text/plain").toStdString(), path);
    EXPECT_EQ(data->data("text/uri-list").toStdString(), "file:///tmp/caf%E9%20%C3%A9.sch\r\n");
    CopyPathToClipboard("/tmp/plain.sch");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "/tmp/plain.sch");
}

} // namespace

// The picture tool: reads a file with the schematic reader and saves what a new window shows.
#include "schematic/core/lines.h"
#include "schematic/core/sch_text.h"
#include "schematic/render/export.h"
#include "schematic/render/render.h"
#include "schematic/render/view_scale.h"
#include "tests/support/test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString Tool() { return QString::fromUtf8(OSTRIN_BIN_DIR) + "/../bench/sch2png"; }

int RunTool(const QStringList& args, QString* err = nullptr)
{
    QProcess p;
    p.start(Tool(), args);
    if (!p.waitForFinished(60000))
        return -1;
    if (err)
        *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

TEST(Sch2Png, SavesThePictureOfANewWindow)
{
    if (!QFileInfo::exists(Tool()))
        GTEST_SKIP() << "sch2png is built with the benchmarks";
    const std::string in = testutil::DataPath("render_all.sch");
    const QString out = QDir::tempPath() + "/sch2png_test.png";
    ASSERT_EQ(RunTool({QString::fromStdString(in), out, "8"}), 0);
    QImage png(out);
    ASSERT_EQ(png.size(), QSize(1600, 1000));

    TSchModel m;
    ASSERT_TRUE(DoLoad(TLines::FromText(testutil::ReadFile(in)), 0, m).Ok);
    QImage want = NewBitmap(1600, 1000);
    const QImage grid = MakeGridBmp(8, true);
    {
        TImageCanvas c(want);
        TRenderView v;
        v.Scale = 8;
        v.ArcRadius = PrimaryScreenWidth();
        DrawCirc(c, m, v, &grid);
    }
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), want);
    EXPECT_EQ(png.pixel(560, 80) & 0xFFFFFF, 0x000080u);   // rectangle edge in navy
}

TEST(Sch2Png, RefusesBadInput)
{
    if (!QFileInfo::exists(Tool()))
        GTEST_SKIP() << "sch2png is built with the benchmarks";
    const QString dir = QDir::tempPath();
    ASSERT_TRUE(testutil::WriteFile((dir + "/not_a_schematic.sch").toStdString(), "hello\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"));
    QString err;
    EXPECT_EQ(RunTool({dir + "/not_a_schematic.sch", dir + "/x.png"}, &err), 1);
    EXPECT_TRUE(err.contains("This is NOT a Schematic File!")) << err.toStdString();
    EXPECT_EQ(RunTool({dir + "/does_not_exist.sch", dir + "/x.png"}), 1);
    EXPECT_EQ(RunTool({QString::fromStdString(testutil::DataPath("render_all.sch")), dir + "/x.png", "3"}, &err), 1);
    EXPECT_TRUE(err.contains("SCALE")) << err.toStdString();
    EXPECT_EQ(RunTool({}), 1);
}

TEST(Sch2Png, WholeDrawingThroughTheExportPath)
{
    if (!QFileInfo::exists(Tool()))
        GTEST_SKIP() << "sch2png is built with the benchmarks";
    const std::string in = testutil::DataPath("render_all.sch");
    TSchModel m;
    ASSERT_TRUE(DoLoad(TLines::FromText(testutil::ReadFile(in)), 0, m).Ok);
    TRenderView v;
    v.Scale = 2;
    v.ArcRadius = PrimaryScreenWidth();
    const QImage want = ComposeExportBitmap(m, v);
    ASSERT_FALSE(want.isNull());
    // Lossless formats give the export's pixels; JPEG only its size.
    for (const char* ext : {"png", "gif", "bmp", "jpg"}) {
        SCOPED_TRACE(ext);
        const QString out = QDir::tempPath() + "/sch2png_whole." + ext;
        QFile::remove(out);
        ASSERT_EQ(RunTool({"--whole", QString::fromStdString(in), out, "2"}), 0);
        const QImage got(out);
        ASSERT_EQ(got.size(), want.size());
        if (QString(ext) != "jpg")
            EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), want);
        QFile::remove(out);
    }
    QString err;
    EXPECT_EQ(RunTool({"--whole", QString::fromStdString(in), QDir::tempPath() + "/x.tif"}, &err), 1);
    EXPECT_TRUE(err.contains("OUT must end in")) << err.toStdString();
    EXPECT_EQ(RunTool({"--whole", QString::fromStdString(in), "clipboard", "2"}), 0);
}

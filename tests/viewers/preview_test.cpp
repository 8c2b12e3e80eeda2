// The preview reader: what it draws, what it refuses, and the thumbnail reduction.
#include "viewers/render/preview.h"

#include "platform/canvas.h"
#include "schematic/core/lines.h"

#include <QTemporaryDir>
#include <random>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_util.h"

namespace {

using testutil::Split;

QImage Marked(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(1, 2, 3));
    return img;
}

// Blue part of a pixel ($BBGGRR's high byte).
int Blue(const QImage& img, int x, int y) { return qBlue(img.pixel(x, y)); }

TEST(Preview, WhatCountsAsASchematic)
{
    struct {
        const char* what;
        TLines text;
        bool drawn;
    } cases[] = {
        {"six lines with one text", Split({"SCHEMATIC", "<TEXT>", "Hi", "0", "10", "10"}), true},
        {"five lines", Split({"SCHEMATIC", "<TEXT>", "Hi", "0", "10"}), false},
        {"lower-case header", Split({"schematic", "<TEXT>", "Hi", "0", "10", "10"}), false},
        {"header with a blank", Split({"SCHEMATIC ", "<TEXT>", "Hi", "0", "10", "10"}), false},
        {"empty", TLines(), false},
    };
    for (const auto& c : cases) {
        QImage big = Marked(10, 10), thumb = Marked(10, 10);
        const TPreviewResult r = MakeThumbnail(c.text, big, thumb);
        EXPECT_EQ(r.Drawn(), c.drawn) << c.what;
        if (c.drawn) {
            EXPECT_EQ(big.size(), QSize(486, 264)) << c.what;
            EXPECT_EQ(thumb.size(), QSize(243, 132)) << c.what;
        } else {
            // Not even the white paper: the caller's pictures stay as they were.
            EXPECT_EQ(big, Marked(10, 10)) << c.what;
            EXPECT_EQ(thumb, Marked(10, 10)) << c.what;
        }
    }
}

TEST(Preview, FillsAreNavyAndMidGreyInTheThumbnail)
{
    // A filled rectangle, and a component's filled circle (half units, origin 50, 20).
    const TLines text = Split({"SCHEMATIC", "<SHAPE>", "2", "10", "10", "40", "30", "1",
                              "<COMPONENT>", "50", "20", "<SHAPE>", "4", "20", "20", "0", "40", "1"});
    QImage big, thumb;
    ASSERT_TRUE(MakeThumbnail(text, big, thumb).Drawn());
    EXPECT_EQ(big.pixel(50, 40), qRgb(0, 0, 128));           // inside the rectangle
    EXPECT_EQ(big.pixel(20, 20), qRgb(0, 0, 0));             // its black outline
    EXPECT_EQ(big.pixel(5, 5), qRgb(255, 255, 255));         // paper
    EXPECT_EQ(big.pixel(120, 60), qRgb(0, 0, 128));          // the component's circle
    EXPECT_EQ(thumb.pixel(25, 20), qRgb(128, 128, 128));
    EXPECT_EQ(thumb.pixel(2, 2), qRgb(255, 255, 255));
}

TEST(Preview, SmoothDownsizeAveragesBlueOfEach2x2Block)
{
    QImage src(486, 264, QImage::Format_RGB32);
    src.fill(Qt::white);
    src.setPixel(11, 21, qRgb(255, 255, 0));   // blue 0: the only one that counts
    src.setPixel(20, 40, qRgb(0, 0, 255));     // red and green ignored
    src.setPixel(21, 40, qRgb(0, 0, 255));
    src.setPixel(20, 41, qRgb(0, 0, 255));
    src.setPixel(21, 41, qRgb(0, 0, 254));
    QImage thumb;
    SmoothDownsize(src, thumb);
    ASSERT_EQ(thumb.size(), QSize(243, 132));
    EXPECT_EQ(thumb.pixel(5, 10), qRgb(191, 191, 191));   // 765 div 4
    EXPECT_EQ(thumb.pixel(10, 20), qRgb(254, 254, 254));  // 1019 div 4
    EXPECT_EQ(thumb.pixel(242, 131), qRgb(255, 255, 255));
}

TEST(Preview, ArcsBetweenTheirOwnPointsAndNothingOnAShared)
{
    struct {
        const char* x1;
        const char* y1;
        const char* x2;
        const char* y2;
        bool drawn;
    } arcs[] = {
        {"20", "60", "60", "20", true}, {"60", "20", "20", "60", true},
        {"40", "20", "40", "60", false}, {"20", "40", "60", "40", false},
    };
    for (const auto& a : arcs) {
        const TLines text = Split({"SCHEMATIC", "<SHAPE>", "5", a.x1, a.y1, a.x2, a.y2, "0"});
        QImage big, thumb;
        ASSERT_TRUE(MakeThumbnail(text, big, thumb).Drawn());
        int black = 0;
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x)
                black += big.pixel(x, y) == qRgb(0, 0, 0);
        EXPECT_EQ(black > 0, a.drawn) << a.x1 << "," << a.y1 << " " << a.x2 << "," << a.y2;
        if (a.drawn) {
            // The arc starts and ends on the two record points (scale 2).
            EXPECT_EQ(big.pixel(2 * std::atoi(a.x2), 2 * std::atoi(a.y2)), qRgb(0, 0, 0));
        }
    }
}

TEST(Preview, ArrowShaftOverItsHeadsInThumbnailsUnderThemInTheViewer)
{
    // A filled head of type 1 at (100, 50): the shaft pixel just behind the tip lies inside it.
    const TLines text = Split({"SCHEMATIC", "<SHAPE>", "11", "20", "50", "100", "50", "257"});  // 0x101
    QImage big, thumb, viewer;
    ASSERT_TRUE(MakeThumbnail(text, big, thumb).Drawn());
    ASSERT_TRUE(DrawSnapshot(text, 0, 2, 486, 264, viewer));
    EXPECT_EQ(big.pixel(196, 100), qRgb(0, 0, 0));
    EXPECT_EQ(viewer.pixel(196, 100), qRgb(0, 0, 128));
}

// The text sizes: the preview's text drawn where a plain text output of the expected size
// in black draws it.
TEST(Preview, TextSizesFollowTheScale)
{
    struct {
        int32_t scale;
        int32_t font;
        int compPoints;
        int freePoints;
    } cases[] = {
        {2, 48, 8, 13}, {2, 16, 4, 7}, {8, 16, 12, 24}, {4, 0, 7, 12},
        {2, 0x130, 40, 0},   // every bit from bit 4 makes the step of a component text
    };
    for (const auto& c : cases) {
        const std::string font = std::to_string(c.font);
        // Component at (5, 5): its text 40 twentieths further, at world (7, 7).
        const TLines comp = Split({"SCHEMATIC", "<COMPONENT>", "5", "5", "<CTEXT>", "Hg", font.c_str(), "40", "40"});
        const TLines free = Split({"SCHEMATIC", "<TEXT>", "Hg", font.c_str(), "70", "70"});
        auto expected = [&](int points, int width, int height, bool aqua) {
            QImage ref = NewBitmap(width, height);
            TImageCanvas cv(ref);
            if (aqua) {
                cv.SetPenColor(0x808080);
                cv.SetBrushColor(0xFFFF00);
                cv.Rectangle(0, 0, width, height);
            }
            cv.SetBrushStyle(TBrushStyle::Clear);
            cv.Font().Name = "Times New Roman";
            cv.Font().Size = points;
            cv.Font().Color = clBlack;
            cv.TextOut(7 * c.scale, 7 * c.scale, "Hg");
            return ref;
        };
        QImage got;
        if (c.scale == 2) {
            QImage thumb;
            ASSERT_TRUE(MakeThumbnail(comp, got, thumb).Drawn());
            EXPECT_EQ(got, expected(c.compPoints, 486, 264, false)) << "component, font " << c.font;
            if (c.freePoints > 0) {
                ASSERT_TRUE(MakeThumbnail(free, got, thumb).Drawn());
                EXPECT_EQ(got, expected(c.freePoints, 486, 264, false)) << "free, font " << c.font;
            }
        }
        ASSERT_TRUE(DrawSnapshot(comp, 0, c.scale, 300, 200, got));
        EXPECT_EQ(got, expected(c.compPoints, 300, 200, true)) << "viewer component, scale " << c.scale;
        if (c.freePoints > 0) {
            ASSERT_TRUE(DrawSnapshot(free, 0, c.scale, 300, 200, got));
            EXPECT_EQ(got, expected(c.freePoints, 300, 200, true)) << "viewer free, scale " << c.scale;
        }
    }
}

TEST(Preview, RecordsThatDoNotFitAreSkippedAndTheRestDrawn)
{
    const TLines text = Split({"SCHEMATIC",
                              "<SHAPE>", "1", "2147483647", "0", "-2147483648", "5", "0",
                              "<SHAPE>", "2", "10", "10", "20", "20", "0",
                              "<COMPONENT>", "2147483647", "2147483647", "<SHAPE>", "2", "1", "1", "9", "9", "0",
                              "<CTEXT>", "big", "2147483647", "0", "0",
                              "<COMPONENT>", "0", "0", "<CTEXT>", "huge", "65535", "0", "0",
                              "<TEXT>", "x", "-2147483648", "2147483647", "2147483647",
                              "<TEXT>", "y", "99999999", "400", "400",
                              "<SHAPE>"});
    QImage big, thumb;
    ASSERT_TRUE(MakeThumbnail(text, big, thumb).Drawn());
    EXPECT_EQ(big.pixel(20, 20), qRgb(0, 0, 0));
    EXPECT_EQ(big.pixel(30, 30), qRgb(255, 255, 255));
}

TEST(Preview, FileReadsOnlyTheFirstSnapshotAndMatchesTheLines)
{
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    const std::string first = testutil::CrLf({"SCHEMATIC", "<SHAPE>", "2", "10", "10", "40", "30", "1",
                                              "<TEXT>", "one", "16", "500", "500"});
    const std::string second = testutil::CrLf({"SCHEMATIC", "<SHAPE>", "3", "100", "10", "200", "90", "1"});
    ASSERT_TRUE(testutil::WriteFile(dir + "/auto.sch", first + second));
    ASSERT_TRUE(testutil::WriteFile(dir + "/one.sch", first));
    QImage bigA, thumbA, bigB, thumbB, bigL, thumbL;
    ASSERT_TRUE(MakeThumbnail(dir + "/auto.sch", bigA, thumbA).Drawn());
    ASSERT_TRUE(MakeThumbnail(dir + "/one.sch", bigB, thumbB).Drawn());
    EXPECT_EQ(thumbA, thumbB);
    // Streaming the file draws what reading it whole draws (bare LF and CR ends too).
    std::string mixed = first + second;
    for (std::size_t i = 0; (i = mixed.find("\r\n", i)) != std::string::npos; ++i)
        mixed.erase(i + (i % 3 == 0 ? 0 : 1), 1);
    ASSERT_TRUE(testutil::WriteFile(dir + "/mixed.sch", mixed));
    ASSERT_TRUE(MakeThumbnail(dir + "/mixed.sch", bigA, thumbA).Drawn());
    ASSERT_TRUE(MakeThumbnail(TLines::FromText(first + second), bigL, thumbL).Drawn());
    EXPECT_EQ(bigA, bigL);
    EXPECT_EQ(bigA, bigB);
}

TEST(Preview, HostileFilesAreRefusedOrCut)
{
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    ::mkdir((dir + "/d.sch").c_str(), 0700);
    ::mkfifo((dir + "/fifo.sch").c_str(), 0600);   // no writer: a blocking open would hang
    ::symlink("/dev/zero", (dir + "/zero.sch").c_str());
    ::symlink("/nonexistent", (dir + "/dangling.sch").c_str());
    // 1 GB that is not a schematic (sparse, so it costs no disk).
    const int fd = ::open((dir + "/huge.sch").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "MZ binary\r\n", 11), 11);
    ASSERT_EQ(::ftruncate(fd, int64_t{1} << 30), 0);
    ::close(fd);
    // A schematic whose text line never ends: drawn up to it.
    std::string longLine = testutil::CrLf({"SCHEMATIC", "<SHAPE>", "2", "10", "10", "40", "30", "0", "<TEXT>"});
    longLine += std::string(std::size_t{256} << 10, 'x');
    // A schematic larger than the editor takes: refused as the editor refuses it.
    const int big = ::open((dir + "/toolarge.sch").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(big, 0);
    const std::string head = testutil::CrLf({"SCHEMATIC", "<SHAPE>", "2", "10", "10", "40", "30", "0"});
    ASSERT_EQ(::write(big, head.data(), head.size()), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(::ftruncate(big, static_cast<off_t>(preview::MaxReadBytes) + 1), 0);
    ::close(big);
    ASSERT_TRUE(testutil::WriteFile(dir + "/long.sch", longLine));
    ASSERT_TRUE(testutil::WriteFile(dir + "/binary.sch", std::string("SCHEMATIC\r\n\0\xff\xfe", 14)));

    struct {
        const char* name;
        TPreviewStatus status;
    } cases[] = {
        {"d.sch", TPreviewStatus::Unreadable},       {"fifo.sch", TPreviewStatus::Unreadable},
        {"zero.sch", TPreviewStatus::Unreadable},    {"dangling.sch", TPreviewStatus::Unreadable},
        {"missing.sch", TPreviewStatus::Unreadable}, {"huge.sch", TPreviewStatus::Unreadable},
        {"toolarge.sch", TPreviewStatus::Unreadable},
        {"binary.sch", TPreviewStatus::NotSchematic}, {"long.sch", TPreviewStatus::Drawn},
    };
    for (const auto& c : cases) {
        QImage big, thumb;
        const TPreviewResult r = MakeThumbnail(dir + "/" + c.name, big, thumb);
        EXPECT_EQ(r.Status, c.status) << c.name;
        EXPECT_EQ(r.Error.empty(), c.status != TPreviewStatus::Unreadable) << c.name;
        if (r.Drawn())
            EXPECT_EQ(big.pixel(20, 20), qRgb(0, 0, 0)) << c.name;
    }
}

// Files the editor opens, however large, are drawn as far as their first state goes: a text
// line of many megabytes, and a drawing whose visible record comes after megabytes of others.
TEST(Preview, LargeValidFilesAreDrawnToTheirEnd)
{
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    const std::string box = testutil::CrLf({"<SHAPE>", "2", "10", "10", "40", "30", "1"});
    std::string longText = "SCHEMATIC\r\n" + box + "<TEXT>\r\n" + std::string(std::size_t{20} << 20, 'x') +
                           "\r\n16\r\n500\r\n500\r\n";
    std::string records = "SCHEMATIC\r\n";
    const std::string away = testutil::CrLf({"<SHAPE>", "1", "5000", "5000", "5001", "5001", "0"});
    while (records.size() < (std::size_t{20} << 20))
        records += away;
    // The free texts come last; a box placed after every shape must still be reached.
    records += box;
    struct {
        const char* name;
        const std::string& text;
    } cases[] = {{"longtext.sch", longText}, {"records.sch", records}};
    for (const auto& c : cases) {
        ASSERT_TRUE(testutil::WriteFile(dir + "/" + c.name, c.text));
        QImage big, thumb;
        const TPreviewResult r = MakeThumbnail(dir + "/" + c.name, big, thumb);
        ASSERT_EQ(r.Status, TPreviewStatus::Drawn) << c.name << " " << r.Error;
        EXPECT_EQ(big.pixel(50, 40), qRgb(0, 0, 128)) << c.name;  // the navy box's inside
    }
}

TEST(Preview, ViewerDrawsTheChosenSnapshotOnAqua)
{
    const TLines text = TLines::FromText(testutil::CrLf({"SCHEMATIC", "<SHAPE>", "2", "1", "1", "5", "5", "0",
                                                         "SCHEMATIC", "<SHAPE>", "2", "10", "10", "20", "20", "1"}));
    QImage out = Marked(4, 4);
    ASSERT_TRUE(DrawSnapshot(text, 8, 4, 200, 100, out));
    ASSERT_EQ(out.size(), QSize(200, 100));
    EXPECT_EQ(out.pixel(0, 0), qRgb(128, 128, 128));     // outline
    EXPECT_EQ(out.pixel(199, 99), qRgb(128, 128, 128));
    EXPECT_EQ(out.pixel(2, 2), qRgb(0, 255, 255));       // aqua
    EXPECT_EQ(out.pixel(4, 4), qRgb(0, 255, 255));       // the first snapshot is not drawn
    EXPECT_EQ(out.pixel(40, 40), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(60, 60), qRgb(0, 0, 128));
    // Past the end: the empty background; not a schematic: out untouched.
    ASSERT_TRUE(DrawSnapshot(text, 99, 2, 50, 50, out));
    EXPECT_EQ(out.pixel(25, 25), qRgb(0, 255, 255));
    QImage kept = Marked(4, 4);
    EXPECT_FALSE(DrawSnapshot(TLines::FromText("SCHEMATIC\r\n"), 0, 2, 50, 50, kept));
    EXPECT_EQ(kept, Marked(4, 4));
}


// Random records with values at and beyond the edges of the pixel range, every kind and
// style: the drawing always completes, at every scale of the viewer too.
TEST(Preview, ExtremeValuesNeverStopTheDrawing)
{
    std::mt19937 rng(1407);
    const int64_t edges[] = {0, 1, -1, 121, 243, -300, 65535, 1 << 20, 2147483647, -2147483647 - 1};
    auto value = [&] {
        return std::to_string(rng() % 3 == 0 ? static_cast<int64_t>(static_cast<int32_t>(rng()))
                                             : edges[rng() % (sizeof edges / sizeof edges[0])]);
    };
    for (int round = 0; round < 20; ++round) {
        TLines t;
        t.Append("SCHEMATIC");
        const int kinds[] = {1, 2, 3, 4, 5, 6, 11, 12, 0, 99};
        auto shape = [&] {
            t.Append("<SHAPE>");
            t.Append(std::to_string(kinds[rng() % 10]));
            for (int k = 0; k < 4; ++k)
                t.Append(value());
            t.Append(std::to_string(rng() % 0x10000));
        };
        for (int i = 0; i < 15; ++i)
            shape();
        for (int c = 0; c < 3; ++c) {
            t.Append("<COMPONENT>");
            t.Append(value());
            t.Append(value());
            shape();
            for (const char* kw : {"<CTEXT>", "<CTEXT>"}) {
                t.Append(kw);
                t.Append("Rx");
                t.Append(value());
                t.Append(value());
                t.Append(value());
            }
        }
        for (int i = 0; i < 5; ++i) {
            t.Append("<TEXT>");
            t.Append("free");
            t.Append(value());
            t.Append(value());
            t.Append(value());
        }
        QImage big, thumb, out;
        EXPECT_TRUE(MakeThumbnail(t, big, thumb).Drawn());
        for (int32_t scale : {2, 4, 8})
            EXPECT_TRUE(DrawSnapshot(t, 0, scale, 320, 200, out));
    }
}

} // namespace

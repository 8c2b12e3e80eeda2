// The schematic window's pictures out, driven through its commands and the export dialog:
// the extent, the bitmap and metafile on the clipboard, image files, printing to PDF.
#include "app/Main_.h"
#include "windows/PrintOut.h"
#include "windows/SaveWin_.h"
#include "platform/folder_widgets.h"
#include "platform/image_write.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"
#include "schematic/render/export.h"
#include "tests/support/modal.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstring>
#include <unistd.h>

namespace {

using testutil::WhenModal;

TTextRec Text(const char* s, int32_t x, int32_t y, int32_t angle)
{
    return {s, x, y, (angle << 8) | 0x20, 0};
}

QImage Pixels(const QString& path) { return QImage(path).convertToFormat(QImage::Format_RGB32); }

void ExpectSamePixels(const QImage& want, const QImage& got)
{
    ASSERT_EQ(got.size(), want.size());
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            ASSERT_EQ(got.pixel(x, y) & 0xFFFFFF, want.pixel(x, y) & 0xFFFFFF) << x << "," << y;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        frame = std::make_unique<TMainWin>();
        frame->AutoSaveFolder = tmp.path() + "/auto/";
        QDir().mkpath(frame->AutoSaveFolder);
        frame->SchemFolder = tmp.path() + "/";
        SetMsgResponder([this](const TMsgRecord& r) {
            messages.push_back(r.Text);
            return answer;
        });
        win = new TSchWin();
        frame->ShowChild(win, false);
        win->Model.ShapeList = {{1, 0, 0, 60, 30, 0, 0}, {2, 10, 10, 30, 20, 0x10, 0}, {4, 40, 10, 0, 20, 0, 0}};
        win->Model.TextList = {Text("Vcc", 50, 50, 0)};
        win->FullRedraw();
    }

    void TearDown() override
    {
        SetMsgResponder({});
        for (TSchWin* c : frame->findChildren<TSchWin*>())
            c->ClearModified();
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Answers the export dialog: folder, name, type index, then OK.
    void DialogSaves(const QString& folder, const QString& name, int type, int bitsIndex = 5)
    {
        WhenModal([=](QWidget* w) {
            auto* d = qobject_cast<TSaveWin*>(w);
            ASSERT_NE(d, nullptr);
            d->SetFolder(folder);
            d->TypeComBox->setCurrentIndex(type);
            d->BitsComBox->setCurrentIndex(bitsIndex);
            d->NameEdit->setText(name);
            d->OkBtn->click();
        });
    }

    QStringList FilesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
    }

    QTemporaryDir tmp;
    std::unique_ptr<TMainWin> frame;
    QPointer<TSchWin> win;
    std::vector<QString> messages;
    int answer = mrOk;
};

} // namespace

TEST(ExportExtent, EveryKindRaisesTheExtentByItsOwnRule)
{
    TCompRec comp;
    comp.X = 100;
    comp.Y = 40;
    comp.Shapes = {{1, 0, 0, 50, 10, 0, 0}};
    TCompRec compCircle;
    compCircle.X = 100;
    compCircle.Y = 40;
    compCircle.Shapes = {{4, 10, 10, 0, -40, 0, 0}};
    struct Case {
        const char* what;
        TSchModel model;
        TExportExtent want;
    };
    const Case cases[] = {
        {"line", {{{1, 0, 0, 100, 50, 0, 0}}, {}, {}}, {100, 50}},
        {"negative coordinates", {{{1, -50, -50, -10, -10, 0, 0}}, {}, {}}, {0, 0}},
        {"circle", {{{4, 10, 10, 0, 20, 0, 0}}, {}, {}}, {15, 15}},
        {"circle, negative Y2", {{{4, 10, 10, 0, -20, 0, 0}}, {}, {}}, {15, 15}},
        {"circle at the 32-bit edge",
         {{{4, INT32_MAX, 0, 0, INT32_MIN, 0, 0}}, {}, {}},
         {int64_t{INT32_MAX} + (int64_t{1} << 29), int64_t{1} << 29}},
        {"sine: its lower half-wave", {{{12, 0, 20, 40, 10, 0, 0}}, {}, {}}, {40, 30}},
        {"component in half units", {{}, {comp}, {}}, {125, 45}},
        {"component circle", {{}, {compCircle}, {}}, {110, 50}},
        {"component without shapes", {{}, {TCompRec{500, 500, 0, {}, {}}}, {}}, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExportExtent(c.model, 4), c.want) << c.what;
    // 404 by 204 pixels at scale 4.
    const TExportSize size = ExportPixelSize({100, 50}, 4);
    EXPECT_EQ(size.Width, 404);
    EXPECT_EQ(size.Height, 204);
}

TEST(ExportExtent, TextsByTheirMeasuredBoxAndAngle)
{
    const int32_t scale = 2;
    const TSize sz = FreeTextExtent(Text("AB", 0, 0, 0), scale);
    const int64_t w = sz.Width * 10 / scale + 1, h = sz.Height * 10 / scale + 1;
    ASSERT_GT(w, 10);
    struct Case {
        int32_t angle;
        TExportExtent want;
    };
    const int64_t x = 2000, y = 3000;
    const Case cases[] = {
        {0, {(x + w) / 10, (y + h) / 10}},
        {45, {(x + w) / 10, (y + h) / 10}},     // any other angle counts as 0
        {90, {(x + h) / 10, y / 10}},           // upward from its Y
        {180, {x / 10, y / 10}},
        {270, {x / 10, (y + w) / 10}},
    };
    for (const Case& c : cases) {
        TSchModel m;
        m.TextList = {Text("AB", static_cast<int32_t>(x), static_cast<int32_t>(y), c.angle)};
        EXPECT_EQ(ExportExtent(m, scale), c.want) << c.angle;
    }
}

TEST(PrintLayout, PictureFillsTheWidthOrTheHeightBetweenMargins)
{
    struct Case {
        int pageW, pageH, dpi, bmpW, bmpH;
        TPrintLayout want;
    };
    const Case cases[] = {
        {2400, 3300, 300, 200, 100, {150, 2100, 1050}},    // twice as wide as high: full width
        {2400, 3300, 300, 100, 1000, {150, 300, 3000}},    // tall: limited by the height
        {2400, 3300, 301, 200, 100, {150, 2100, 1050}},    // margin 150.5 rounds to even
        {2400, 3300, 303, 200, 100, {152, 2096, 1048}},
        {2400, 3300, 300, 3, 2, {150, 2100, 1400}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintLayoutFor(c.pageW, c.pageH, c.dpi, c.bmpW, c.bmpH), c.want) << c.bmpW << "x" << c.bmpH;

    const std::pair<const char*, const char*> titles[] = {
        {"Schematic: /home/u/amp.sch", "amp.sch"},
        {"Schematic: NewFile.sch", " NewFile.sch"},
        {"Schematic: C:\\work\\amp.sch", "amp.sch"},
        {"plain", "plain"},
    };
    for (const auto& [caption, job] : titles)
        EXPECT_EQ(PrintJobTitle(QString::fromLatin1(caption)), QString::fromLatin1(job));
}

TEST(PrintBitmap, APdfPageShowsThePictureInItsBoxUnderTheTitle)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    QTemporaryDir tmp;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(tmp.path() + "/page.pdf");
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    QImage bmp(400, 200, QImage::Format_RGB32);
    bmp.fill(qRgb(0, 0, 255));
    for (int y = 100; y < 200; ++y)
        for (int x = 200; x < 400; ++x)
            bmp.setPixel(x, y, qRgb(255, 255, 255));
    QString error;
    ASSERT_TRUE(PrintBitmap(printer, bmp, "Schematic: /x/amp.sch", error)) << error.toStdString();
    EXPECT_EQ(printer.docName(), "amp.sch");

    QProcess p;
    p.start("pdftoppm", {"-r", "72", "-png", "-singlefile", tmp.path() + "/page.pdf", tmp.path() + "/page"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QImage page = Pixels(tmp.path() + "/page.png");
    ASSERT_FALSE(page.isNull());
    // At 72 dpi: a 36-pixel margin; the picture 523 wide, half that high.
    int left = page.width(), right = -1, top = page.height(), bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            if (qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    EXPECT_NEAR(left, 36, 1);
    EXPECT_NEAR(top, 36, 1);
    EXPECT_NEAR(right, 36 + 523, 1);
    EXPECT_NEAR(bottom, 36 + 262, 1);
    // Copied without loss: the page shows the picture's own colours.
    EXPECT_EQ(page.pixel(200, 100) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(page.pixel(300, 200) & 0xFFFFFF, 0xFFFFFFu);
    // The title's ink stands in the margin just above the picture.
    int ink = 0;
    for (int y = 20; y < 36; ++y)
        for (int x = 36; x < 200; ++x)
            ink += qGray(page.pixel(x, y)) < 100;
    EXPECT_GT(ink, 20);

    // A printer that cannot start is reported, not taken for success.
    printer.setOutputFileName(tmp.path() + "/no/such/folder/page.pdf");
    EXPECT_FALSE(PrintBitmap(printer, bmp, "t", error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(ExportTest, PrintCommandPrintsTheExportBitmap)
{
    QPrinter& printer = frame->ThePrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(tmp.path() + "/out.pdf");
    win->setWindowTitle("Schematic: /x/filter.sch");
    win->CopyBMP(1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(printer.docName(), "filter.sch");
    QFile pdf(tmp.path() + "/out.pdf");
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");

    // "Print ..." asks first, then prints the active schematic window.
    QFile::remove(tmp.path() + "/out.pdf");
    frame->MdiClient->setActiveSubWindow(win);
    WhenModal([](QWidget* w) { QMetaObject::invokeMethod(w, "accept"); });
    frame->mnPrint->trigger();
    EXPECT_TRUE(QFile::exists(tmp.path() + "/out.pdf"));
    QFile::remove(tmp.path() + "/out.pdf");
    WhenModal([](QWidget* w) { QMetaObject::invokeMethod(w, "reject"); });
    frame->mnPrint->trigger();
    EXPECT_FALSE(QFile::exists(tmp.path() + "/out.pdf"));

    // A failure gets a message.
    printer.setOutputFileName(tmp.path() + "/no/such/out.pdf");
    win->CopyBMP(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Unable to print \"filter.sch\""));
}

TEST_F(ExportTest, ClipboardBitmapIsEightBitsAndAWholeBmpFile)
{
    win->Model.ShapeList.front().Selected = 1;
    win->HitShape = &win->Model.ShapeList.front();
    win->mnCopyBMP->trigger();
    EXPECT_EQ(win->Model.ShapeList.front().Selected, 0);   // every export clears the selection
    EXPECT_EQ(win->HitShape, nullptr);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QByteArray bmp = data->data("image/bmp");
    ASSERT_GT(bmp.size(), 54);
    EXPECT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(bmp[28], 8);
    const QImage want = ComposeExportBitmap(win->Model, win->RenderView());
    ExpectSamePixels(want, QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_RGB32));
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    ExpectSamePixels(want, image.convertToFormat(QImage::Format_RGB32));
}

TEST_F(ExportTest, ClipboardMetafileUnderBothNames)
{
    win->mnCopyMeta->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QByteArray emf = data->data("image/x-emf");
    EXPECT_EQ(emf, data->data("image/emf"));
    ASSERT_GT(emf.size(), 108);
    uint32_t type = 0, bytes = 0;
    std::memcpy(&type, emf.data(), 4);
    std::memcpy(&bytes, emf.data() + 48, 4);
    EXPECT_EQ(type, 1u);
    EXPECT_EQ(bytes, static_cast<uint32_t>(emf.size()));
}

TEST_F(ExportTest, EmptyDrawingSaysSoForBitmapsAndNothingForTheMetafile)
{
    win->Model.EraseMem();
    QGuiApplication::clipboard()->setText("before");
    win->CopyBMP(0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "NOTE: No action, there are NO components in Circuit!");
    win->mnCopyMetaClick();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

TEST_F(ExportTest, TooLargeBitmapGetsTheSizesAndNothingIsOutput)
{
    win->HScrollBar->setValue(7);
    win->Model.TextList.clear();
    struct Case {
        TShapeRec shape;
        const char* sizes;
    };
    const Case cases[] = {
        {{1, 0, 0, 1 << 30, 10, 0, 0}, "44 Height and 4294967300 width"},
        {{1, 0, 0, 9999, 9999, 0, 0}, "40000 Height and 40000 width"},
    };
    for (const Case& c : cases) {
        messages.clear();
        win->Model.ShapeList = {c.shape};
        QGuiApplication::clipboard()->setText("before");
        for (int action : {0, 2}) {
            win->CopyBMP(action);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].toStdString(), std::string("Error - Unable to create Bitmap.\r\rNot enough available "
                                                             "memory to create large bitmap.\rAttempting to create "
                                                             "bitmap of pixel size: ") + c.sizes);
            messages.clear();
        }
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
        EXPECT_EQ(win->OffsetX, 7);
    }
    EXPECT_EQ(FilesIn(tmp.path()), QStringList());
}

TEST_F(ExportTest, ImageFileInEachFormatAndTheStatusNote)
{
    const QImage want = ComposeExportBitmap(win->Model, win->RenderView());
    struct Case {
        const char* name;
        int type;
        int bitsIndex;
        const char* file;
        const char* note;
    };
    const Case cases[] = {
        {"drawing", 3, 5, "drawing.PNG", " Image saved to PNG of: "},
        {"drawing", 2, 5, "drawing.GIF", " Image saved to GIF of: "},
        {"drawing", 0, 6, "drawing.BMP", " Image saved to BMP of: "},
        {"photo", 1, 5, "photo.JPG", " Image saved to JPEG of: "},
        // The extension decides, not the type box: a BMP at the (hidden) bits box's depth.
        {"eight.bmp", 1, 2, "eight.bmp", " Image saved to BMP of: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        DialogSaves(tmp.path(), c.name, c.type, c.bitsIndex);
        win->CopyBMP(2);
        const QString path = tmp.path() + "/" + c.file;
        ASSERT_TRUE(QFile::exists(path));
        EXPECT_EQ(win->Panels[2]->text(), c.note + path);
        const QImage got = Pixels(path);
        if (c.type == 1 && QString(c.file).endsWith("JPG"))
            EXPECT_EQ(got.size(), want.size());
        else
            ExpectSamePixels(want, got);
    }
    QFile eight(tmp.path() + "/eight.bmp");
    ASSERT_TRUE(eight.open(QIODevice::ReadOnly));
    EXPECT_EQ(eight.readAll()[28], 8);
    EXPECT_TRUE(messages.empty());

    // Another extension writes nothing and says nothing.
    const QStringList before = FilesIn(tmp.path());
    win->SetStatus2("x");
    DialogSaves(tmp.path(), "drawing.jpeg", 3);
    win->CopyBMP(2);
    EXPECT_EQ(FilesIn(tmp.path()), before);
    EXPECT_EQ(win->Panels[2]->text(), "x");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExportTest, FailedWriteIsReportedWithThePath)
{
    const QString folder = ::geteuid() == 0 ? QStringLiteral("/proc") : tmp.path() + "/ro";
    if (::geteuid() != 0) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    win->SetStatus2("x");
    DialogSaves(folder, "pic", 3);
    win->CopyBMP(2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Unable to save the image to:\r" + folder + "/pic.PNG\r\r"));
    EXPECT_EQ(win->Panels[2]->text(), "x");
}

TEST_F(ExportTest, DialogStartsInTheSchematicFolderWithTheFileName)
{
    QString name, folder;
    auto peek = [&](QWidget* w) {
        auto* d = qobject_cast<TSaveWin*>(w);
        ASSERT_NE(d, nullptr);
        name = d->NameEdit->text();
        folder = d->Folder();
        EXPECT_EQ(d->BitsComBox->currentText(), "24 bit");
        d->CancelBtn->click();
    };
    WhenModal(peek);
    win->CopyBMP(2);
    EXPECT_EQ(name, "");
    EXPECT_EQ(folder, QDir(tmp.path()).canonicalPath());

    QDir().mkpath(tmp.path() + "/docs");
    QFile f(tmp.path() + "/docs/amp.v2.sch");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    win->FileName = f.fileName();
    WhenModal(peek);
    win->CopyBMP(2);
    EXPECT_EQ(name, "amp.v2.BMP");
    EXPECT_EQ(folder, QDir(tmp.path()).canonicalPath());
}

TEST_F(ExportTest, RedrawDuringTheDialogKeepsTheWindowsView)
{
    win->Model.ShapeList.push_back({1, 5, 40, 200, 40, 0, 0});
    win->HScrollBar->setValue(6);
    win->VScrollBar->setValue(3);
    win->FullRedraw();
    const QImage before = win->View.DrawBmp().copy();
    bool ran = false;
    WhenModal([&](QWidget* w) {
        EXPECT_EQ(win->OffsetX, 6);
        EXPECT_EQ(win->OffsetY, 3);
        win->FullRedraw();
        EXPECT_EQ(win->View.DrawBmp(), before);
        ran = true;
        static_cast<TSaveWin*>(w)->CancelBtn->click();
    });
    win->CopyBMP(2);
    EXPECT_TRUE(ran);
    EXPECT_EQ(win->OffsetX, 6);
    EXPECT_EQ(FilesIn(tmp.path()), QStringList());
}

TEST_F(ExportTest, WindowClosedUnderTheDialogWritesNothing)
{
    WhenModal([this](QWidget* w) {
        auto* d = static_cast<TSaveWin*>(w);
        d->SetFolder(tmp.path());
        d->NameEdit->setText("gone");
        delete win.data();
        d->OkBtn->click();
    });
    win->CopyBMP(2);
    EXPECT_TRUE(win.isNull());
    EXPECT_EQ(FilesIn(tmp.path()), QStringList());
}

TEST_F(ExportTest, DialogNameRulesAndTypeControls)
{
    TSaveWin d;
    d.SetFolder(tmp.path());
    EXPECT_EQ(d.windowTitle(), "Save the Circuit image as:");
    EXPECT_EQ(d.TypeComBox->currentText(), "Bitmap");
    EXPECT_EQ(d.Cancelled, 1);
    EXPECT_EQ(d.ExtLabel->text(), "Bits per Pixel:");
    EXPECT_EQ(d.FileListBox->Mask(), "*.bmp");

    // The type box: label, bar, bits box, mask and the name's extension.
    d.show();
    d.TypeComBox->setCurrentIndex(1);
    EXPECT_EQ(d.NameEdit->text(), ".JPG");
    EXPECT_EQ(d.ExtLabel->text(), "Quality 100%");
    EXPECT_TRUE(d.QualSBar->isVisible());
    EXPECT_TRUE(d.MinLabel->isVisible());
    EXPECT_FALSE(d.BitsComBox->isVisible());
    EXPECT_EQ(d.FileListBox->Mask(), "*.jpg");
    d.QualSBar->setValue(37);
    EXPECT_EQ(d.ExtLabel->text(), "Quality 37%");
    d.FileName = "drawing.BMP";
    d.NameEdit->setText("typed.xyz");   // the typed text is not what gets the extension
    d.TypeComBox->setCurrentIndex(3);
    EXPECT_EQ(d.NameEdit->text(), "drawing.PNG");
    EXPECT_FALSE(d.ExtLabel->isVisible());
    EXPECT_FALSE(d.QualSBar->isVisible());
    EXPECT_EQ(d.FileListBox->Mask(), "*.png");

    QFile existing(tmp.path() + "/old.BMP");
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const QString forbidden = QStringLiteral("\r\rCannot Contain letters - \\/:?\"<>|");
    struct Case {
        const char* name;
        int type;
        int answer;
        bool closes;
        QString file;       // relative to the folder
        QString message;
    };
    const Case cases[] = {
        {"drawing", 3, mrOk, true, "drawing.PNG", ""},
        {"drawing.jpeg", 3, mrOk, true, "drawing.jpeg", ""},
        {"", 0, mrOk, false, "", "Filename is blank."},
        {"a:b", 0, mrOk, false, "", "Filename:\r\ra:b" + forbidden},
        {"a*b", 0, mrOk, false, "", "Filename:\r\ra*b" + forbidden},
        {"sub/x", 0, mrOk, false, "", "Filename:\r\rsub/x" + forbidden},
        {"old", 0, mrNo, false, "old.BMP",
         "Filename:\r\r" + tmp.path() + "/old.BMP\r\rAlready Exists, Overwrite existing file?"},
        {"old", 0, mrYes, true, "old.BMP",
         "Filename:\r\r" + tmp.path() + "/old.BMP\r\rAlready Exists, Overwrite existing file?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSaveWin dlg;
        dlg.SetFolder(tmp.path());
        dlg.TypeComBox->setCurrentIndex(c.type);
        dlg.show();
        dlg.NameEdit->setText(c.name);
        messages.clear();
        answer = c.answer;
        dlg.OkBtn->click();
        EXPECT_EQ(!dlg.isVisible(), c.closes);
        if (c.closes) {
            EXPECT_EQ(dlg.result(), QDialog::Accepted);
            EXPECT_EQ(dlg.FileName, QDir(tmp.path()).canonicalPath() + "/" + c.file);
        }
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], QString(c.message).replace(tmp.path(), QDir(tmp.path()).canonicalPath()));
        }
        // A refused OK leaves Cancel (and Escape) closing without questions.
        if (!c.closes) {
            messages.clear();
            dlg.CancelBtn->click();
            EXPECT_FALSE(dlg.isVisible());
            EXPECT_EQ(dlg.result(), QDialog::Rejected);
            EXPECT_TRUE(messages.empty());
        }
    }
}

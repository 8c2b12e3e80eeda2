// OpenFile with real schematic windows and files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "app/Main_.h"
#include "platform/msgbox.h"
#include "platform/path_text.h"
#include "schematic/Schem_.h"
#include "tests/support/test_util.h"

namespace {

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class OpenSchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r);
            return int(mrOk);
        });
        Good = Dir.path() + "/Good.sch";
        Bad = Dir.path() + "/bad/Bad.sch";
        QDir().mkpath(Dir.path() + "/bad");
        ASSERT_TRUE(QFile::copy(QString::fromStdString(testutil::DataPath("render_all.sch")), Good));
        ASSERT_TRUE(testutil::WriteFile(Bad.toStdString(), "not a schematic\r\n"));
        Frame = std::make_unique<TMainWin>();
        Frame->FirstActivate = false;
        Frame->show();
        Pump();
    }
    void TearDown() override
    {
        Frame.reset();
        Pump();
        SetMsgResponder(nullptr);
    }
    QStringList TabTexts() const
    {
        QStringList t;
        for (int i = 0; i < Frame->TabChild->count(); ++i)
            t << Frame->TabChild->tabText(i);
        return t;
    }

    QTemporaryDir Dir;
    QString Good, Bad;
    std::unique_ptr<TMainWin> Frame;
    std::vector<TMsgRecord> Messages;
};

TEST_F(OpenSchTest, FileReplacesTheUntouchedNewWindow)
{
    Frame->mnNewClick();
    Pump();
    ASSERT_EQ(Frame->Children().size(), 1);
    EXPECT_EQ(Frame->Children().front()->windowTitle(), "Schematic: NewFile.sch");
    Frame->OpenFile(Good);
    Pump();
    ASSERT_EQ(Frame->Children().size(), 1);
    auto* w = qobject_cast<TSchWin*>(Frame->Children().front());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->FileName, Good);
    EXPECT_FALSE(w->Model.Empty());
    EXPECT_EQ(TabTexts(), QStringList{" Good.sch "});
    EXPECT_EQ(Frame->SchemFolder, Dir.path() + "/");
    EXPECT_TRUE(Messages.empty());

    // Again, by another spelling of the same path: brought forward, not opened twice.
    const QString same = Dir.path() + "/./Good.sch";
    Frame->OpenFile(same);
    Pump();
    EXPECT_EQ(Frame->Children().size(), 1);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Text, "File is already open!\r" + same);

    // A name in other letter case is another file here: both open.
    QString lower = Good;
    lower.replace("Good.sch", "good.sch");
    ASSERT_TRUE(QFile::copy(Good, lower));
    Messages.clear();
    Frame->OpenFile(lower);
    Pump();
    EXPECT_EQ(Frame->Children().size(), 2);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(OpenSchTest, ModifiedNewWindowStaysBesideTheFile)
{
    Frame->mnNewClick();
    Pump();
    auto* fresh = qobject_cast<TSchWin*>(Frame->Children().front());
    ASSERT_NE(fresh, nullptr);
    fresh->SetModified();
    Frame->OpenFile(Good);
    Pump();
    EXPECT_EQ(Frame->Children().size(), 2);
    EXPECT_EQ(Frame->TabChild->count(), 2);
}

TEST_F(OpenSchTest, FailingLoadLeavesNoWindowOrTab)
{
    Frame->OpenFile(Bad);
    Pump();
    EXPECT_TRUE(Frame->Children().isEmpty());
    EXPECT_EQ(Frame->TabChild->count(), 0);
    EXPECT_EQ(Frame->SchemFolder, Dir.path() + "/bad/");
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].Title, "Error");
}

TEST_F(OpenSchTest, ShutdownCancelledByAModifiedWindowWritesNoSettings)
{
    const QString ini = GetIniFolder() + "OstrinIni.ini";
    QFile::remove(ini);
    Frame->mnNewClick();
    Pump();
    qobject_cast<TSchWin*>(Frame->Children().front())->SetModified();
    SetMsgResponder([](const TMsgRecord&) { return int(mrCancel); });
    EXPECT_FALSE(Frame->close());
    Pump();
    EXPECT_FALSE(QFile::exists(ini));
    EXPECT_EQ(Frame->Children().size(), 1);
    SetMsgResponder([](const TMsgRecord&) { return int(mrNo); });
    EXPECT_TRUE(Frame->close());
    Pump();
    EXPECT_TRUE(QFile::exists(ini));
    QFile::remove(ini);
}

// A name that is not valid UTF-8 is opened, handed over and saved by its own bytes.
TEST_F(OpenSchTest, NameThatIsNotUtf8OpensByItsBytesAndSavesThere)
{
    const std::string good = testutil::ReadFile(Good.toStdString());
    Frame->StartupDone = true;
    const std::string names[] = {"/caf\xe9.sch", "/\xff\xfe mixed \xc3\xa9 \xe2\x82.sch"};
    for (const std::string& name : names) {
        const std::string bytes = Dir.path().toStdString() + name;
        ASSERT_TRUE(testutil::WriteFile(bytes, good));
        // As a later copy hands it over: the request carries the bytes.
        const QByteArray request = HandOverRequest({PathText(bytes)});
        EXPECT_EQ(request.toStdString(), "O" + bytes);
        ReceiveHandOver(request);
        Pump();
        TSchWin* w = nullptr;
        for (TChildWin* c : Frame->Children())
            if (PathBytes(c->FileName) == bytes)
                w = qobject_cast<TSchWin*>(c);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_FALSE(w->Model.Empty()) << name;
        EXPECT_TRUE(Messages.empty()) << Messages.front().Text.toStdString();
        ASSERT_TRUE(testutil::WriteFile(bytes, "overwritten"));
        ASSERT_TRUE(w->SaveSchem());
        EXPECT_EQ(testutil::ReadFile(bytes).substr(0, 9), "SCHEMATIC") << name;
    }
    EXPECT_EQ(Frame->Children().size(), 2);
}

} // namespace

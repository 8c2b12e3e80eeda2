// The autosave settings dialog run by the frame's command.
#include "app/AutoSveWin_.h"

#include "app/Main_.h"
#include "platform/folders.h"
#include "platform/msgbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/support/modal.h"

namespace {

class AutoSaveDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMsgResponder([this](const TMsgRecord& r) {
            Messages.push_back(r.Text);
            return mrOk;
        });
        Frame = std::make_unique<TMainWin>();
        Frame->FirstActivate = false;
    }
    void TearDown() override
    {
        Frame.reset();
        SetMsgResponder(nullptr);
    }
    // Runs the command; act works on the open dialog and closes it.
    void Run(std::function<void(TAutoSveWin&)> act)
    {
        testutil::WhenModal([act](QWidget* w) {
            auto* d = qobject_cast<TAutoSveWin*>(w);
            ASSERT_NE(d, nullptr);
            act(*d);
        });
        Frame->mnAutoSaveClick();
    }

    std::unique_ptr<TMainWin> Frame;
    std::vector<QString> Messages;
    QTemporaryDir Other;
};

TEST_F(AutoSaveDlgTest, OpensOnTheButtonOfTheFolder)
{
    const QString docs = GetDocsFolder();
    const QString temp = GetTempFolder();
    QString docsNoSlash = docs;
    docsNoSlash.chop(1);
    struct {
        QString folder;
        const char* checked;
        QString shown;   // EditSelFolder
    } cases[] = {
        {docs, "docs", ""},
        {docsNoSlash, "docs", ""},             // compared with one trailing "/"
        {docs + "./", "docs", ""},             // and cleaned
        {temp, "temp", ""},
        {Other.path(), "sel", Other.path()},
        {docs.toUpper(), "sel", docs.toUpper()},   // letter case counts
        {"", "sel", ""},
    };
    for (const auto& c : cases) {
        Frame->AutoSaveFolder = c.folder;
        Run([&](TAutoSveWin& d) {
            const char* checked = d.RButDocsDir->isChecked() ? "docs" : d.RButTempFolder->isChecked() ? "temp" : "sel";
            EXPECT_STREQ(checked, c.checked) << c.folder.toStdString();
            EXPECT_EQ(d.EditSelFolder->text(), c.shown) << c.folder.toStdString();
            EXPECT_EQ(d.EditWinTemp->text(), temp);
            EXPECT_EQ(d.EditUserDocs->text(), docs);
            d.reject();
        });
    }
}

TEST_F(AutoSaveDlgTest, OkTakesTheCheckedFolderAndTheMark)
{
    int browses = 0;
    Frame->mnAutoSave->setChecked(true);
    Frame->AutoSaveFolder = Other.path();
    // OK with the documents folder, autosaving off.
    Run([&](TAutoSveWin& d) {
        d.BrowseForFolder = [&](QWidget*, const QString&) { ++browses; return QString(); };
        d.RButDocsDir->setChecked(true);   // from code: no folder picker
        d.ChkBoxDoAutoSave->setChecked(false);
        d.accept();
    });
    EXPECT_EQ(browses, 0);
    EXPECT_EQ(Frame->AutoSaveFolder, GetDocsFolder());
    EXPECT_FALSE(Frame->mnAutoSave->isChecked());
    EXPECT_EQ(Frame->mnAutoSave->text(), "NOT A&utoSaving Undo files...");

    // Cancel changes nothing but the caption is set again.
    Frame->mnAutoSave->setText("x");
    Run([](TAutoSveWin& d) {
        d.ChkBoxDoAutoSave->setChecked(true);
        d.RButTempFolder->setChecked(true);
        d.reject();
    });
    EXPECT_EQ(Frame->AutoSaveFolder, GetDocsFolder());
    EXPECT_FALSE(Frame->mnAutoSave->isChecked());
    EXPECT_EQ(Frame->mnAutoSave->text(), "NOT A&utoSaving Undo files...");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(AutoSaveDlgTest, PickingAFolderAndItsFailures)
{
    const QString picked = Other.path();
    struct {
        QString pick;   // what the picker returns
        bool tempChecked;
        QString result;
        bool message;
    } cases[] = {
        {picked, false, picked, false},
        {"", true, GetTempFolder(), false},   // cancelled: the temporary folder
        {picked + "/gone", true, GetTempFolder(), false},
    };
    for (const auto& c : cases) {
        Frame->AutoSaveFolder = GetDocsFolder();
        Run([&](TAutoSveWin& d) {
            d.BrowseForFolder = [&](QWidget* owner, const QString& title) {
                EXPECT_EQ(owner, &d);
                EXPECT_EQ(title, "Pick a Folder where backup are stored..");
                return c.pick;
            };
            d.RButSelDir->click();   // a user's click picks a folder
            EXPECT_EQ(d.EditSelFolder->text(), c.pick);
            EXPECT_EQ(d.RButTempFolder->isChecked(), c.tempChecked);
            d.accept();
        });
        EXPECT_EQ(Frame->AutoSaveFolder, c.result) << c.pick.toStdString();
    }
    // A folder that is gone by OK: the temporary folder, with a message, autosave off or on.
    Frame->AutoSaveFolder = picked + "/gone";
    Frame->mnAutoSave->setChecked(false);
    Run([](TAutoSveWin& d) { d.accept(); });
    EXPECT_EQ(Frame->AutoSaveFolder, GetTempFolder());
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Specified Path was invalid, using Windows Temporary Directory!");
}

} // namespace

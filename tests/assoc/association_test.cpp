// The schematic file association written and read under private XDG folders, the dialog
// over it, and documents opened through what it wrote.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include "app/AssociateDlg_.h"
#include "app/Main_.h"
#include "platform/association.h"
#include "platform/sys/desktop_entry.h"
#include "tests/support/modal.h"
#include "tests/support/xdg_fixture.h"

namespace {

class Association : public testutil::XdgFixture {
protected:
    std::string ListPath() const { return ConfigHome + "/mimeapps.list"; }
    std::string Program(const std::string& name)
    {
        const std::string p = Root + "/bin dir/" + name;
        Put(p, "#!/bin/sh\n");
        ::chmod(p.c_str(), 0755);
        return p;
    }
};

TEST_F(Association, WrittenFilesAndAnExistingListKeptIntact)
{
    const std::string before =
        "# my settings\n[Default Applications]\ntext/plain=gedit.desktop;\n\n[Added Associations]\n"
        "image/png=eog.desktop;\n[X-Custom]\nkey=value\n";
    Put(ListPath(), before);
    const std::string program = Program("Ostrin");
    std::string error;
    ASSERT_TRUE(assoc::WriteSchAssociation(program, error)) << error;

    EXPECT_EQ(testutil::ReadFile(ListPath()),
              "# my settings\n[Default Applications]\ntext/plain=gedit.desktop;\n"
              "application/x-ostrin-schematic=ostrin.desktop;\n\n[Added Associations]\nimage/png=eog.desktop;\n"
              "[X-Custom]\nkey=value\n");
    const std::string package = testutil::ReadFile(DataHome + "/mime/packages/ostrin-schematic.xml");
    EXPECT_NE(package.find("<glob pattern=\"*.sch\" weight=\"50\"/>"), std::string::npos);
    EXPECT_NE(package.find("value=\"SCHEMATIC\""), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(DataHome + "/applications/ostrin.desktop"), assoc::SchDesktopEntry(program));
    // Nothing half-written is left beside the files.
    for (const std::string& dir : {ConfigHome, DataHome + "/applications", DataHome + "/mime/packages"}) {
        for (const QString& f : QDir(QString::fromStdString(dir)).entryList(QDir::Files))
            EXPECT_FALSE(f.contains(".tmp") || f.contains("~")) << f.toStdString();
    }
    if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(DataHome + "/mime/globs2")));
    }

    const assoc::TSchAssociation a = assoc::ReadSchAssociation();
    EXPECT_EQ(a.Type, "application/x-ostrin-schematic");
    EXPECT_TRUE(a.HasCommand);
    EXPECT_EQ(a.Program, program);
}

TEST_F(Association, LinkedListIsWrittenWhereItLives)
{
    const std::string target = Root + "/dotfiles/mimeapps.list";
    Put(target, "[Default Applications]\n");
    ASSERT_EQ(::symlink(target.c_str(), ListPath().c_str()), 0);
    std::string error;
    ASSERT_TRUE(assoc::WriteSchAssociation(Program("Ostrin"), error)) << error;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(ListPath())).isSymLink());
    EXPECT_NE(testutil::ReadFile(target).find("ostrin.desktop"), std::string::npos);
}

TEST_F(Association, ListThatCannotBeReadIsNotReplaced)
{
    QDir().mkpath(QString::fromStdString(ListPath()));  // a folder where the file should be
    std::string error;
    EXPECT_FALSE(assoc::WriteSchAssociation(Program("Ostrin"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(ListPath())).isDir());
}

TEST_F(Association, AnotherProgramsSchFilesStayTheirs)
{
    // Another program claims "*.sch" at the same weight.
    Put(SysData + "/mime/globs2", "50:application/x-other-schematic:*.sch\n");
    std::string error;
    ASSERT_TRUE(assoc::WriteSchAssociation(Program("Ostrin"), error)) << error;
    const std::string ours = Root + "/ours.SCH", theirs = Root + "/theirs.sch", fifo = Root + "/pipe.sch";
    Put(ours, "SCHEMATIC\r\n<SHAPE>\r\n");
    Put(theirs, "v 20110115 2\n");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(assoc::TypeForFile(ours), "application/x-ostrin-schematic");
    EXPECT_EQ(assoc::TypeForFile(theirs), "application/x-other-schematic");
    // Nothing writes to the pipe: looking at it must not wait for a writer.
    EXPECT_EQ(assoc::TypeForFile(fifo), "application/x-other-schematic");
    EXPECT_EQ(assoc::ReadSchAssociation().Type, "application/x-ostrin-schematic");
}

TEST_F(Association, DocumentsOpenWithTheDefaultEntryAsOneArgument)
{
    const std::string out = Root + "/args";
    const std::string program = Root + "/bin dir/edit \"it\"";
    Recorder(program, out);
    std::string error;
    ASSERT_TRUE(assoc::WriteSchAssociation(program, error)) << error;
    const std::string file = Root + "/my 'odd' $file \"x\".sch";
    Put(file, "SCHEMATIC\r\n");
    ASSERT_TRUE(assoc::OpenDocument(file));
    EXPECT_EQ(Recorded(out), std::vector<std::string>{file});

    // Text files: the first entry for text/plain that needs no terminal.
    const std::string viewOut = Root + "/viewargs";
    Recorder(Root + "/viewer", viewOut);
    Put(DataHome + "/applications/aa-term.desktop",
        "[Desktop Entry]\nType=Application\nName=T\nExec=/bin/true %f\nTerminal=true\nMimeType=text/plain;\n");
    Put(DataHome + "/applications/view.desktop",
        "[Desktop Entry]\nType=Application\nName=V\nExec=" + xdg::EscapeValue(xdg::QuoteExecArg(Root + "/viewer")) +
            " %U\nMimeType=text/plain;\n");
    ASSERT_TRUE(assoc::OpenWithType("text/plain", file, false));
    EXPECT_EQ(Recorded(viewOut), std::vector<std::string>{assoc::FileUrl(file)});
    EXPECT_EQ(assoc::FileUrl("/a b/%x\xc3\xa9"), "file:///a%20b/%25x%C3%A9");
}

// Names that are not UTF-8 reach the program the association starts as their bytes.
TEST_F(Association, DocumentNamedInAnyBytesReachesTheProgram)
{
    const std::string out = Root + "/args";
    const std::string program = Root + "/bin dir/edit";
    Recorder(program, out);
    std::string error;
    ASSERT_TRUE(assoc::WriteSchAssociation(program, error)) << error;
    const std::string file = Root + "/caf\xe9 \xff.sch";
    Put(file, "SCHEMATIC\r\n");
    ASSERT_TRUE(assoc::OpenDocument(file));
    EXPECT_EQ(Recorded(out), std::vector<std::string>{file});
}

// Showing a file as text: never by the schematic type; a terminal program inside a terminal.
class ViewText : public Association {
protected:
    void SetUp() override
    {
        Association::SetUp();
        SavedPath = qgetenv("PATH");
        // Only our own programs: a terminal installed on this machine must not be found.
        qputenv("PATH", QByteArray::fromStdString(Root + "/bin"));
        File = Root + "/caf\xe9 'x'.sch";
        Put(File, "SCHEMATIC\r\n");
        // The schematic type has a program of its own, which must never be used here.
        Recorder(Root + "/prog/schprog", Root + "/sch.args");
        std::string error;
        ASSERT_TRUE(assoc::WriteSchAssociation(Root + "/prog/schprog", error)) << error;
    }
    void TearDown() override
    {
        qputenv("PATH", SavedPath);
        Association::TearDown();
    }
    // A recorder that needs no PATH of its own.
    void Tool(const std::string& path, const std::string& out)
    {
        Put(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + out + ".part'\n/bin/mv '" + out +
                      ".part' '" + out + "'\n");
        ::chmod(path.c_str(), 0755);
    }
    void Entry(const std::string& id, const std::string& program, bool terminal)
    {
        Put(DataHome + "/applications/" + id,
            "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" +
                xdg::EscapeValue(xdg::QuoteExecArg(program)) + " %F\nTerminal=" + (terminal ? "true" : "false") +
                "\nMimeType=text/plain;\n");
    }
    QByteArray SavedPath;
    std::string File;
};

TEST_F(ViewText, TheDefaultRunsInATerminalElseAnotherProgramElseAMessage)
{
    const std::string vim = Root + "/prog/vi m", gui = Root + "/prog/gui";
    Tool(vim, Root + "/vim.args");
    Tool(gui, Root + "/gui.args");
    Entry("aa-vim.desktop", vim, true);
    Entry("zz-gui.desktop", gui, false);
    // The user's default is the terminal program.
    Put(ConfigHome + "/mimeapps.list", "[Default Applications]\ntext/plain=aa-vim.desktop;\n"
                                       "application/x-ostrin-schematic=ostrin.desktop;\n");
    struct {
        const char* terminal;  // the terminal installed, or none
        const char* started;   // whose arguments are recorded
        std::vector<std::string> args;
    } cases[] = {
        {"x-terminal-emulator", "x-terminal-emulator", {"-e", vim, File}},
        {"xterm", "xterm", {"-e", vim, File}},
        {nullptr, "gui", {File}},
    };
    for (const auto& c : cases) {
        ::unlink((Root + "/bin/x-terminal-emulator").c_str());
        ::unlink((Root + "/bin/xterm").c_str());
        if (c.terminal)
            Tool(Root + "/bin/" + c.terminal, Root + "/" + c.terminal + ".args");
        const std::string out = Root + "/" + c.started + ".args";
        ::unlink(out.c_str());
        std::string error;
        ASSERT_TRUE(assoc::ViewAsText(File, error)) << error;
        EXPECT_EQ(Recorded(out), c.args) << c.started;
    }
    // Neither a terminal nor another program: said, and nothing else is started.
    ::unlink((DataHome + "/applications/zz-gui.desktop").c_str());
    std::string error;
    EXPECT_FALSE(assoc::ViewAsText(File, error));
    EXPECT_NE(error.find("terminal"), std::string::npos) << error;
    ::unlink((DataHome + "/applications/aa-vim.desktop").c_str());
    EXPECT_FALSE(assoc::ViewAsText(File, error));
    EXPECT_EQ(error, "No program for text files was found.");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Root + "/sch.args")));
}

TEST_F(Association, ToolThatHangsIsStopped)
{
    const std::string tool = Root + "/slow";
    Put(tool, "#!/bin/sh\nsleep 30\n");
    ::chmod(tool.c_str(), 0755);
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(assoc::RunTool(QString::fromStdString(tool), {}, 300));
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_FALSE(assoc::RunTool("no-such-tool-here", {}));
}

class AssociateDialog : public Association {};

TEST_F(AssociateDialog, ShowsWhatIsSetAndSetsItOnce)
{
    const std::string program = Program("Ostrin");
    const QString qprogram = QString::fromStdString(program);
    {
        TAssociateDlg dlg(nullptr, qprogram);
        EXPECT_EQ(dlg.windowTitle(), "Set File Association");
        EXPECT_EQ(dlg.SetSpBut->text(), "Set File Association to Ostrin");
        EXPECT_EQ(dlg.AssEdit->text(), "(No association set for *.SCH file)");
        EXPECT_TRUE(dlg.SetSpBut->isEnabled());
        EXPECT_TRUE(dlg.AssEdit->isReadOnly());

        dlg.SetSpButClick();
        EXPECT_EQ(dlg.AssEdit->text().toStdString(),
                  QString::fromStdString(xdg::QuoteExecArg(program) + " %f").toUpper().toStdString());
        EXPECT_FALSE(dlg.SetSpBut->isEnabled());
    }
    // A program whose path only contains the stored one is another program.
    const QString other = qprogram + ".new";
    Program("Ostrin.new");
    {
        TAssociateDlg dlg(nullptr, other);
        EXPECT_TRUE(dlg.SetSpBut->isEnabled());
        EXPECT_EQ(dlg.SetSpBut->text(), "Set File Association to Ostrin.new");
    }
    // The type without a default entry.
    ::unlink((DataHome + "/applications/ostrin.desktop").c_str());
    Put(ListPath(), "");
    {
        TAssociateDlg dlg(nullptr, qprogram);
        EXPECT_EQ(dlg.AssEdit->text(), "(*.SCH file is registered as: application/x-ostrin-schematic)");
        EXPECT_TRUE(dlg.SetSpBut->isEnabled());
    }
}

TEST_F(AssociateDialog, ProgramPathWithPercentSignsIsRecognisedAfterWriting)
{
    for (const char* name : {"100%", "a%%b", "%f %u"}) {
        const std::string program = Root + "/" + name + "/Ostrin";
        Put(program, "#!/bin/sh\n");
        ::chmod(program.c_str(), 0755);
        TAssociateDlg dlg(nullptr, QString::fromStdString(program));
        dlg.SetSpButClick();
        EXPECT_EQ(assoc::ReadSchAssociation().Program, program) << name;
        EXPECT_FALSE(dlg.SetSpBut->isEnabled()) << name;
    }
}

TEST_F(AssociateDialog, FrameCommandOpensIt)
{
    TMainWin frame;
    frame.FirstActivate = false;
    QString title;
    testutil::WhenModal([&](QWidget* w) {
        title = w->windowTitle();
        EXPECT_TRUE(qobject_cast<TAssociateDlg*>(w));
        static_cast<QDialog*>(w)->reject();
    });
    frame.mnAssociate->trigger();
    EXPECT_EQ(title, "Set File Association");
}

} // namespace

// Desktop entries, Exec lines, mimeapps.list and MIME globs as the association reads and
// writes them.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include "platform/association.h"
#include "platform/sys/desktop_entry.h"
#include "platform/sys/xdg_lookup.h"
#include "tests/support/xdg_fixture.h"

namespace {

using namespace xdg;

// The Exec line a desktop entry file holds, read back as a reader of the file would.
std::vector<std::string> RunLine(const std::string& entryText, const std::string& file)
{
    std::string raw;
    EXPECT_TRUE(FindValue(ParseKeyFile(entryText), "Desktop Entry", "Exec", raw));
    TExecArgs args;
    args.Files = {file};
    std::vector<std::string> argv;
    std::string error;
    EXPECT_TRUE(ExpandExec(UnescapeValue(raw), args, argv, error)) << error;
    return argv;
}

const char* const kAwkwardPaths[] = {
    "/opt/ostrin/Ostrin",
    "/home/a b/my  programs/Ostrin",
    "/tmp/\"quoted\"/it's/Ostrin",
    "/tmp/$HOME/`id`/Ostrin",
    "/tmp/100%/%f %u/Ostrin",
    "/tmp/back\\slash\\/Ostrin",
    "/tmp/line\nbreak\ttab/Ostrin",
    "/tmp/;|&<>~*?#()/Ostrin",
    " /lead and trail /",
};

TEST(ExecLine, ProgramPathSurvivesTheDesktopEntryRoundTrip)
{
    for (const char* path : kAwkwardPaths) {
        const std::vector<std::string> argv = RunLine(assoc::SchDesktopEntry(path), "/data/my file.sch");
        ASSERT_EQ(argv.size(), 2u) << path;
        EXPECT_EQ(argv[0], path);
        EXPECT_EQ(argv[1], "/data/my file.sch");
        // The program as the association dialog reads it back.
        std::string raw, program, error;
        ASSERT_TRUE(FindValue(ParseKeyFile(assoc::SchDesktopEntry(path)), "Desktop Entry", "Exec", raw));
        ASSERT_TRUE(ExecProgram(UnescapeValue(raw), program, error)) << error;
        EXPECT_EQ(program, path);
    }
}

// Another reader of desktop entries than ours: the program it starts must get the same path.
class ExecLineGio : public testutil::XdgFixture {};

TEST_F(ExecLineGio, AnIndependentLauncherRunsTheSameProgram)
{
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty())
        GTEST_SKIP() << "gio is not installed";
    // Not a '%': the launcher checks the program with its "%%" still doubled.
    const std::string dir = Root + "/a b \"q\" $X \\ `t` ;'";
    const std::string program = dir + "/prog";
    const std::string out = Root + "/args";
    Recorder(program, out);
    const std::string entry = Root + "/t.desktop";
    Put(entry, assoc::SchDesktopEntry(program));
    QProcess p;
    p.start(gio, {"launch", QString::fromStdString(entry), "/data/my file.sch"});
    ASSERT_TRUE(p.waitForFinished(10000));
    const std::vector<std::string> args = Recorded(out);
    ASSERT_EQ(args.size(), 1u) << p.readAllStandardError().toStdString();
    EXPECT_EQ(args[0], "/data/my file.sch");
}

TEST(ExecLine, FieldCodesAndQuotes)
{
    TExecArgs a;
    a.Files = {"/f/one two", "/f/2"};
    a.Urls = {"file:///f/one%20two", "file:///f/2"};
    a.Icon = "ic";
    a.Name = "App";
    a.Location = "/apps/app.desktop";
    const struct {
        const char* exec;
        std::vector<std::string> argv;
    } cases[] = {
        {"prog %f", {"prog", "/f/one two"}},
        {"prog %F", {"prog", "/f/one two", "/f/2"}},
        {"prog %u", {"prog", "file:///f/one%20two"}},
        {"prog %U", {"prog", "file:///f/one%20two", "file:///f/2"}},
        {"prog --file=%f", {"prog", "--file=/f/one two"}},
        {"prog %i %c %k %f", {"prog", "--icon", "ic", "App", "/apps/app.desktop", "/f/one two"}},
        {"prog 100%% %d %D %n %N %v %m %f", {"prog", "100%", "/f/one two"}},
        // Without a code for files the files go last, so the document is not dropped.
        {"prog -x", {"prog", "-x", "/f/one two", "/f/2"}},
        {"\"/my prog\" \"a \\\"b\\\" \\$c \\\\d \\`e\\`\" %f", {"/my prog", "a \"b\" $c \\d `e`", "/f/one two"}},
        {"'/single q' 'x\"y' %f", {"/single q", "x\"y", "/f/one two"}},
        {"  prog\t%f  ", {"prog", "/f/one two"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv;
        std::string error;
        EXPECT_TRUE(ExpandExec(c.exec, a, argv, error)) << c.exec;
        EXPECT_EQ(argv, c.argv) << c.exec;
    }
    for (const char* bad : {"\"open", "prog 'x", "", "   "}) {
        std::vector<std::string> argv;
        std::string error;
        EXPECT_FALSE(ExpandExec(bad, a, argv, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(KeyFile, ValuesGroupsAndLists)
{
    const std::string text =
        "# comment\nstray=before any group\n[Desktop Entry]\nName = Spaced \nExec=a\\sb\\\\c\\n\nBroken line\n"
        "Name[de]=Lokal\nMimeType=a/b;c\\;d;;\n[Other]\nName=second\n";
    const std::vector<TKeyFileEntry> e = ParseKeyFile(text);
    std::string v;
    ASSERT_TRUE(FindValue(e, "Desktop Entry", "Name", v));
    EXPECT_EQ(v, "Spaced");
    ASSERT_TRUE(FindValue(e, "Desktop Entry", "Exec", v));
    EXPECT_EQ(UnescapeValue(v), "a b\\c\n");
    EXPECT_FALSE(FindValue(e, "Desktop Entry", "stray", v));
    ASSERT_TRUE(FindValue(e, "Other", "Name", v));
    EXPECT_EQ(v, "second");
    ASSERT_TRUE(FindValue(e, "Desktop Entry", "MimeType", v));
    EXPECT_EQ(SplitList(v), (std::vector<std::string>{"a/b", "c;d"}));
    EXPECT_EQ(EscapeValue(" a\\b\nc\td"), "\\sa\\\\b\\nc\\td");
    EXPECT_EQ(UnescapeValue(EscapeValue(" x \\ \n\t\r")), " x \\ \n\t\r");
}

TEST(MimeAppsList, DefaultIsMergedIntoWhatIsThere)
{
    const std::string t = "application/x-ostrin-schematic";
    const struct {
        const char* name;
        std::string before, after;
    } cases[] = {
        {"no file", "", "[Default Applications]\n" + t + "=ostrin.desktop;\n"},
        {"other groups only",
         "# mine\n[Added Associations]\ntext/plain=vim.desktop;\n",
         "# mine\n[Added Associations]\ntext/plain=vim.desktop;\n\n[Default Applications]\n" + t + "=ostrin.desktop;\n"},
        {"group without the key, another group after it",
         "[Default Applications]\ntext/plain=gedit.desktop;\n# keep\n\n[Added Associations]\nimage/png=eog.desktop;\n",
         "[Default Applications]\ntext/plain=gedit.desktop;\n" + t +
             "=ostrin.desktop;\n# keep\n\n[Added Associations]\nimage/png=eog.desktop;\n"},
        {"key with other programs, repeated",
         "[Default Applications]\n" + t + "=other.desktop;ostrin.desktop;\ntext/plain=a.desktop\n" + t + "=third.desktop\n",
         "[Default Applications]\n" + t + "=ostrin.desktop;other.desktop;third.desktop;\ntext/plain=a.desktop\n"},
        {"key in another group is not the default",
         "[Added Associations]\n" + t + "=other.desktop;\n[Default Applications]\n",
         "[Added Associations]\n" + t + "=other.desktop;\n[Default Applications]\n" + t + "=ostrin.desktop;\n"},
        {"line ends of the file", "[Default Applications]\r\ntext/plain=a.desktop\r\n",
         "[Default Applications]\r\ntext/plain=a.desktop\r\n" + t + "=ostrin.desktop;\r\n"},
        {"no final line end", "[Default Applications]\ntext/plain=a.desktop",
         "[Default Applications]\ntext/plain=a.desktop\n" + t + "=ostrin.desktop;\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MergeDefaultApp(c.before, t, "ostrin.desktop"), c.after) << c.name;
    // Merging again changes nothing.
    for (const auto& c : cases)
        EXPECT_EQ(MergeDefaultApp(c.after, t, "ostrin.desktop"), c.after) << c.name;
}

TEST(MimeGlobs, LinesAndMatching)
{
    const std::vector<TGlob> g = ParseGlobs2(
        "# comment\n50:text/x-a:*.sch\n80:text/x-b:*.SCH:cs\nbad line\nx:text/x-c:*.c\n60:text/x-d:a:b*.t\n");
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].Type, "text/x-a");
    EXPECT_TRUE(GlobMatches(g[0], "X.Sch"));
    EXPECT_FALSE(GlobMatches(g[0], "x.sch.bak"));
    EXPECT_TRUE(g[1].CaseSensitive);
    EXPECT_TRUE(GlobMatches(g[1], "x.SCH"));
    EXPECT_FALSE(GlobMatches(g[1], "x.sch"));
    EXPECT_EQ(g[2].Pattern, "a:b*.t");
}

class XdgLookup : public testutil::XdgFixture {
protected:
    std::string App(const std::string& folder, const std::string& name, const std::string& extra,
                    const std::string& program = "/bin/true")
    {
        const std::string path = folder + "/applications/" + name;
        Put(path, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + program + " %f\n" + extra);
        return path;
    }
    static std::vector<std::string> Ids(const std::vector<TDesktopEntry>& apps)
    {
        std::vector<std::string> out;
        for (const TDesktopEntry& a : apps)
            out.push_back(a.Id);
        return out;
    }
};

TEST_F(XdgLookup, DefaultsThenAddedThenEntriesNamingTheType)
{
    const std::string t = "text/x-test";
    App(SysData, "listed.desktop", "MimeType=" + t + ";\n");
    App(SysData, "removed.desktop", "MimeType=" + t + ";\n");
    App(SysData, "hidden.desktop", "MimeType=" + t + ";\nHidden=true\n");
    App(SysData, "gone.desktop", "MimeType=" + t + ";\n", "/no/such/program");
    App(SysData, "trygone.desktop", "MimeType=" + t + ";\nTryExec=/no/such\n");
    App(DataHome, "added.desktop", "");
    App(DataHome, "mine.desktop", "");
    // "vendor-sub.desktop" lives in a subfolder.
    App(SysData, "vendor/sub.desktop", "");
    Put(ConfigHome + "/mimeapps.list",
        "[Default Applications]\n" + t + "=missing.desktop;mine.desktop\n[Removed Associations]\n" + t +
            "=removed.desktop\n");
    Put(SysData + "/applications/mimeapps.list",
        "[Added Associations]\n" + t + "=added.desktop;vendor-sub.desktop;\n[Default Applications]\n" + t +
            "=gone.desktop\n");
    const TXdgDirs dirs = TXdgDirs::FromEnv();
    EXPECT_EQ(Ids(AppsForType(dirs, t)),
              (std::vector<std::string>{"mine.desktop", "added.desktop", "vendor-sub.desktop", "listed.desktop"}));
    // The reported default is the first installed one, whether or not its program is there.
    Put(ConfigHome + "/mimeapps.list", "[Default Applications]\n" + t +
                                           "=gone.desktop;mine.desktop\n[Removed Associations]\n" + t +
                                           "=removed.desktop\n");
    TDesktopEntry e;
    ASSERT_TRUE(DefaultAppForType(dirs, t, e));
    EXPECT_EQ(e.Id, "gone.desktop");
    EXPECT_EQ(e.Exec, "/no/such/program %f");
    // The user's own copy of an entry hides the system's.
    App(DataHome, "listed.desktop", "MimeType=other/type;\n");
    EXPECT_EQ(Ids(AppsForType(dirs, t)), (std::vector<std::string>{"mine.desktop", "added.desktop", "vendor-sub.desktop"}));
}

TEST_F(XdgLookup, TypesOfAName)
{
    Put(DataHome + "/mime/globs2", "50:app/mine:*.sch\n__NOGLOBS__ never matches\n50:app/dropped:__NOGLOBS__\n");
    Put(SysData + "/mime/globs2",
        "50:app/theirs:*.sch\n40:app/weak:*.sch\n50:app/dropped:*.sch\n50:app/long:*.long.sch\n90:app/strong:*.zzz\n");
    const TXdgDirs dirs = TXdgDirs::FromEnv();
    EXPECT_EQ(TypesForName(dirs, "a.SCH"), (std::vector<std::string>{"app/mine", "app/theirs"}));
    EXPECT_EQ(TypesForName(dirs, "a.long.sch"), (std::vector<std::string>{"app/long"}));
    EXPECT_EQ(TypesForName(dirs, "a.zzz"), (std::vector<std::string>{"app/strong"}));
    EXPECT_TRUE(TypesForName(dirs, "a.txt").empty());
}

} // namespace

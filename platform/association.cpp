#include "platform/association.h"

#include "platform/image_write.h"
#include "platform/sys/desktop_entry.h"
#include "platform/sys/files.h"
#include "platform/sys/spawn.h"
#include "platform/sys/xdg_lookup.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace assoc {

namespace {

QString Q(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

// Our own package stands in for the MIME database's glob list when the database tool has
// not (yet) been run over it.
std::vector<xdg::TGlob> OwnGlobs(const xdg::TXdgDirs& dirs)
{
    const std::string package = dirs.DataHome + "/mime/packages/" + SchPackageName;
    std::string text, error;
    if (!sys::ReadRegularFile(package, text, error, 1 << 20) || text.find(SchMimeType) == std::string::npos)
        return {};
    return {xdg::TGlob{50, SchMimeType, "*.sch", false}};
}

// Of the types tied for a name, the one whose content fits: ours for a schematic header.
std::string Settle(const std::vector<std::string>& types, bool schematicHeader)
{
    if (types.empty())
        return {};
    const bool ours = std::find(types.begin(), types.end(), SchMimeType) != types.end();
    if (types.size() == 1 || (ours && schematicHeader))
        return ours && schematicHeader ? std::string(SchMimeType) : types.front();
    for (const std::string& t : types)
        if (t != SchMimeType)
            return t;
    return types.front();
}

// The argument list an entry runs for target, its program found; false when it cannot run.
bool EntryArgv(const xdg::TDesktopEntry& app, const std::string& target, bool isUrl, std::vector<std::string>& argv)
{
    xdg::TExecArgs args;
    if (isUrl) {
        args.Urls = {target};
        args.Files = {target};
    } else {
        args.Files = {target};
        args.Urls = {FileUrl(target)};
    }
    args.Icon = app.Icon;
    args.Name = app.Name;
    args.Location = app.File;
    std::string error;
    if (!xdg::ExpandExec(app.Exec, args, argv, error))
        return false;
    const std::string program = xdg::FindProgram(argv.front());
    if (program.empty())
        return false;
    argv.front() = program;
    return true;
}

std::string WorkDirOf(const xdg::TDesktopEntry& app)
{
    return !app.WorkDir.empty() && QFileInfo(Q(app.WorkDir)).isDir() ? app.WorkDir : std::string();
}

// The program's arguments go over as the bytes they are.
bool StartEntry(const xdg::TDesktopEntry& app, const std::string& target, bool isUrl)
{
    std::vector<std::string> argv;
    if (!EntryArgv(app, target, isUrl, argv))
        return false;
    std::string error;
    return sys::StartDetached(argv, WorkDirOf(app), error);
}

// The user's terminal: Debian's chosen one, else xterm; empty when there is none.
std::string TerminalProgram()
{
    for (const char* name : {"x-terminal-emulator", "xterm"}) {
        const std::string p = xdg::FindProgram(name);
        if (!p.empty())
            return p;
    }
    return {};
}

} // namespace

std::string SchMimePackage()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" + std::string(SchMimeType) + "\">\n"
           "    <comment>Schematic File</comment>\n"
           "    <sub-class-of type=\"text/plain\"/>\n"
           // The usual weight: a tie with another program's "*.sch" is settled by the header,
           // so their files stay theirs.
           "    <glob pattern=\"*.sch\" weight=\"50\"/>\n"
           "    <magic priority=\"50\">\n"
           "      <match type=\"string\" offset=\"0\" value=\"SCHEMATIC\"/>\n"
           "    </magic>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string SchDesktopEntry(const std::string& programPath)
{
    const std::string exec = xdg::QuoteExecArg(programPath) + " %f";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=Ostrin\n"
           "Comment=Schematic File\n"
           "Exec=" + xdg::EscapeValue(exec) + "\n"
           "MimeType=" + std::string(SchMimeType) + ";\n"
           "Terminal=false\n"
           "NoDisplay=true\n";
}

TSchAssociation ReadSchAssociation()
{
    TSchAssociation out;
    const xdg::TXdgDirs dirs = xdg::TXdgDirs::FromEnv();
    // A schematic file: its name ends in ".sch" and it begins with the header.
    out.Type = Settle(xdg::TypesForName(dirs, "x.sch", OwnGlobs(dirs)), true);
    if (out.Type.empty())
        return out;
    xdg::TDesktopEntry app;
    if (!xdg::DefaultAppForType(dirs, out.Type, app) || app.Exec.empty())
        return out;
    out.HasCommand = true;
    out.Command = app.Exec;
    std::string error;
    xdg::ExecProgram(app.Exec, out.Program, error);
    return out;
}

bool WriteSchAssociation(const std::string& programPath, std::string& error)
{
    const xdg::TXdgDirs dirs = xdg::TXdgDirs::FromEnv();
    const QString mimeDir = Q(dirs.DataHome + "/mime");
    const QString appDir = Q(dirs.DataHome + "/applications");
    QString qerror;
    auto write = [&](const QString& folder, const QString& name, const std::string& bytes) {
        if (!QDir().mkpath(folder)) {
            error = "Cannot make the folder " + folder.toStdString();
            return false;
        }
        QString path = folder + "/" + name;
        // A linked file (a dotfile kept elsewhere) is written where it lives.
        const QFileInfo info(path);
        if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
            path = info.canonicalFilePath();
        if (!WriteWholeFile(path, bytes, qerror)) {
            error = path.toStdString() + ": " + qerror.toStdString();
            return false;
        }
        return true;
    };
    if (!write(mimeDir + "/packages", SchPackageName, SchMimePackage()))
        return false;
    if (!write(appDir, SchDesktopId, SchDesktopEntry(programPath)))
        return false;

    // The user's list: merged, never replaced. One that exists but cannot be read is left alone.
    const std::string listPath = dirs.ConfigHome + "/mimeapps.list";
    std::string old, readError;
    if (QFileInfo::exists(Q(listPath)) && !sys::ReadRegularFile(listPath, old, readError, 4 << 20)) {
        error = listPath + ": " + readError;
        return false;
    }
    if (!write(Q(dirs.ConfigHome), "mimeapps.list", xdg::MergeDefaultApp(old, SchMimeType, SchDesktopId)))
        return false;

    RunTool(QStringLiteral("update-mime-database"), {mimeDir});
    RunTool(QStringLiteral("update-desktop-database"), {appDir});
    return true;
}

std::string TypeForFile(const std::string& path)
{
    const xdg::TXdgDirs dirs = xdg::TXdgDirs::FromEnv();
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::vector<std::string> types = xdg::TypesForName(dirs, name, OwnGlobs(dirs));
    bool header = false;
    if (types.size() > 1) {
        sys::TReadFile f;
        char head[9];
        header = f.Open(path) && f.ReadFull(head, sizeof head) == 9 && std::string(head, 9) == "SCHEMATIC";
    }
    return Settle(types, header);
}

bool OpenWithType(const std::string& mimeType, const std::string& target, bool isUrl)
{
    const xdg::TXdgDirs dirs = xdg::TXdgDirs::FromEnv();
    if (!mimeType.empty())
        for (const xdg::TDesktopEntry& app : xdg::AppsForType(dirs, mimeType))
            // A program that needs a terminal cannot show anything from here.
            if (!app.Terminal && StartEntry(app, target, isUrl))
                return true;
    // Nothing of our own fits: leave it to the toolkit's desktop services, with a file's
    // name percent-encoded from its bytes so that any name gets there.
    const QUrl url = isUrl ? QUrl(Q(target)) : QUrl::fromEncoded(QByteArray::fromStdString(FileUrl(target)));
    return QDesktopServices::openUrl(url);
}

bool ViewAsText(const std::string& path, std::string& error)
{
    error.clear();
    const xdg::TXdgDirs dirs = xdg::TXdgDirs::FromEnv();
    const std::string terminal = TerminalProgram();
    bool needsTerminal = false;
    for (const xdg::TDesktopEntry& app : xdg::AppsForType(dirs, "text/plain")) {
        std::vector<std::string> argv;
        if (!EntryArgv(app, path, false, argv))
            continue;
        if (app.Terminal) {
            needsTerminal = true;
            if (terminal.empty())
                continue;
            // "-e" and the program with its own arguments, each one word.
            argv.insert(argv.begin(), {terminal, "-e"});
        }
        std::string why;
        if (sys::StartDetached(argv, WorkDirOf(app), why))
            return true;
        error = "The program for text files could not be started: " + why;
    }
    if (error.empty())
        error = needsTerminal ? "The program for text files runs in a terminal, and no terminal program was found."
                              : "No program for text files was found.";
    return false;
}

bool OpenDocument(const std::string& path) { return OpenWithType(TypeForFile(path), path, false); }

bool RunTool(const QString& program, const QStringList& args, int timeoutMs)
{
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty())
        return false;
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(exe, args);
    if (!p.waitForStarted(timeoutMs))
        return false;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

std::string FileUrl(const std::string& path) { return "file://" + xdg::PercentEncode(path); }

} // namespace assoc

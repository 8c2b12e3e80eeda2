// Entry of the drawing program: one copy per user, the splash pause, the frame.
#include <QApplication>
#include <QDir>
#include <QPointer>

#include "app/Main_.h"
#include "app/Splash_.h"
#include "schematic/Schem_.h"
#include "platform/msgbox.h"
#include "platform/single_instance.h"

namespace {

QStringList& PendingQueue()
{
    static QStringList q;
    return q;
}

// Request bytes: "O" + UTF-8 path opens a file, "R" only raises the running copy.
QByteArray OpenRequest(const QStringList& args)
{
    if (args.isEmpty())
        return QByteArrayLiteral("R");
    // The running copy has another working folder: send the path made absolute here.
    return "O" + QDir::cleanPath(QDir::current().absoluteFilePath(args.first())).toUtf8();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrin"));
    QApplication::setQuitOnLastWindowClosed(true);
    QStringList args = QApplication::arguments();
    args.removeFirst();

    TSingleInstance instance(QStringLiteral("Ostrin83"));
    if (!instance.Acquire()) {
        // A later copy: hand the argument over and end without a window.
        instance.Send(OpenRequest(args));
        return 0;
    }

    // Requests may come while we are still starting; they wait for the frame.
    QObject::connect(&instance, &TSingleInstance::RequestReceived, &app, [](const QByteArray& req) {
        if (req.isEmpty() || (req[0] != 'O' && req[0] != 'R'))
            return;
        const QString path = req[0] == 'O' ? QString::fromUtf8(req.mid(1)) : QString();
        if (!MainWin) {
            if (!path.isEmpty())
                PendingQueue().append(path);
            return;
        }
        MainWin->RestoreAndRaise();
        if (path.isEmpty())
            return;
        if (!MainWin->StartupDone)
            MainWin->PendingOpens.append(path);
        else
            MainWin->WMOpenFile(path);
    });

    QPointer<TSplashWin> splash = new TSplashWin;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    splash->FormActivate();
    splash->update();

    TMainWin frame(args);
    frame.SchWinFactory = [] { return new TSchWin(); };
    frame.PendingOpens = std::exchange(PendingQueue(), {});
    frame.SplashWin = splash.data();
    frame.show();
    const int rc = app.exec();
    (void)rc;
    return 0;
}

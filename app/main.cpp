// Entry of the drawing program: one copy per user, the splash pause, the frame.
#include <QApplication>
#include <QPointer>

#include "app/HelpWin_.h"
#include "app/Main_.h"
#include "app/Splash_.h"
#include "platform/path_text.h"
#include "platform/single_instance.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrin"));
    QApplication::setWindowIcon(ProgramIcon());
    // From the bytes given: a file name that is not valid UTF-8 must reach the file.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << PathText(argv[i]);

    // The lock and the server exist from the first step, so no later copy is lost.
    TSingleInstance instance(QStringLiteral("Ostrin83"));
    if (!instance.Acquire()) {
        // A later copy: hand the argument over, wait until it is handled, end without a
        // window; a file that could not be handed over is named to the user.
        return HandOverToRunningCopy(instance, args);
    }
    QObject::connect(&instance, &TSingleInstance::RequestReceived, &app, &ReceiveHandOver);

    QPointer<TSplashWin> splash = new TSplashWin;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    splash->FormActivate();
    splash->update();

    TMainWin frame(args);
    frame.SplashWin = splash.data();
    frame.show();
    // Shows itself when asked to at start; lives as long as the frame.
    new THelpWin(&frame);
    app.exec();
    return 0;
}

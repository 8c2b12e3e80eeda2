// Entry of the search program: one copy per user; a later start only brings it forward.
#include <QApplication>

#include "platform/msgbox.h"
#include "platform/path_text.h"
#include "platform/single_instance.h"
#include "search/SearchWin_.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelfind"));
    SetApplicationTitle(QStringLiteral("Zuvavadiro Vuraze"));
    // From the bytes given: a folder name that is not valid UTF-8 is searched as it is.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << PathText(argv[i]);

    TSingleInstance instance(QStringLiteral("Pelfind65"));
    if (!instance.Acquire()) {
        // The argument is not passed on.
        instance.Send("R");
        return 0;
    }
    TSearchWin SearchWin(args);
    QObject::connect(&instance, &TSingleInstance::RequestReceived, &SearchWin, [&SearchWin] { SearchWin.BringToFront(); });
    SearchWin.show();
    return app.exec();
}

// The print command's dialog: nothing in it lists folders as the user types.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCompleter>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>

#include "app/Main_.h"
#include "windows/PrintOut.h"
#include "tests/support/modal.h"

namespace {

// What the dialog's boxes would complete from: every completer whose model reads folders.
QStringList FolderCompleters(QWidget* dlg)
{
    QStringList found;
    for (QLineEdit* box : dlg->findChildren<QLineEdit*>())
        if (QCompleter* c = box->completer(); c && qobject_cast<QFileSystemModel*>(c->model()))
            found << box->objectName();
    return found;
}

} // namespace

TEST(PrintDialog, ItsFileBoxHasNoCompleterThatReadsFolders)
{
    // The toolkit's own dialog has one: what this guards against.
    QPrinter printer;
    {
        QPrintDialog plain(&printer);
        if (FolderCompleters(&plain).isEmpty())
            GTEST_SKIP() << "this toolkit's print dialog completes no file names";
    }
    auto frame = std::make_unique<TMainWin>();
    frame->FirstActivate = false;
    QStringList seen = {"not shown"};
    bool editable = false;
    int ticks = -1;
    testutil::WhenModal([&](QWidget* w) {
        seen = FolderCompleters(w);
        // Typing a folder of special files: the event loop keeps running (a completer that
        // read /proc/kmsg here never came back).
        for (QLineEdit* box : w->findChildren<QLineEdit*>()) {
            if (box->isReadOnly() || !box->isEnabled())
                continue;
            editable = true;
            box->setFocus();
            box->clear();
            QTest::keyClicks(box, "/proc/");
        }
        ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(20);
        QTest::qWait(400);
        static_cast<QDialog*>(w)->reject();
    });
    frame->mnPrintClick();
    EXPECT_TRUE(seen.isEmpty()) << seen.join(' ').toStdString();
    EXPECT_TRUE(editable);   // the file name can still be typed
    EXPECT_GT(ticks, 5);
}

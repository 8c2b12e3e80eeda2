// Every way a child window is made or brought forward leaves the keyboard in its key box, so
// that its keys and shortcuts work at once; no file dialog leaves its completion list behind.
#include "app/Main_.h"
#include "components/CompFiles.h"
#include "components/Comp_.h"
#include "components/SelComp_.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"
#include "tests/support/modal.h"
#include "tests/support/test_util.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <functional>
#include <memory>

namespace {

using testutil::CrLf;
using testutil::WhenModalIs;

// A completion list or other popup still on the screen.
bool PopupShown()
{
    if (QApplication::activePopupWidget())
        return true;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qobject_cast<QAbstractItemView*>(w) && (w->windowFlags() & Qt::Popup) == Qt::Popup)
            return true;
    return false;
}

// Types a path into the file dialog's name box key by key and presses Enter, as a user
// does (the first Enter may only close the completion list).
void TypeIntoFileDialog(const QString& path)
{
    WhenModalIs<QFileDialog>([path](QFileDialog* d) {
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        // The name box has the keyboard, as when the dialog opens on a screen.
        QApplication::setActiveWindow(d);
        edit->setFocus();
        QTest::keyClicks(edit, path);
        for (int i = 0; i < 3 && d->isVisible(); ++i)
            QTest::keyClick(edit, Qt::Key_Return);
        if (d->isVisible())
            d->reject();
    });
}

QWidget* KeyBox(TChildWin* w)
{
    if (auto* c = dynamic_cast<TCompWin*>(w))
        return c->KeyInEdit;
    if (auto* s = dynamic_cast<TSchWin*>(w))
        return s->KeyInEdit;
    return nullptr;
}

class ChildKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetMsgResponder([this](const TMsgRecord& r) {
            messages.push_back(r.Text);
            return mrOk;
        });
        frame = std::make_unique<TMainWin>();
        frame->FirstActivate = false;
        frame->AutoSaveFolder = tmp.path() + "/";
        frame->SchemFolder = tmp.path() + "/";
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        ASSERT_TRUE(testutil::WriteFile(Bytes("DIODE.CMP"),
                                        CrLf({"COMPONENT", "<SHAPE>", "1", "-8", "0", "8", "0", "0"})));
        ASSERT_TRUE(testutil::WriteFile(Bytes("a.sch"), CrLf({"SCHEMATIC", "<SHAPE>", "1", "0", "0", "10", "0", "0",
                                                              "<SHAPE>", "1", "0", "5", "10", "5", "0"})));
    }
    void TearDown() override
    {
        for (TChildWin* c : frame->Children()) {
            if (auto* w = dynamic_cast<TCompWin*>(c))
                w->ClearModified();
            if (auto* w = dynamic_cast<TSchWin*>(c))
                w->ClearModified();
        }
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMsgResponder({});
    }
    QString Path(const char* name) const { return tmp.path() + "/" + name; }
    std::string Bytes(const char* name) const { return QFile::encodeName(Path(name)).toStdString(); }
    // The keyboard somewhere else in the frame, as after a click on the tool bar's list.
    void FocusElsewhere()
    {
        frame->DeviceCBox->setFocus();
        QApplication::processEvents();
    }
    // After the command, the active child and where the keys go, once every late event ran.
    void ExpectKeysWith(TChildWin* want)
    {
        QTest::qWait(300);   // a folder listing that arrives late reopens a stale completion list
        // A window manager gives the keyboard back to the frame once a dialog is gone; the
        // offscreen platform leaves that to us.
        QWidget* active = QApplication::activeWindow();
        if (active != frame.get() && (!active || !active->isVisible()))
            QApplication::setActiveWindow(frame.get());
        ASSERT_NE(want, nullptr);
        EXPECT_EQ(frame->ActiveChild(), want);
        QWidget* f = QApplication::focusWidget();
        EXPECT_EQ(f, KeyBox(want)) << (f ? f->metaObject()->className() : "none") << " "
                                   << (f ? qPrintable(f->objectName()) : "") << " in "
                                   << (f ? f->window()->metaObject()->className() : "")
                                   << " active " << (QApplication::activeWindow() ? QApplication::activeWindow()->metaObject()->className() : "none");
        EXPECT_FALSE(PopupShown());
    }

    QTemporaryDir tmp;
    std::unique_ptr<TMainWin> frame;
    std::vector<QString> messages;
};

TEST_F(ChildKeysTest, EveryWayAWindowIsMadeLeavesTheKeysWithIt)
{
    struct Case {
        const char* name;
        std::function<void()> run;
        TChildWin::TKind kind;
    };
    const Case cases[] = {
        {"New Component", [this] { frame->mnCreateCompClick(); }, TChildWin::TKind::Comp},
        {"Edit Component",
         [this] {
             TypeIntoFileDialog(Path("DIODE.CMP"));
             frame->mnEditCompClick();
         },
         TChildWin::TKind::Comp},
        {"the picker's Edit",
         [this] {
             WhenModalIs<TSelCompWin>([this](TSelCompWin* p) {
                 p->ChooseFolder = [this] { return tmp.path(); };
                 p->AltPathSpButClick();
                 p->CompNmeEdit->setText("DIODE");
                 p->EditCompBBut->click();
             });
             frame->mnGetComponentClick();
         },
         TChildWin::TKind::Comp},
        {"New Schematic", [this] { frame->mnNewClick(); }, TChildWin::TKind::Sch},
        {"Open",
         [this] {
             TypeIntoFileDialog(Path("a.sch"));
             frame->mnOpenClick();
         },
         TChildWin::TKind::Sch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FocusElsewhere();
        TChildWin* before = frame->ActiveChild();
        c.run();
        TChildWin* made = frame->ActiveChild();
        ASSERT_NE(made, nullptr);
        ASSERT_NE(made, before);
        EXPECT_EQ(made->Kind(), c.kind);
        ExpectKeysWith(made);
    }
    EXPECT_TRUE(messages.empty());

    // The edited component answers its shortcuts and keys at once.
    TypeIntoFileDialog(Path("DIODE.CMP"));
    frame->mnEditCompClick();
    auto* comp = dynamic_cast<TCompWin*>(frame->ActiveChild());
    ASSERT_NE(comp, nullptr);
    ExpectKeysWith(comp);
    ASSERT_EQ(comp->Model.ShapeList.size(), 1u);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(comp->Model.ShapeList.front().Selected, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(comp->Model.ShapeList.front().X1, -7);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(comp->Model.ShapeList.front().X1, 7);
}

TEST_F(ChildKeysTest, EveryWayAWindowIsBroughtForwardLeavesTheKeysWithIt)
{
    frame->mnNewClick();
    auto* sch = frame->ActiveChild();
    frame->mnCreateCompClick();
    auto* comp = frame->ActiveChild();
    frame->mnNewClick();
    auto* sch2 = frame->ActiveChild();
    ASSERT_TRUE(sch && comp && sch2);

    auto windowMenuItem = [this](TChildWin* w) -> QAction* {
        emit frame->mnWindow->aboutToShow();
        for (QAction* a : frame->mnWindow->actions())
            if (a->text().endsWith(' ' + w->windowTitle()) && a->isCheckable())
                return a;
        return nullptr;
    };
    struct Case {
        const char* name;
        std::function<void()> run;
        TChildWin* want;
    };
    const Case cases[] = {
        {"a tab",
         [&] {
             const QRect r = frame->TabChild->tabRect(frame->FindChildTab(sch));
             QTest::mouseClick(frame->TabChild, Qt::LeftButton, {}, r.center());
         },
         sch},
        {"the Window menu",
         [&] {
             QAction* a = windowMenuItem(comp);
             ASSERT_NE(a, nullptr);
             a->trigger();
         },
         comp},
        {"a tab of a component window", [&] {
             const QRect r = frame->TabChild->tabRect(frame->FindChildTab(sch2));
             QTest::mouseClick(frame->TabChild, Qt::LeftButton, {}, r.center());
             const QRect r2 = frame->TabChild->tabRect(frame->FindChildTab(comp));
             QTest::mouseClick(frame->TabChild, Qt::LeftButton, {}, r2.center());
         },
         comp},
        {"Next Window (F6)", [&] { QTest::keyClick(frame.get(), Qt::Key_F6); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FocusElsewhere();
        c.run();
        ExpectKeysWith(c.want ? c.want : frame->ActiveChild());
    }
}

TEST_F(ChildKeysTest, EveryFileDialogListsEveryFileUnderAllFilesAndStartsClean)
{
    ASSERT_TRUE(testutil::WriteFile(Bytes("NODOT"), "x"));
    auto* sch = new TSchWin();
    frame->ShowChild(sch, false);
    sch->Model.ShapeList.push_back({1, 0, 0, 10, 0, 0, 0});
    auto* comp = new TCompWin();
    frame->ShowChild(comp, false);
    comp->Model.ShapeList.push_back({1, 0, 0, 10, 0, 0, 0});
    struct Case {
        const char* name;
        std::function<void()> run;
        QStringList captions;
    };
    const Case cases[] = {
        {"Open", [this] { frame->mnOpenClick(); }, {"Schematic File (*.sch)", "All files (*.*)"}},
        {"Edit Component", [this] { frame->mnEditCompClick(); }, {"Component File (*.cmp)", "All files (*.*)"}},
        {"Open again", [this] { frame->mnOpenClick(); }, {"Schematic File (*.sch)", "All files (*.*)"}},
        {"schematic Save As", [sch] { sch->SaveSchemAs(); }, {"Component Files (*.sch)", "All Files (*.*)"}},
        {"component Save As", [comp] { comp->SaveCompAs(); }, {"Component Files (*.cmp)", "All Files (*.*)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList captions;
        QString nameAtStart = "unset";
        bool popupAtStart = true, listsNoDot = false;
        WhenModalIs<QFileDialog>([&](QFileDialog* d) {
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            nameAtStart = edit->text();
            popupAtStart = PopupShown();
            auto* combo = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(combo, nullptr);
            for (int i = 0; i < combo->count(); ++i)
                captions << combo->itemText(i);
            d->setDirectory(tmp.path());
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            auto* list = d->findChild<QListView*>(QStringLiteral("listView"));
            ASSERT_NE(list, nullptr);
            for (int i = 0; i < 100 && !listsNoDot; ++i) {
                QTest::qWait(10);
                const QModelIndex root = list->rootIndex();
                for (int r = 0; r < list->model()->rowCount(root); ++r)
                    listsNoDot |= list->model()->index(r, 0, root).data().toString() == "NODOT";
            }
            // A name typed with its completion list open, then the dialog cancelled.
            QTest::keyClicks(edit, tmp.path() + "/NO");
            if (edit->completer())
                edit->completer()->complete();
            d->reject();
        });
        c.run();
        EXPECT_EQ(captions, c.captions);
        EXPECT_TRUE(listsNoDot);
        // A reused dialog starts with an empty name box; a save dialog proposes no name for
        // a drawing without one.
        EXPECT_EQ(nameAtStart, "");
        EXPECT_FALSE(popupAtStart);
        QTest::qWait(200);
        EXPECT_FALSE(PopupShown());
    }
}

} // namespace

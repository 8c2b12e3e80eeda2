// Both kinds of child window leave the frame's area once, however they go.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>

#include <functional>
#include <memory>

#include "app/Main_.h"

namespace {

QStringList& Warnings()
{
    static QStringList list;
    return list;
}

void Pump()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(ChildLeavesTheArea, OnceForEveryKindAndEveryWayOut)
{
    struct Kind {
        const char* Name;
        void (TMainWin::*Make)();
    } kinds[] = {{"schematic", &TMainWin::mnNewClick}, {"component", &TMainWin::mnCreateCompClick}};
    struct Way {
        const char* Name;
        std::function<void(TMainWin&, TChildWin*)> Go;
    } ways[] = {
        {"its own close", [](TMainWin&, TChildWin* c) { c->close(); }},
        {"the Close command", [](TMainWin& f, TChildWin* c) {
             f.MdiClient->setActiveSubWindow(c);
             f.mnCloseClick();
         }},
        {"Close All", [](TMainWin& f, TChildWin*) { f.mnCloseAllClick(); }},
        {"destroyed unclosed", [](TMainWin&, TChildWin* c) { delete c; }},
    };
    for (const Kind& k : kinds)
        for (const Way& w : ways) {
            SCOPED_TRACE(std::string(k.Name) + ", " + w.Name);
            auto frame = std::make_unique<TMainWin>();
            frame->FirstActivate = false;
            frame->show();
            (frame.get()->*k.Make)();
            ASSERT_EQ(frame->Children().size(), 1);
            QPointer<TChildWin> child = frame->Children().first();
            Warnings().clear();
            const QtMessageHandler old = qInstallMessageHandler(
                [](QtMsgType, const QMessageLogContext&, const QString& m) { Warnings() << m; });
            w.Go(*frame, child);
            Pump();
            qInstallMessageHandler(old);
            EXPECT_TRUE(child.isNull());
            EXPECT_TRUE(frame->MdiClient->subWindowList().isEmpty());
            EXPECT_EQ(frame->TabChild->count(), 0);
            EXPECT_TRUE(Warnings().filter("QMdiArea").isEmpty()) << Warnings().join('\n').toStdString();
        }
}

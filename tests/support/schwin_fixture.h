#pragma once
// A schematic window on a frame, autosave off, message boxes answered OK and recorded,
// with mouse and key events sent through the window's real handlers.
#include "app/Main_.h"
#include "platform/msgbox.h"
#include "schematic/Schem_.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace testutil {

class SchWinFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        frame = std::make_unique<TMainWin>();
        frame->AutoSaveFolder = tmp.path() + "/";
        frame->mnAutoSave->setChecked(false);
        SetMsgResponder([this](const TMsgRecord& r) {
            messages.push_back(r.Text);
            return int(mrOk);
        });
        win = new TSchWin();
        frame->ShowChild(win, false);
        win->Client->resize(688, 434);
    }
    void TearDown() override
    {
        SetMsgResponder({});
        if (win)
            win->ClearModified();
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A mouse event to any widget, in its own pixels.
    static void SendTo(QWidget* to, QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, int x, int y,
                       Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPointF p(x, y);
        QMouseEvent e(type, p, to->mapToGlobal(p), b, held, mods);
        QCoreApplication::sendEvent(to, &e);
    }
    void Send(QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, int x, int y,
              Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        SendTo(win->Client, type, b, held, x, y, mods);
    }
    void Press(int x, int y, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        Send(QEvent::MouseButtonPress, b, b, x, y, m);
    }
    void Move(int x, int y, Qt::MouseButton held = Qt::LeftButton) { Send(QEvent::MouseMove, Qt::NoButton, held, x, y); }
    void Release(int x, int y, Qt::MouseButton b = Qt::LeftButton) { Send(QEvent::MouseButtonRelease, b, Qt::NoButton, x, y); }
    // A key press to the focus box (or another control), with the typed text if any.
    void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier, QWidget* to = nullptr, const QString& text = {})
    {
        QKeyEvent e(QEvent::KeyPress, key, m, text);
        QCoreApplication::sendEvent(to ? to : win->KeyInEdit, &e);
    }
    QString Panel(int i) const { return win->Panels[i]->text(); }

    QTemporaryDir tmp;
    std::unique_ptr<TMainWin> frame;
    QPointer<TSchWin> win;
    std::vector<QString> messages;
};

} // namespace testutil

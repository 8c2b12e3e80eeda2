#pragma once
// Answering modal dialogs from inside their own event loop.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace testutil {

// Runs `act` on the first modal dialog that opens (polling the event loop).
inline void WhenModal(std::function<void(QWidget*)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            act(w);
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace testutil

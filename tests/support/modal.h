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

// Runs `act` on the first modal dialog of type T that opens, passing over others (a dialog
// that opens a question of its own, for instance).
template <class T>
inline void WhenModalIs(std::function<void(T*)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(w);
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

} // namespace testutil

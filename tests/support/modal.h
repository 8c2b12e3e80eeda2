#pragma once
// Answering modal dialogs from inside their own event loop.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace testutil {

// Runs `act` on the first modal dialog of type T that opens, passing over others (a dialog
// that opens a question of its own, for instance).
template <class T>
inline void WhenModalIs(std::function<void(T*)> act)
{
    // The pending timer holds the poll; the poll only names itself, so it is freed once it
    // has run for the last time.
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [act, self] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(w);
            return;
        }
        if (auto again = self.lock())
            QTimer::singleShot(10, [again] { (*again)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

// Runs `act` on the first modal dialog that opens (polling the event loop).
inline void WhenModal(std::function<void(QWidget*)> act)
{
    WhenModalIs<QWidget>(std::move(act));
}

} // namespace testutil

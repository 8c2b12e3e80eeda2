#pragma once
// One running copy per user. The first copy holds a lock file and a local server, both
// named after the instance name, in the user's runtime folder. A later copy connects,
// sends one request and waits until the running copy has handled it. A lock left by a
// copy that died is taken over.
//
// Requests are queued and handed on one at a time from the event loop, never while the
// previous one is still being handled (its handler may sit in a message box), so a flood
// of requests cannot nest one handler inside another. What a flood can take is bounded:
// the requests queued and their bytes, the connections read at once, and those waiting to
// be read, which stay unread in the kernel. A connection that has not sent a whole request
// in time is dropped. A request turned away for want of room is not lost: the later copy
// was not told it was queued, and tries again.
//
// The running copy answers a request in one or two bytes: "Q" once it is queued, then
// "1" once it is handled; or "K" when it is queued but its connection cannot be held
// open until then (too many later copies waiting at once): it will be handled all the same.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/sys/handover.h"

class QLocalServer;
class QLocalSocket;
class QLockFile;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(QString name, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // Takes the lock and starts the server. False when another live copy holds the lock.
    bool Acquire();

    // From a later copy: hands the request to the running copy and waits until it has
    // been handled. Until the request is queued, a refused or dropped connection is tried
    // again for up to queueTimeoutMs; once it is queued, the wait lasts as long as the
    // running copy takes (it may show a message box first). False when the request could
    // not be queued in time, or the running copy went away before handling it.
    bool Send(const QByteArray& request, int queueTimeoutMs = 20000);

    // Longest request accepted; longer ones are dropped unread.
    static constexpr int MaxRequest = static_cast<int>(handover::kMaxBody);
    // Requests waiting to be handled, and their bytes; a request beyond these is turned away.
    static constexpr int MaxQueued = 4096;
    static constexpr qint64 MaxQueuedBytes = qint64{16} << 20;
    // Connections of queued requests held open for the answer; beyond these a request is
    // answered "K" at once.
    static constexpr int MaxHeld = 256;
    // Connections read at once; more wait unread, up to MaxWaiting, and beyond that are
    // closed at once (their copies try again).
    static constexpr int MaxIncoming = 64;
    static constexpr int MaxWaiting = 128;
    // A connection that has not sent a whole request by then is dropped.
    int IdleTimeoutMs = 10000;

    QString LockPath() const;
    QString ServerPath() const;
    // Requests waiting now, and connections still sending (for tests).
    int Queued() const { return static_cast<int>(Queue.size()); }
    int Incoming() const { return static_cast<int>(Readers.size()); }
    int WaitingUnread() const { return static_cast<int>(Waiting.size()); }

signals:
    // One request from a later copy; the reply goes back after every slot has returned.
    void RequestReceived(const QByteArray& request);

private:
    struct TWaiting {
        // Every copy waiting for this request's answer (the same request sent twice is one).
        std::vector<QPointer<QLocalSocket>> Sockets;
        QByteArray Body;
    };
    void OnIncoming(quintptr fd);
    void StartReading(quintptr fd);
    void TakeWaiting();
    void OnReadable(QLocalSocket* socket);
    void Drop(QLocalSocket* socket);
    // Tells the later copy its request is queued, and keeps its connection for the answer
    // while there is room; false when it was let go instead.
    bool Hold(QLocalSocket* socket);
    static void Answer(QLocalSocket* socket);
    void ScheduleNext();
    void HandleNext();

    QString Name;
    std::unique_ptr<QLockFile> Lock;
    QLocalServer* Server = nullptr;
    std::deque<TWaiting> Queue;
    qint64 QueuedBytes = 0;
    int Held = 0;
    // Accepted connections not read yet, as bare descriptors.
    std::deque<quintptr> Waiting;
    bool Handling = false;
    bool Scheduled = false;
    // Connections still sending their request, with what they sent so far.
    std::map<QLocalSocket*, handover::TFrameReader> Readers;
};

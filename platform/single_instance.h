#pragma once
// One running copy per user. The first copy holds a lock file and a local server, both
// named after the instance name, in the user's runtime folder. A later copy connects,
// sends one request and waits until the running copy has handled it. A lock left by a
// copy that died is taken over.
//
// Requests are queued and handed on one at a time from the event loop, never while the
// previous one is still being handled (its handler may sit in a message box), so a flood
// of requests cannot nest one handler inside another. The queue is bounded, and a
// connection that has not sent a whole request in time is dropped.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <map>
#include <memory>

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
    // been handled (or the running copy went away). False when no copy could be reached.
    bool Send(const QByteArray& request, int connectTimeoutMs = 5000);

    // Longest request accepted; longer ones are dropped unread.
    static constexpr int MaxRequest = 64 * 1024;
    // Requests waiting to be handled; a request beyond these is turned away.
    static constexpr int MaxQueued = 16;
    // Connections still sending their request; more are closed at once.
    static constexpr int MaxIncoming = 16;
    // A connection that has not sent a whole request by then is dropped.
    int IdleTimeoutMs = 10000;

    QString LockPath() const;
    QString ServerPath() const;
    // Requests waiting now, and connections still sending (for tests).
    int Queued() const { return static_cast<int>(Queue.size()); }
    int Incoming() const { return static_cast<int>(Readers.size()); }

signals:
    // One request from a later copy; the reply goes back after every slot has returned.
    void RequestReceived(const QByteArray& request);

private:
    struct TWaiting {
        QPointer<QLocalSocket> Socket;
        QByteArray Body;
    };
    void OnConnection();
    void OnReadable(QLocalSocket* socket);
    void Drop(QLocalSocket* socket);
    static void Answer(QLocalSocket* socket);
    void ScheduleNext();
    void HandleNext();

    QString Name;
    std::unique_ptr<QLockFile> Lock;
    QLocalServer* Server = nullptr;
    std::deque<TWaiting> Queue;
    bool Handling = false;
    bool Scheduled = false;
    // Connections still sending their request, with what they sent so far.
    std::map<QLocalSocket*, handover::TFrameReader> Readers;
};

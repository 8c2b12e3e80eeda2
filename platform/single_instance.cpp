#include "platform/single_instance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include <unistd.h>

namespace {

QString RuntimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

qint64 LockAgeMs(const QString& path)
{
    const QDateTime modified = QFileInfo(path).lastModified();
    return modified.isValid() ? std::abs(modified.msecsTo(QDateTime::currentDateTime())) : 0;
}

// Hands every accepted connection to the instance as a bare descriptor, so that one not
// read yet holds no buffer of ours.
class TServer : public QLocalServer {
public:
    TServer(std::function<void(quintptr)> onIncoming, QObject* parent)
        : QLocalServer(parent), OnIncoming(std::move(onIncoming))
    {
    }

protected:
    void incomingConnection(quintptr fd) override { OnIncoming(fd); }

private:
    std::function<void(quintptr)> OnIncoming;
};

} // namespace

TSingleInstance::TSingleInstance(QString name, QObject* parent) : QObject(parent), Name(std::move(name)) {}

TSingleInstance::~TSingleInstance()
{
    if (Server)
        Server->close();
    for (quintptr fd : Waiting)
        ::close(static_cast<int>(fd));
}

QString TSingleInstance::LockPath() const { return RuntimeFolder() + "/" + Name + ".lock"; }
QString TSingleInstance::ServerPath() const { return RuntimeFolder() + "/" + Name; }

bool TSingleInstance::Acquire()
{
    Lock = std::make_unique<QLockFile>(LockPath());
    // Age alone never makes the lock stale; a dead owner does.
    Lock->setStaleLockTime(0);
    // A copy that was just killed can look alive for a moment; give it that moment.
    if (!Lock->tryLock(500) && Lock->error() == QLockFile::LockFailedError) {
        // A copy killed while it was writing the lock leaves it without an owner to ask:
        // once it is older than any write could take, it is nobody's.
        qint64 pid = 0;
        QString host, app;
        if (!Lock->getLockInfo(&pid, &host, &app) && LockAgeMs(LockPath()) > 2000) {
            Lock->removeStaleLockFile();
            Lock->tryLock(500);
        }
    }
    if (!Lock->isLocked()) {
        if (Lock->error() == QLockFile::LockFailedError) {
            Lock.reset();
            return false;
        }
        // The runtime folder cannot hold a lock: run as the only copy we can tell of.
    }
    Server = new TServer([this](quintptr fd) { OnIncoming(fd); }, this);
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(ServerPath());
    Server->listen(ServerPath());
    return true;
}

void TSingleInstance::OnIncoming(quintptr fd)
{
    if (static_cast<int>(Readers.size()) < MaxIncoming && Waiting.empty()) {
        StartReading(fd);
        return;
    }
    if (static_cast<int>(Waiting.size()) < MaxWaiting) {
        Waiting.push_back(fd);   // its bytes stay in the kernel until a reader is free
        return;
    }
    ::close(static_cast<int>(fd));   // its copy was told nothing and tries again
}

void TSingleInstance::TakeWaiting()
{
    while (static_cast<int>(Readers.size()) < MaxIncoming && !Waiting.empty()) {
        const quintptr fd = Waiting.front();
        Waiting.pop_front();
        StartReading(fd);
    }
}

void TSingleInstance::StartReading(quintptr fd)
{
    auto* s = new QLocalSocket(Server);
    s->setReadBufferSize(4 + MaxRequest);
    if (!s->setSocketDescriptor(fd)) {
        delete s;
        ::close(static_cast<int>(fd));
        return;
    }
    connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    Readers.emplace(s, handover::TFrameReader());
    // Counted out however the connection ends; a reader's place goes to one waiting.
    connect(s, &QObject::destroyed, this, [this, s] {
        if (Readers.erase(s) != 0)
            QTimer::singleShot(0, this, [this] { TakeWaiting(); });
    });
    auto* timer = new QTimer(s);
    timer->setObjectName(QStringLiteral("idle"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, s] {
        if (Readers.count(s) != 0)
            Drop(s);
    });
    timer->start(IdleTimeoutMs);
    connect(s, &QLocalSocket::readyRead, this, [this, s] { OnReadable(s); });
    if (s->bytesAvailable() > 0)
        OnReadable(s);
}

void TSingleInstance::Drop(QLocalSocket* socket)
{
    Readers.erase(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    QTimer::singleShot(0, this, [this] { TakeWaiting(); });
}

bool TSingleInstance::Hold(QLocalSocket* s)
{
    if (Held >= MaxHeld) {
        s->write("K");
        s->flush();
        s->disconnectFromServer();
        return false;
    }
    s->write("Q");
    s->flush();
    ++Held;
    connect(s, &QObject::destroyed, this, [this] { --Held; });
    return true;
}

void TSingleInstance::OnReadable(QLocalSocket* s)
{
    const auto it = Readers.find(s);
    if (it == Readers.end()) {
        s->readAll();  // the request is in already; anything more is ignored
        return;
    }
    const QByteArray got = s->read(4 + MaxRequest);
    const auto state = it->second.Feed(std::string_view(got.constData(), static_cast<std::size_t>(got.size())));
    if (state == handover::TFrameReader::TState::NeedMore)
        return;
    if (state == handover::TFrameReader::TState::TooLong) {
        Drop(s);
        return;
    }
    const std::string& body = it->second.Body();
    const QByteArray request(body.data(), static_cast<qsizetype>(body.size()));
    Readers.erase(it);  // no longer incoming
    QTimer::singleShot(0, this, [this] { TakeWaiting(); });
    if (auto* t = s->findChild<QTimer*>(QStringLiteral("idle"), Qt::FindDirectChildrenOnly))
        t->stop();
    // The same request waiting already: its answer answers both.
    const auto same = std::find_if(Queue.begin(), Queue.end(), [&](const TWaiting& w) { return w.Body == request; });
    if (same != Queue.end()) {
        if (Hold(s))
            same->Sockets.push_back(s);
        return;
    }
    if (static_cast<int>(Queue.size()) >= MaxQueued || QueuedBytes + request.size() > MaxQueuedBytes) {
        Drop(s);   // not told it was queued: its copy tries again
        return;
    }
    TWaiting w;
    w.Body = request;
    if (Hold(s))
        w.Sockets.push_back(s);
    QueuedBytes += request.size();
    Queue.push_back(std::move(w));
    ScheduleNext();
}

void TSingleInstance::Answer(QLocalSocket* s)
{
    if (s && s->state() == QLocalSocket::ConnectedState) {
        s->write("1");
        s->flush();
        s->disconnectFromServer();
    }
}

void TSingleInstance::ScheduleNext()
{
    if (Handling || Scheduled || Queue.empty())
        return;
    Scheduled = true;
    QTimer::singleShot(0, this, [this] { HandleNext(); });
}

void TSingleInstance::HandleNext()
{
    Scheduled = false;
    if (Handling || Queue.empty())
        return;
    TWaiting next = std::move(Queue.front());
    Queue.pop_front();
    QueuedBytes -= next.Body.size();
    QPointer<TSingleInstance> self(this);
    Handling = true;
    // The handler may run a nested event loop (a message box): requests that come in
    // meanwhile wait in the queue.
    emit RequestReceived(next.Body);
    if (!self)
        return;
    Handling = false;
    for (const QPointer<QLocalSocket>& s : next.Sockets)
        Answer(s);
    ScheduleNext();
}

bool TSingleInstance::Send(const QByteArray& request, int queueTimeoutMs)
{
    if (request.size() > MaxRequest)
        return false;
    QElapsedTimer t;
    t.start();
    const std::string frame = handover::Frame(std::string_view(request.constData(), static_cast<std::size_t>(request.size())));
    const auto left = [&] { return std::max<qint64>(0, queueTimeoutMs - t.elapsed()); };
    // Tried again until the request is queued: the running copy may be starting (it takes
    // its lock just before it listens), or have no room for it at the moment.
    for (;;) {
        QLocalSocket s;
        s.connectToServer(ServerPath());
        if (s.waitForConnected(static_cast<int>(std::clamp<qint64>(left(), 1, 1000)))) {
            s.write(frame.data(), static_cast<qint64>(frame.size()));
            bool queued = false;
            while (s.state() == QLocalSocket::ConnectedState || s.bytesAvailable() > 0) {
                if (s.bytesAvailable() == 0) {
                    // Before the request is queued the wait is bounded; after, it is not.
                    if (!queued && left() == 0)
                        return false;
                    s.waitForReadyRead(queued ? 1000 : static_cast<int>(std::clamp<qint64>(left(), 1, 1000)));
                    continue;
                }
                const QByteArray c = s.read(1);
                if (c == "1" || c == "K")
                    return true;
                if (c == "Q")
                    queued = true;
            }
            if (queued)
                return false;   // the running copy went away before handling it
        }
        if (left() == 0)
            return false;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left(), 100)));
    }
}

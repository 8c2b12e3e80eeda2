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

} // namespace

TSingleInstance::TSingleInstance(QString name, QObject* parent) : QObject(parent), Name(std::move(name)) {}

TSingleInstance::~TSingleInstance()
{
    if (Server)
        Server->close();
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
    Server = new QLocalServer(this);
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(ServerPath());
    Server->listen(ServerPath());
    connect(Server, &QLocalServer::newConnection, this, &TSingleInstance::OnConnection);
    return true;
}

void TSingleInstance::OnConnection()
{
    while (QLocalSocket* s = Server->nextPendingConnection()) {
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        if (static_cast<int>(Readers.size()) >= MaxIncoming) {
            s->abort();
            s->deleteLater();
            continue;
        }
        Readers.emplace(s, handover::TFrameReader());
        // Counted out however the connection ends.
        connect(s, &QObject::destroyed, this, [this, s] { Readers.erase(s); });
        s->setReadBufferSize(4 + MaxRequest);
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
}

void TSingleInstance::Drop(QLocalSocket* socket)
{
    Readers.erase(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
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
    if (auto* t = s->findChild<QTimer*>(QStringLiteral("idle"), Qt::FindDirectChildrenOnly))
        t->stop();
    // The same request waiting already: it answers for both.
    const bool same = std::any_of(Queue.begin(), Queue.end(), [&](const TWaiting& w) { return w.Body == request; });
    if (same) {
        Answer(s);
        return;
    }
    if (static_cast<int>(Queue.size()) >= MaxQueued) {
        Drop(s);
        return;
    }
    Queue.push_back({s, request});
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
    QPointer<TSingleInstance> self(this);
    Handling = true;
    // The handler may run a nested event loop (a message box): requests that come in
    // meanwhile wait in the queue.
    emit RequestReceived(next.Body);
    if (!self)
        return;
    Handling = false;
    Answer(next.Socket);
    ScheduleNext();
}

bool TSingleInstance::Send(const QByteArray& request, int connectTimeoutMs)
{
    if (request.size() > MaxRequest)
        return false;
    QElapsedTimer t;
    t.start();
    QLocalSocket s;
    // The running copy takes its lock just before it listens: retry for a moment.
    for (;;) {
        s.connectToServer(ServerPath());
        if (s.waitForConnected(500))
            break;
        if (t.elapsed() >= connectTimeoutMs)
            return false;
        QThread::msleep(50);
    }
    const std::string frame = handover::Frame(std::string_view(request.constData(), static_cast<std::size_t>(request.size())));
    s.write(frame.data(), static_cast<qint64>(frame.size()));
    if (!s.waitForBytesWritten(5000))
        return false;
    // Wait as long as the running copy takes; it answers once it has handled the request.
    while (s.state() == QLocalSocket::ConnectedState) {
        if (s.bytesAvailable() > 0 || s.waitForReadyRead(1000))
            if (s.read(1) == "1")
                return true;
    }
    return s.bytesAvailable() > 0 && s.read(1) == "1";
}

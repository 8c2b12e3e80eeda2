#include "platform/single_instance.h"

#include <QDataStream>
#include <QDateTime>
#include <QFileInfo>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

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

// Frame: 4-byte big-endian length, then the bytes.
QByteArray Frame(const QByteArray& body)
{
    QByteArray out;
    const quint32 n = static_cast<quint32>(body.size());
    out.append(static_cast<char>((n >> 24) & 0xFF));
    out.append(static_cast<char>((n >> 16) & 0xFF));
    out.append(static_cast<char>((n >> 8) & 0xFF));
    out.append(static_cast<char>(n & 0xFF));
    out.append(body);
    return out;
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
        connect(s, &QLocalSocket::readyRead, this, [this, s] { OnReadable(s); });
        if (s->bytesAvailable() > 0)
            OnReadable(s);
    }
}

void TSingleInstance::OnReadable(QLocalSocket* socket)
{
    QPointer<QLocalSocket> s(socket);
    if (s->property("handled").toBool())
        return;
    if (s->bytesAvailable() < 4)
        return;
    const QByteArray head = s->peek(4);
    const quint32 n = (quint32(uchar(head[0])) << 24) | (quint32(uchar(head[1])) << 16) |
                      (quint32(uchar(head[2])) << 8) | quint32(uchar(head[3]));
    if (n > static_cast<quint32>(MaxRequest)) {
        s->setProperty("handled", true);
        s->abort();
        return;
    }
    if (s->bytesAvailable() < 4 + static_cast<qint64>(n))
        return;
    s->read(4);
    const QByteArray body = s->read(n);
    // The handler may run a nested event loop (a message box); answer only once.
    s->setProperty("handled", true);
    emit RequestReceived(body);
    if (s && s->state() == QLocalSocket::ConnectedState) {
        s->write("1");
        s->flush();
        s->disconnectFromServer();
    }
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
    s.write(Frame(request));
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

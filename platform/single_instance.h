#pragma once
// One running copy per user. The first copy holds a lock file and a local server, both
// named after the instance name, in the user's runtime folder. A later copy connects,
// sends one request and waits until the running copy has handled it. A lock left by a
// copy that died is taken over.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

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

    QString LockPath() const;
    QString ServerPath() const;

signals:
    // One request from a later copy; the reply goes back after every slot has returned.
    void RequestReceived(const QByteArray& request);

private:
    void OnConnection();
    void OnReadable(QLocalSocket* socket);

    QString Name;
    std::unique_ptr<QLockFile> Lock;
    QLocalServer* Server = nullptr;
};

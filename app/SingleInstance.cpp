#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <memory>

#include "app/Profile.h"

namespace {

QString RuntimeDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

constexpr int kMaxMessage = 4096;

}  // namespace

CInstanceLock::CInstanceLock() : lock_(Path()) {
    lock_.setStaleLockTime(0);  // only a dead owner makes the lock stale, never its age
}

QString CInstanceLock::Path() {
    return RuntimeDir() + "/__Velmora__.lock";
}

bool CInstanceLock::TryAcquire() {
    return lock_.tryLock(0);
}

bool HandOverToRunningInstance(const std::optional<QString>& path, int patienceMs) {
    QDeadlineTimer deadline(patienceMs);
    for (;;) {
        CProfile::Refresh();
        const QString name = CProfile::Get(profile::kInstance);
        if (!name.isEmpty()) {
            QLocalSocket socket;
            socket.connectToServer(name);
            if (socket.waitForConnected(500)) {
                // The mailbox is written before the wake-up, so the running player reads it.
                CProfile::Write(profile::kHandOverFile, path.value_or(QString()));
                QByteArray message = path ? "open\n" : "activate\n";
                const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
                if (!token.isEmpty() && !token.contains('\n')) message += "token " + token + '\n';
                socket.write(message);
                socket.waitForBytesWritten(1000);
                socket.disconnectFromServer();
                if (socket.state() != QLocalSocket::UnconnectedState)
                    socket.waitForDisconnected(1000);
                return true;
            }
        }
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
}

CInstanceServer::CInstanceServer(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &CInstanceServer::OnConnection);
}

CInstanceServer::~CInstanceServer() {
    server_->close();
}

QString CInstanceServer::Listen() {
    const QString name =
        RuntimeDir() + QStringLiteral("/velmora-%1.sock").arg(QCoreApplication::applicationPid());
    QLocalServer::removeServer(name);
    return server_->listen(name) ? server_->fullServerName() : QString();
}

void CInstanceServer::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [socket, received] {
            *received += socket->readAll();
            if (received->size() > kMaxMessage) socket->abort();  // not one of ours
        });
        // The sender closes the connection once it has written everything: act then.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, received] {
            socket->deleteLater();
            if (received->size() > kMaxMessage) return;
            *received += socket->readAll();
            const QList<QByteArray> lines = received->split('\n');
            QString token;
            for (const QByteArray& line : lines)
                if (line.startsWith("token ")) token = QString::fromUtf8(line.mid(6));
            if (lines.first() == "open") emit handOver();
            if (lines.first() == "open" || lines.first() == "activate") emit activate(token);
        });
    }
}

#include "app/SingleInstance.h"

#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <cerrno>
#include <memory>

#include "app/Profile.h"

namespace {

QString RuntimeDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

constexpr int kMaxMessage = 16384;
// How long a sender waits for the answer. The running player answers from its event loop, which
// a slow file open can hold up; a player that closes answers nothing and drops the connection.
constexpr int kAnswerPatienceMs = 10000;

bool Send(const QString& name, const QByteArray& message, const std::optional<QString>& path) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(500)) return false;
    // The mailbox is written before the wake-up, so the running player can read it.
    CProfile::Write(profile::kHandOverFile, path.value_or(QString()));
    socket.write(message);
    if (!socket.waitForBytesWritten(1000)) return false;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kAnswerPatienceMs))
        answer += socket.readAll();
    return answer.startsWith("ok\n");
}

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

QString InstanceSocketPath(qint64 pid) {
    return RuntimeDir() + QStringLiteral("/velmora-%1.sock").arg(pid);
}

bool HandOverToRunningInstance(const std::optional<QString>& path) {
    QByteArray message = path ? "open\n" : "activate\n";
    if (path) message += "path " + path->toUtf8().toPercentEncoding() + '\n';
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty() && !token.contains('\n')) message += "token " + token + '\n';
    message += "end\n";

    // The published name first; then the socket of the lock's owner, which needs no settings.
    CProfile::Refresh();
    QStringList names{CProfile::Get(profile::kInstance)};
    qint64 owner = 0;
    QString host, app;
    if (QLockFile(CInstanceLock::Path()).getLockInfo(&owner, &host, &app) && owner > 0)
        names << InstanceSocketPath(owner);
    names.removeAll(QString());
    names.removeDuplicates();
    for (const QString& name : names)
        if (Send(name, message, path)) return true;
    return false;
}

void RemoveStaleInstanceSockets() {
    const QDir dir(RuntimeDir());
    for (const QString& entry : dir.entryList({"velmora-*.sock"}, QDir::System | QDir::Files)) {
        bool isNumber = false;
        const qint64 pid = entry.mid(8, entry.size() - 13).toLongLong(&isNumber);
        if (!isNumber || pid == QCoreApplication::applicationPid()) continue;
        const QString path = dir.filePath(entry);
        bool stale = pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
        if (!stale) {
            // The process is there, but it may be another program under a reused id.
            QLocalSocket probe;
            probe.connectToServer(path);
            stale = !probe.waitForConnected(200) &&
                    (probe.error() == QLocalSocket::ConnectionRefusedError ||
                     probe.error() == QLocalSocket::ServerNotFoundError);
        }
        if (stale) QFile::remove(path);
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
    const QString name = InstanceSocketPath(QCoreApplication::applicationPid());
    QLocalServer::removeServer(name);
    return server_->listen(name) ? server_->fullServerName() : QString();
}

void CInstanceServer::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
            *received += socket->readAll();
            if (received->size() > kMaxMessage) socket->abort();  // not one of ours
            if (received->size() > kMaxMessage || !received->endsWith("\nend\n")) return;
            const QList<QByteArray> lines = received->split('\n');
            const bool open = lines.first() == "open";
            if (!open && lines.first() != "activate") {
                socket->abort();
                return;
            }
            QString path, token;
            for (const QByteArray& line : lines) {
                if (line.startsWith("path "))
                    path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5)));
                if (line.startsWith("token ")) token = QString::fromUtf8(line.mid(6));
            }
            // Answered first: the sender has done its part once the message is taken.
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            // Acted on after this handler returns, since opening a file may run a dialog's loop.
            QMetaObject::invokeMethod(
                this,
                [this, open, path, token] {
                    if (open) emit handOver(path);
                    emit activate(token);
                },
                Qt::QueuedConnection);
        });
    }
}

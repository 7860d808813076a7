#pragma once
// One running player per user. The first process holds a lock file in the per-user runtime folder
// for its whole life and listens on a local socket there, named after its process id, so that a
// second start finds it from the lock file's owner alone; the path is also stored in
// "설정"/"인스턴스". A second process writes its path to "설정"/"파일", wakes the first through the
// socket and ends.
//
// Messages are lines, ended by a line "end":
//   "open"      a path was handed over
//   "activate"  only come to the front
//   "path <percent-encoded path>"  the path itself, for when the settings cannot be written
//   "token <activation token>"     optional
// The running player answers "ok" once it has taken the message; a sender that gets no answer
// has not handed anything over. The socket is reachable by its own user only.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <optional>

class QLocalServer;

// The instance mutex.
class CInstanceLock {
  public:
    CInstanceLock();
    // Takes the lock unless a live process holds it; a dead owner's lock is taken over.
    bool TryAcquire();
    static QString Path();

  private:
    QLockFile lock_;
};

// The socket path the player with process id `pid` listens on.
QString InstanceSocketPath(qint64 pid);

// Second-start side, one attempt: hands `path` (or nothing) to the running player, found through
// "설정"/"인스턴스" or the lock file's owner. Returns false when no running player took it.
bool HandOverToRunningInstance(const std::optional<QString>& path);

// Removes the sockets of players that are gone (their process is dead or nobody listens), which
// a killed player leaves behind. A live player's socket is kept.
void RemoveStaleInstanceSockets();

// Running side: listens for hand-overs. Lives as long as the main window; deleting it refuses
// whatever has not been answered yet, so its sender tries again.
class CInstanceServer : public QObject {
    Q_OBJECT
  public:
    explicit CInstanceServer(QObject* parent = nullptr);
    ~CInstanceServer() override;
    // Starts listening; returns the socket path to publish, or empty when listening failed.
    QString Listen();

  signals:
    // A second start handed a path over; `path` is what came on the socket (empty from a sender
    // that only wrote "설정"/"파일").
    void handOver(const QString& path);
    // A second start asks the window to come forward; token is empty when none was given.
    void activate(const QString& activationToken);

  private:
    void OnConnection();
    QLocalServer* server_;
};

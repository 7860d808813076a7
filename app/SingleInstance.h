#pragma once
// One running player per user. The first process holds a lock file in the per-user runtime folder
// for its whole life and listens on a local socket whose path it stores in "설정"/"인스턴스". A
// second process writes its path to "설정"/"파일", wakes the first through that socket and ends.
//
// The wake-up carries no path: the settings value is the mailbox, so a message on the socket can
// never make the player open something by itself. Messages are single lines:
//   "open"      a path waits in "설정"/"파일"
//   "activate"  only come to the front
// optionally followed by a line "token <activation token>".

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
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

// Second-start side: hands `path` (or nothing) to the running player. Retries for up to
// `patienceMs` while the running player has not published its socket yet. Returns false when no
// running player answered: the caller then starts as a full instance.
bool HandOverToRunningInstance(const std::optional<QString>& path, int patienceMs = 3000);

// Running side: listens for hand-overs. Lives as long as the main window.
class CInstanceServer : public QObject {
    Q_OBJECT
  public:
    explicit CInstanceServer(QObject* parent = nullptr);
    ~CInstanceServer() override;
    // Starts listening; returns the socket path to publish, or empty when listening failed.
    QString Listen();

  signals:
    // A second start wrote a path to "설정"/"파일".
    void handOver();
    // A second start asks the window to come forward; token is empty when none was given.
    void activate(const QString& activationToken);

  private:
    void OnConnection();
    QLocalServer* server_;
};

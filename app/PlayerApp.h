#pragma once
// The application object: reads the command line, roots the settings store, keeps to one running
// player per user, and creates the main window.

#include <QString>
#include <memory>
#include <optional>

class CInstanceLock;
class CMainFrame;
class QSocketNotifier;

class CPlayerApp {
  public:
    CPlayerApp();
    ~CPlayerApp();

    // The start-up sequence. Returns false when the process should end at once (the path was
    // handed over to the running player), true to run the event loop.
    bool InitInstance(const QStringList& arguments);

    CMainFrame* MainFrame() const { return frame_.get(); }

    // The media path named by the command line (program name excluded), or nothing. A file:// URL
    // (as desktop launchers pass it) becomes its local path.
    static std::optional<QString> PathFromArguments(const QStringList& arguments);

  private:
    void CatchTerminationSignals();
    void CloseOnTerminationSignals();

    std::unique_ptr<CInstanceLock> lock_;
    std::unique_ptr<CMainFrame> frame_;
    QSocketNotifier* signalNotifier_ = nullptr;
};

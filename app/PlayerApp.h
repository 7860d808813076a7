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
    // The process's exit status when InitInstance returned false.
    int ExitCode() const { return exitCode_; }

    // The media path named by the command line (program name excluded), or nothing. A file:// URL
    // (as desktop launchers pass it) becomes its local path; a local path is made absolute against
    // the working folder, since the running player that may receive it has its own. Network
    // addresses ("mms:", "http:" ...) stay as they are.
    static std::optional<QString> PathFromArguments(const QStringList& arguments);

    // The file the player core may begin loading while the window is made: the command line's
    // path when it is a local media file that the window will load just as it is (no playlist,
    // link or caption file) and the picture will be drawn in software. Empty otherwise.
    static QString StartLoadPath(const QStringList& arguments);

    // From now on a settings file that cannot be written is reported to the user, once, in a
    // message box that does not wait for an answer.
    static void ReportSettingsWriteFailures();

  private:
    void CatchTerminationSignals();
    void CloseOnTerminationSignals();
    static void WarmUpFonts();

    bool BecomeInstanceOrHandOver(const std::optional<QString>& path);
    void AskAboutAssociations();

    std::unique_ptr<CInstanceLock> lock_;
    int exitCode_ = 0;
    std::unique_ptr<CMainFrame> frame_;
    QSocketNotifier* signalNotifier_ = nullptr;
};

#include "app/PlayerApp.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>
#include <QUrl>
#include <csignal>

#include "app/CommandLine.h"
#include "app/Profile.h"
#include "app/SingleInstance.h"
#include "app/StartupTrace.h"
#include "captions/CaptionSource.h"
#include "dialogs/Notice.h"
#include "frame/MainFrame.h"
#include "playback/VideoSurface.h"

namespace caps = velmora::captions;

namespace {

int g_signalPipe[2] = {-1, -1};

// How long a start waits for a running player that holds the lock to answer or to end.
constexpr int kInstancePatienceMs = 15000;

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

CPlayerApp::CPlayerApp() = default;

CPlayerApp::~CPlayerApp() {
    frame_.reset();
    if (g_signalPipe[0] >= 0) {
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
    }
}

std::optional<QString> CPlayerApp::PathFromArguments(const QStringList& arguments) {
    std::vector<std::string> args;
    for (const QString& a : arguments) args.push_back(a.toStdString());
    const cmdline::Parsed parsed = cmdline::Parse(
        args, [](const std::string& p) { return QFileInfo::exists(QString::fromStdString(p)); });
    if (!parsed.path) return std::nullopt;
    QString path = QString::fromStdString(*parsed.path);
    if (path.startsWith("file://", Qt::CaseInsensitive)) {
        const QUrl url(path);
        if (url.isLocalFile()) path = url.toLocalFile();
    }
    static const QRegularExpression address("^[A-Za-z][A-Za-z0-9+.-]+:");
    if (path.isEmpty() || (address.match(path).hasMatch() && !QFileInfo::exists(path))) return path;
    return QFileInfo(path).absoluteFilePath();
}

QString CPlayerApp::StartLoadPath(const QStringList& arguments) {
    const std::optional<QString> path = PathFromArguments(arguments);
    if (!path || !SoftwareVideoPathCertain()) return {};
    const QFileInfo info(*path);
    const std::string utf8 = path->toStdString();
    // What the window resolves first (links, desktop entries) or reads itself (playlists,
    // caption files) is left to it.
    if (!info.isAbsolute() || !info.isFile() || info.isSymLink() ||
        path->endsWith(".desktop", Qt::CaseInsensitive) || caps::IsPlaylistFileName(utf8) ||
        caps::IsCaptionFileName(utf8))
        return {};
    const caps::OpenMediaPlan plan = caps::PlanOpenMedia(utf8, {}, [](const std::string& p) {
        return QFileInfo::exists(QString::fromStdString(p));
    });
    if (plan.action != caps::OpenMediaPlan::Action::LoadFile || plan.target != utf8) return {};
    return *path;
}

void CPlayerApp::ReportSettingsWriteFailures() {
    CProfile::SetWriteFailureHandler([](const QString& file) {
        ShowNotice(nullptr, "설정 파일에 저장할 수 없습니다: " + file);
    });
}

// Only the holder of the lock runs as the player. Without the lock, the path goes to the running
// player; when that one does not answer (it is starting, or closing and about to free the lock),
// both are tried again until one works.
bool CPlayerApp::BecomeInstanceOrHandOver(const std::optional<QString>& path) {
    lock_ = std::make_unique<CInstanceLock>();
    const QDeadlineTimer deadline(kInstancePatienceMs);
    while (!lock_->TryAcquire()) {
        if (HandOverToRunningInstance(path)) return false;
        if (deadline.hasExpired()) {
            ShowNotice(nullptr, "실행 중인 Velmora가 응답하지 않습니다.", true);
            exitCode_ = 1;
            return false;
        }
        QThread::msleep(50);
    }
    RemoveStaleInstanceSockets();
    return true;
}

bool CPlayerApp::InitInstance(const QStringList& arguments) {
    // 1. The command line.
    const std::optional<QString> path = PathFromArguments(arguments);

    // 2. The settings store.
    CProfile::Root();
    startup_trace::Mark("settings read");

    // 3. One player per user: a second start hands its path over and ends.
    if (!BecomeInstanceOrHandOver(path)) return false;
    startup_trace::Mark("single instance");
    ReportSettingsWriteFailures();

    // 4-5. The main window. A termination signal that arrives while it is being made closes it
    // as soon as it exists.
    CatchTerminationSignals();
    WarmUpFonts();
    frame_ = std::make_unique<CMainFrame>();
    // 6. The command-line medium, opened as soon as the parts exist so that the player core
    // reads it while the window is placed and shown.
    const auto openPath = [this, &path] {
        frame_->OpenMediaPath(frame_->ResolveShortcut(*path));
        startup_trace::Mark("open sent");
    };
    if (!frame_->CreateAndShow(path ? std::function<void()>(openPath) : nullptr)) {
        exitCode_ = 1;
        return false;
    }
    startup_trace::Mark("window shown");
    CloseOnTerminationSignals();
    // However the event loop ends (the session closing, say), the window closes in order first.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, frame_.get(),
                     [this] { frame_->close(); });

    // 7. On the first run, the offer to become the default player.
    if (CProfile::Get(profile::kAssociationDue) != 0) AskAboutAssociations();
    return true;
}

// The first text measured loads the font database and finds the faces for Hangul, which takes
// a good part of laying out the window. Done here, it runs while the player core still loads on
// its worker thread.
void CPlayerApp::WarmUpFonts() {
    for (const char* widget : {"QMenuBar", "QLabel"})
        QFontMetrics(QApplication::font(widget)).horizontalAdvance(QStringLiteral("재생 0:00"));
}

// The question waits over the window without holding up start-up: the event loop (hand-overs,
// playback, closing) runs meanwhile. Yes and No settle it; Cancel or closing the box leaves it due
// for the next start.
void CPlayerApp::AskAboutAssociations() {
    auto* box = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Velmora"),
        QStringLiteral("이 컴퓨터의 기본 미디어 재생기로 Velmora를 이용하시겠습니까?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, frame_.get());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Yes)->setText(QStringLiteral("예"));
    box->button(QMessageBox::No)->setText(QStringLiteral("아니요"));
    box->button(QMessageBox::Cancel)->setText(QStringLiteral("취소"));
    box->setDefaultButton(QMessageBox::Yes);
    CMainFrame* frame = frame_.get();
    QObject::connect(box, &QMessageBox::finished, frame, [frame](int answer) {
        // Only Yes and No settle it: Cancel, and a box closed with the window (which finishes
        // it as rejected, not as Cancel), leave it due.
        if (answer != QMessageBox::Yes && answer != QMessageBox::No) return;
        if (answer == QMessageBox::Yes) frame->OnAssociations();
        CProfile::Write(profile::kAssociationDue, 0);
    });
    box->open();
}

// SIGTERM and SIGINT close the window the orderly way, as at logout, so settings are saved. The
// handler only writes to a pipe; the GUI thread does the work.
void CPlayerApp::CatchTerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void CPlayerApp::CloseOnTerminationSignals() {
    if (g_signalPipe[0] < 0) return;
    signalNotifier_ = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, frame_.get());
    QObject::connect(signalNotifier_, &QSocketNotifier::activated, frame_.get(), [this] {
        char byte;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        frame_->close();
    });
}

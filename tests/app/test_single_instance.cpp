// One player per user, with the real program started as second and third processes.

#include <gtest/gtest.h>
#include <signal.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "app/PlayerApp.h"
#include "app/Profile.h"
#include "app/SingleInstance.h"
#include "frame/MainFrame.h"
#include "tests/support/TestEnv.h"

namespace {

using testenv::WaitUntil;

// Every test gets its own per-user folders, shared with the processes it starts.
class InstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
        const QString run = home_.path() + "/run";
        qputenv("XDG_RUNTIME_DIR", run.toUtf8());
        QDir().mkpath(run);
        QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        CProfile::Root();
        CProfile::Write(profile::kAssociationDue, 0);  // the players started do not ask
    }
    void TearDown() override {
        for (auto& p : processes_) p->kill();
        for (auto& p : processes_) p->waitForFinished(3000);
        CProfile::SetWriteFailureHandler({});
    }

    QProcess* Start(const QStringList& args = {}, const QString& folder = {}) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!folder.isEmpty()) p->setWorkingDirectory(folder);
        p->start(VELMORA_BINARY, args);
        EXPECT_TRUE(p->waitForStarted(5000));
        processes_.push_back(std::move(p));
        return processes_.back().get();
    }
    static bool Finished(QProcess* p) { return p->state() == QProcess::NotRunning; }
    static bool ExitsCleanly(QProcess* p) {
        return WaitUntil([&] { return Finished(p); }, 10000) &&
               p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
    }

    // The socket path the running player published, re-read from the file.
    static QString Published() {
        CProfile::Refresh();
        return CProfile::Get(profile::kInstance);
    }
    static QString PidOf(QProcess* p) { return QString("-%1.sock").arg(p->processId()); }

    QTemporaryDir home_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(InstanceTest, ASecondStartHandsItsPathToTheRunningWindowExactlyOnce) {
    CInstanceLock lock;
    ASSERT_TRUE(lock.TryAcquire());
    CMainFrame frame;
    ASSERT_TRUE(frame.CreateAndShow());
    QSignalSpy opened(&frame, &CMainFrame::mediaPathOpened);

    const QString odd = home_.path() + "/영화 폴더/it's \"a\" film;1.mp4";
    QProcess* second = Start({"-switch", odd, "other.mp4"});
    ASSERT_TRUE(ExitsCleanly(second));
    ASSERT_TRUE(WaitUntil([&] { return opened.count() == 1; }));
    EXPECT_EQ(opened.at(0).at(0).toString(), odd);
    EXPECT_EQ(CProfile::Get(profile::kHandOverFile), odd);

    // A relative path means the file in the folder the second start was made from.
    const QString elsewhere = home_.path() + "/다른 폴더";
    QDir().mkpath(elsewhere);
    QProcess* relative = Start({"x.mp4"}, elsewhere);
    ASSERT_TRUE(WaitUntil([&] { return opened.count() == 2; }, 10000));
    EXPECT_EQ(opened.at(1).at(0).toString(), elsewhere + "/x.mp4");
    EXPECT_TRUE(ExitsCleanly(relative));

    // Without a file: the mailbox is emptied and nothing is opened.
    QProcess* third = Start();
    ASSERT_TRUE(ExitsCleanly(third));
    testenv::Spin(300);
    EXPECT_EQ(opened.count(), 2);
    CProfile::Refresh();
    EXPECT_EQ(CProfile::Get(profile::kHandOverFile, "unset"), "");
}

TEST_F(InstanceTest, TwoStartsAtOnceLeaveExactlyOnePlayer) {
    QProcess* a = Start({"a.mp4"});
    QProcess* b = Start({"b.mp4"});
    ASSERT_TRUE(WaitUntil([&] { return Finished(a) || Finished(b); }, 15000));
    testenv::Spin(1000);
    QProcess* survivor = Finished(a) ? b : a;
    QProcess* handedOver = Finished(a) ? a : b;
    EXPECT_FALSE(Finished(survivor));
    EXPECT_EQ(handedOver->exitCode(), 0);
    EXPECT_TRUE(Published().endsWith(PidOf(survivor)));
}

TEST_F(InstanceTest, TheNextStartAfterAKilledPlayerRunsAndTerminationSavesSettings) {
    QProcess* first = Start();
    ASSERT_TRUE(WaitUntil([&] { return Published().endsWith(PidOf(first)); }, 10000));
    const QString leftBehind = InstanceSocketPath(first->processId());
    ::kill(pid_t(first->processId()), SIGKILL);
    ASSERT_TRUE(WaitUntil([&] { return Finished(first); }));
    ASSERT_TRUE(QFile::exists(leftBehind));
    QLocalServer live;  // someone else's socket that is in use
    ASSERT_TRUE(live.listen(InstanceSocketPath(QCoreApplication::applicationPid())));

    QProcess* next = Start({"film.mp4"});
    ASSERT_TRUE(WaitUntil([&] { return Published().endsWith(PidOf(next)); }, 10000));
    EXPECT_FALSE(Finished(next));
    EXPECT_FALSE(QFile::exists(leftBehind));
    EXPECT_TRUE(QFile::exists(live.fullServerName()));
    EXPECT_EQ(CProfile::Get(profile::kFramed, -1), -1);  // nothing saved yet

    // SIGTERM closes the window the orderly way: settings are written and the exit is clean.
    ::kill(pid_t(next->processId()), SIGTERM);
    ASSERT_TRUE(ExitsCleanly(next));
    CProfile::Refresh();
    EXPECT_EQ(CProfile::Get(profile::kFramed, -1), 1);
}

// A player that is closing holds the lock but drops every hand-over unanswered. A start then
// neither counts its file as handed over nor runs beside it: it waits for the lock and runs as the
// player itself, with its own file.
TEST_F(InstanceTest, AStartFacingAClosingPlayerWaitsForTheLockAndOpensItsOwnFile) {
    const QString folder = home_.path() + "/폴더";
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::copy(testenv::VideoClip(), folder + "/x.mp4"));
    auto closing = std::make_unique<CInstanceLock>();
    ASSERT_TRUE(closing->TryAcquire());
    auto dropping = std::make_unique<QLocalServer>();
    ASSERT_TRUE(dropping->listen(InstanceSocketPath(QCoreApplication::applicationPid())));
    int dropped = 0;
    QObject::connect(dropping.get(), &QLocalServer::newConnection, [&] {
        while (QLocalSocket* s = dropping->nextPendingConnection()) {
            ++dropped;
            delete s;
        }
    });
    QProcess* p = Start({"x.mp4"}, folder);
    ASSERT_TRUE(WaitUntil([&] { return dropped >= 3; }, 10000));
    EXPECT_FALSE(Finished(p));
    dropping.reset();
    closing.reset();

    ASSERT_TRUE(WaitUntil([&] { return Published().endsWith(PidOf(p)); }, 15000));
    EXPECT_FALSE(CInstanceLock().TryAcquire());
    EXPECT_TRUE(WaitUntil([] {
        CProfile::Refresh();
        return !CProfile::Get(profile::kLastFolder).isEmpty();
    }));
    EXPECT_EQ(CProfile::Get(profile::kLastFolder), folder);
}

// The first-run question closed with the window (by a termination signal, say) is no answer: it
// is asked again at the next start. Yes and No settle it (the first-run test of the real program).
TEST_F(InstanceTest, TheFirstRunQuestionClosedWithTheWindowStaysDue) {
    CProfile::Write(profile::kAssociationDue, 1);
    CPlayerApp app;
    ASSERT_TRUE(app.InitInstance({"velmora"}));
    QMessageBox* box = app.MainFrame()->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return box->isVisible(); }));
    app.MainFrame()->close();
    CProfile::Refresh();
    EXPECT_EQ(CProfile::Get(profile::kAssociationDue), 1);
}

// Settings that cannot be written: the hand-over still arrives, and the user hears of it once.
TEST_F(InstanceTest, UnwritableSettingsKeepTheSingleInstanceAndAreReportedOnce) {
    QFile blocker(home_.path() + "/config/Velmora");  // a file where the folder should be
    QDir(blocker.fileName()).removeRecursively();
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    CProfile::Root();
    CPlayerApp::ReportSettingsWriteFailures();
    CInstanceLock lock;
    ASSERT_TRUE(lock.TryAcquire());
    auto frame = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame->CreateAndShow());
    QSignalSpy opened(frame.get(), &CMainFrame::mediaPathOpened);

    const QString film = home_.path() + "/film.mp4";
    QProcess* second = Start({film});
    ASSERT_TRUE(ExitsCleanly(second));
    ASSERT_TRUE(WaitUntil([&] { return opened.count() == 1; }));
    EXPECT_EQ(opened.at(0).at(0).toString(), film);

    frame->close();  // saving fails again, without a second report
    frame.reset();
    QList<QMessageBox*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) shown << box;
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0]->text().contains(CProfile::FilePath()));
    EXPECT_EQ(shown[0]->buttons().value(0)->text(), "확인");
    delete shown[0];
}

TEST(PathFromArguments, LocalPathsBecomeAbsoluteAndAddressesStay) {
    const QString here = QDir::currentPath();
    for (const auto& [arg, path] : {std::pair<QString, QString>{"x.mp4", here + "/x.mp4"},
                                    {"file:///tmp/a%20b.mp4", "/tmp/a b.mp4"},
                                    {"mms://host/stream", "mms://host/stream"}})
        EXPECT_EQ(CPlayerApp::PathFromArguments({arg}), std::optional(path)) << arg.toStdString();
}

// Only a plain local media file, on the software video path, is loaded before the window asks.
TEST(StartLoadPath, OnlyAPlainLocalMediaFileOnTheSoftwarePath) {
    QTemporaryDir dir;
    const QString d = dir.path();
    for (const char* name : {"film.mp4", "list.m3u", "film.smi", "app.desktop", "noext"})
        testenv::WriteFile(d + "/" + name, "x");
    QFile::link(d + "/film.mp4", d + "/link.mp4");
    QDir(d).mkdir("folder.mp4");
    // File, video path, whether it is loaded at start.
    const std::tuple<const char*, const char*, bool> rows[] = {
        {"film.mp4", "sw", true},  {"film.mp4", "gl", false},    {"list.m3u", "sw", false},
        {"film.smi", "sw", false}, {"app.desktop", "sw", false}, {"noext", "sw", false},
        {"link.mp4", "sw", false}, {"folder.mp4", "sw", false},  {"gone.mp4", "sw", false},
    };
    for (const auto& [name, videoPath, loads] : rows) {
        qputenv("VELMORA_VIDEO", videoPath);
        const QString path = d + "/" + name;
        EXPECT_EQ(CPlayerApp::StartLoadPath({path}), loads ? path : QString())
            << name << " " << videoPath;
    }
    EXPECT_EQ(CPlayerApp::StartLoadPath({"mms://host/stream"}), QString());
    EXPECT_EQ(CPlayerApp::StartLoadPath({}), QString());
    qunsetenv("VELMORA_VIDEO");
}

}  // namespace

// One player per user, with the real program started as second and third processes.

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

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
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
        qputenv("XDG_RUNTIME_DIR", (home_.path() + "/run").toUtf8());
        QDir().mkpath(home_.path() + "/run");
        QFile::setPermissions(home_.path() + "/run", QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
        CProfile::Root();
    }
    void TearDown() override {
        for (auto& p : processes_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        qputenv("XDG_RUNTIME_DIR", savedRuntime_);
    }

    QProcess* Start(const QStringList& args = {}) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(VELMORA_BINARY, args);
        EXPECT_TRUE(p->waitForStarted(5000));
        processes_.push_back(std::move(p));
        return processes_.back().get();
    }
    static bool Finished(QProcess* p) { return p->state() == QProcess::NotRunning; }

    // The socket path the running player published, re-read from the file.
    static QString Published() {
        CProfile::Refresh();
        return CProfile::Get(profile::kInstance);
    }
    static QString PidOf(QProcess* p) { return QString("-%1.sock").arg(p->processId()); }

    QTemporaryDir home_;
    QByteArray savedConfig_, savedRuntime_;
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
    ASSERT_TRUE(WaitUntil([&] { return Finished(second); }, 10000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    ASSERT_TRUE(WaitUntil([&] { return opened.count() == 1; }));
    EXPECT_EQ(opened.at(0).at(0).toString(), odd);
    EXPECT_EQ(CProfile::Get(profile::kHandOverFile), odd);

    // Without a file: the mailbox is emptied and nothing is opened.
    QProcess* third = Start();
    ASSERT_TRUE(WaitUntil([&] { return Finished(third); }, 10000));
    EXPECT_EQ(third->exitCode(), 0);
    testenv::Spin(300);
    EXPECT_EQ(opened.count(), 1);
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
    ::kill(pid_t(first->processId()), SIGKILL);
    ASSERT_TRUE(WaitUntil([&] { return Finished(first); }));

    QProcess* next = Start({"film.mp4"});
    ASSERT_TRUE(WaitUntil([&] { return Published().endsWith(PidOf(next)); }, 10000));
    EXPECT_FALSE(Finished(next));
    EXPECT_EQ(CProfile::Get(profile::kFramed, -1), -1);  // nothing saved yet

    // SIGTERM closes the window the orderly way: settings are written and the exit is clean.
    ::kill(pid_t(next->processId()), SIGTERM);
    ASSERT_TRUE(WaitUntil([&] { return Finished(next); }, 10000));
    EXPECT_EQ(next->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next->exitCode(), 0);
    CProfile::Refresh();
    EXPECT_EQ(CProfile::Get(profile::kFramed, -1), 1);
    EXPECT_EQ(CProfile::Get(profile::kVolumeStep, -1), 1);
}

TEST_F(InstanceTest, ADamagedSettingsFileNeitherStopsThePlayerNorGetsLost) {
    const QString path = CProfile::DefaultPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR[폰트\n크기비율=0\n", 32);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    QProcess* p = Start();
    ASSERT_TRUE(WaitUntil([&] { return Published().endsWith(PidOf(p)); }, 10000));
    ::kill(pid_t(p->processId()), SIGTERM);
    ASSERT_TRUE(WaitUntil([&] { return Finished(p); }, 10000));
    EXPECT_EQ(p->exitCode(), 0);

    const QStringList kept =
        QDir(QFileInfo(path).absolutePath()).entryList({"Velmora.ini.damaged-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    QFile copy(QFileInfo(path).absolutePath() + "/" + kept.first());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), garbage);
    CProfile::Root();
    EXPECT_TRUE(CProfile::KeptAsidePath().isEmpty());
    EXPECT_EQ(CProfile::Get(profile::kSizeRatio), 36);
}

}  // namespace

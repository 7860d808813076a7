// The screen saver is held off only while a picture plays: watched through a stand-in screen
// saver service on a private session bus.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QProcess>

#include "frame/MainFrame.h"
#include "playback/MediaPlayer2.h"
#include "tests/support/FrameTest.h"
#include "tests/support/TestEnv.h"

namespace {

using testenv::WaitUntil;

// Answers Inhibit and UnInhibit like a desktop's screen saver and records them: "+cookie" for
// Inhibit, "-cookie" for UnInhibit.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    QStringList calls;
    int held = 0;
  public slots:
    uint Inhibit(const QString&, const QString&) {
        calls << QString("+%1").arg(++cookie_);
        ++held;
        return cookie_;
    }
    void UnInhibit(uint cookie) {
        calls << QString("-%1").arg(cookie);
        --held;
    }

  private:
    uint cookie_ = 0;
};

class FrameScreenSaverTest : public FrameTest {
  protected:
    // A session bus of the test's own, set before anything in the process uses the bus.
    static void SetUpTestSuite() {
        daemon_ = new QProcess;
        daemon_->start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon_->waitForStarted() || !daemon_->waitForReadyRead(10000)) return;
        const QByteArray address = daemon_->readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection service = QDBusConnection::connectToBus(QString(address), "fake");
        service.registerObject("/org/freedesktop/ScreenSaver", &fake_,
                               QDBusConnection::ExportAllSlots);
        registered_ = service.registerService("org.freedesktop.ScreenSaver");
    }
    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus("fake");
        daemon_->kill();
        daemon_->waitForFinished();
        delete daemon_;
    }
    void SetUp() override {
        if (!registered_) GTEST_SKIP() << "no dbus-daemon";
        FrameTest::SetUp();
    }
    bool Settles(const QStringList& calls) {
        const bool reached = WaitUntil([&] { return fake_.calls == calls; }, 10000);
        testenv::Spin(300);  // and nothing more comes
        return reached && fake_.calls == calls;
    }

    static inline QProcess* daemon_ = nullptr;
    static inline FakeScreenSaver fake_;
    static inline bool registered_ = false;
};

TEST_F(FrameScreenSaverTest, HeldOnlyWhileAPicturePlaysInAVisibleWindow) {
    Start();
    EXPECT_TRUE(Settles({}));  // an idle window lets the session lock

    frame_->OpenMediaPath(testenv::AudioClip());
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2; }, 8000));
    EXPECT_TRUE(Settles({}));  // sound only

    frame_->OpenMediaPath(testenv::VideoClip());
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2 && !frame_->IsSoundOnly(); }));
    EXPECT_TRUE(Settles({"+1"}));
    frame_->OnCommand(32791);  // pause
    EXPECT_TRUE(Settles({"+1", "-1"}));
    frame_->OnCommand(32791);  // play
    EXPECT_TRUE(Settles({"+1", "-1", "+2"}));
    frame_->showMinimized();
    EXPECT_TRUE(Settles({"+1", "-1", "+2", "-2"}));
    frame_->showNormal();
    EXPECT_TRUE(Settles({"+1", "-1", "+2", "-2", "+3"}));
    frame_->OnCommand(32792);  // stop
    EXPECT_TRUE(Settles({"+1", "-1", "+2", "-2", "+3", "-3"}));
    frame_->OnCommand(32791);
    EXPECT_TRUE(Settles({"+1", "-1", "+2", "-2", "+3", "-3", "+4"}));
    frame_->close();
    EXPECT_TRUE(Settles({"+1", "-1", "+2", "-2", "+3", "-3", "+4", "-4"}));
    EXPECT_EQ(fake_.held, 0);
}

}  // namespace

#include "test_frame_screensaver.moc"

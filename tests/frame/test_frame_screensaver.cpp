// The screen saver is held off only while a picture plays: watched through a stand-in screen
// saver service on a private session bus.

#include <QDBusConnection>
#include <QProcess>
#include <functional>

#include "playback/MediaPlayer2.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

// Answers Inhibit and UnInhibit like a desktop's screen saver and records them: "+cookie" for
// Inhibit, "-cookie" for UnInhibit.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    QStringList calls;
  public slots:
    uint Inhibit(const QString&, const QString&) {
        calls << QString("+%1").arg(++cookie_);
        return cookie_;
    }
    void UnInhibit(uint cookie) { calls << QString("-%1").arg(cookie); }

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
        delete daemon_;  // kills the daemon
    }
    void SetUp() override {
        if (!registered_) GTEST_SKIP() << "no dbus-daemon";
        FrameTest::SetUp();
    }
    // Waits for the service's calls to become `calls`, and a little longer for anything more.
    bool Settles(const QStringList& calls) {
        const bool reached = WaitUntil([&] { return fake_.calls == calls; }, 10000);
        testenv::Spin(300);
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
    const std::pair<std::function<void()>, QString> steps[] = {
        {[] {}, "+1"},                              // a picture plays
        {[&] { frame_->OnCommand(32791); }, "-1"},  // pause
        {[&] { frame_->OnCommand(32791); }, "+2"},  // play
        {[&] { frame_->showMinimized(); }, "-2"},
        {[&] { frame_->showNormal(); }, "+3"},
        {[&] { frame_->OnCommand(32792); }, "-3"},  // stop
        {[&] { frame_->OnCommand(32791); }, "+4"},
        {[&] { frame_->close(); }, "-4"},
    };
    QStringList calls;
    for (const auto& [step, call] : steps) {
        step();
        calls << call;
        ASSERT_TRUE(Settles(calls))
            << call.toStdString() << ": " << fake_.calls.join(' ').toStdString();
    }
}

}  // namespace

#include "test_frame_screensaver.moc"

// The real program as a desktop's media controls meet it: on a session bus of the test's own,
// playerctl and busctl drive and read a playing two-entry playlist; without any session bus the
// program plays as ever.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QRegularExpression>
#include <QUrl>

#include "tests/support/DisplayServer.h"

namespace {

using testenv::WaitUntil;

constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

// Counts the player's Seeked and PropertiesChanged signals as the test's own bus client sees them.
class Listener : public QObject {
    Q_OBJECT
  public:
    int seeked = 0;
    QStringList changed;  // names of the properties announced, in order
  public slots:
    void Seeked(qlonglong) { ++seeked; }
    void PropertiesChanged(const QString&, const QVariantMap& values, const QStringList&) {
        changed << values.keys();
    }
};

class Mpris : public ::testing::Test {
  protected:
    void SetUp() override {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(daemon_.waitForReadyRead(10000)) << "no dbus-daemon";
        address_ = QString::fromLatin1(daemon_.readLine().trimmed());
        ASSERT_TRUE(server_.Start().isEmpty());
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus("test");
        daemon_.kill();
        daemon_.waitForFinished();
    }
    // The player on the test's display, with its settings under home and the given bus address.
    QProcess* Player(const QStringList& args, const QString& busAddress) {
        QProcessEnvironment env = server_.Env();
        env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
        if (busAddress.isEmpty()) {
            env.remove("DBUS_SESSION_BUS_ADDRESS");
        } else {
            env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
        }
        testenv::WriteFile(home_.path() + "/config/Velmora/Velmora.ini", "[설정]\nREG=0\n");
        return server_.Run(VELMORA_BINARY, args, env);
    }
    // A command line tool on the test's bus; its whole output, trimmed.
    QString Run(const QString& program, const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(10000)) p.kill(), p.waitForFinished();
        const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        static const QRegularExpression padding(" {3,}");
        std::printf("$ %s %s\n%s\n", qPrintable(program), qPrintable(args.join(' ')),
                    qPrintable(QString(out).replace(padding, "  ")));
        return out;
    }
    QString Ctl(const QStringList& args) {
        return Run("playerctl", QStringList{"-p", "velmora"} + args);
    }
    QString Get(const QString& property) {
        return Run("busctl", {"--user", "get-property", "org.mpris.MediaPlayer2.velmora", kPath,
                              kPlayer, property});
    }
    bool Becomes(const QStringList& args, const QString& answer) {
        return WaitUntil([&] { return Ctl(args) == answer; }, 20000, 200);
    }
    bool PositionNear(double seconds) {
        return WaitUntil([&] { return std::abs(Ctl({"position"}).toDouble() - seconds) < 0.3; },
                         20000, 200);
    }
    QString Copy(const QString& clip, const QString& name) {
        const QString path = home_.path() + "/" + name;
        return QFile::copy(clip, path) ? path : QString();
    }

    QTemporaryDir home_;  // also the runtime folder: private to the user, as it must be
    testenv::DisplayServer server_{"xcb", home_.path()};
    QProcess daemon_;
    QString address_;
};

TEST_F(Mpris, PlayerctlDrivesAndReadsAPlayingPlaylist) {
    const QString first = Copy(testenv::GreyClip("320x240", 8), "첫째 곡.mp4");
    const QString second = Copy(testenv::GreyClip("320x240", 6), "둘째.mp4");
    ASSERT_FALSE(first.isEmpty() || second.isEmpty());
    const QString list =
        testenv::WriteFile(home_.path() + "/list.m3u", (first + "\n" + second + "\n").toUtf8());
    QProcess* player = Player({list}, address_);
    Listener listener;
    QDBusConnection bus = QDBusConnection::connectToBus(address_, "test");
    bus.connect({}, kPath, kPlayer, "Seeked", &listener, SLOT(Seeked(qlonglong)));
    bus.connect({}, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &listener,
                SLOT(PropertiesChanged(QString, QVariantMap, QStringList)));

    ASSERT_TRUE(Becomes({"status"}, "Playing")) << player->readAll().toStdString();
    const QString introspection =
        Run("busctl", {"--user", "introspect", "org.mpris.MediaPlayer2.velmora", kPath});
    EXPECT_TRUE(introspection.contains("\norg.mpris.MediaPlayer2 "));
    EXPECT_TRUE(introspection.contains("org.mpris.MediaPlayer2.Player "));
    EXPECT_EQ(Ctl({"metadata", "xesam:title"}), "첫째 곡.mp4");
    EXPECT_EQ(Ctl({"metadata", "xesam:url"}),
              QUrl::fromLocalFile(first).toString(QUrl::FullyEncoded));
    EXPECT_NEAR(Ctl({"metadata", "mpris:length"}).toLongLong(), 8'000'000, 100'000);
    EXPECT_TRUE(Ctl({"metadata", "mpris:trackid"}).contains("/org/velmora/Track/"));
    EXPECT_EQ(Get("CanGoNext"), "b true");

    Ctl({"play-pause"});
    EXPECT_TRUE(Becomes({"status"}, "Paused"));
    EXPECT_TRUE(WaitUntil([&] { return listener.changed.contains("PlaybackStatus"); }, 10000));
    Ctl({"pause"});          // already paused: stays so (the toggle would play)
    Ctl({"position", "2"});  // SetPosition on the current track
    EXPECT_TRUE(PositionNear(2));
    // Seeks sent while one is still under way end in one Seeked: each is awaited here.
    EXPECT_TRUE(WaitUntil([&] { return listener.seeked >= 1; }, 10000));
    Ctl({"position", "1+"});  // Seek by an offset
    EXPECT_TRUE(PositionNear(3));
    EXPECT_TRUE(WaitUntil([&] { return listener.seeked >= 2; }, 10000));
    EXPECT_EQ(Ctl({"status"}), "Paused");
    Ctl({"volume", "0.5"});
    EXPECT_EQ(Ctl({"volume"}), "0.500000");

    Ctl({"position", "100+"});  // past the end: on to the next entry
    EXPECT_TRUE(Becomes({"metadata", "xesam:title"}, "둘째.mp4"));
    EXPECT_TRUE(Becomes({"status"}, "Playing"));
    Ctl({"play"});  // already playing: plays on
    testenv::Spin(500);
    EXPECT_EQ(Ctl({"status"}), "Playing");

    // A single medium opened by address: no playlist, so Next, or a seek past the end, does
    // nothing.
    Ctl({"open", QUrl::fromLocalFile(first).toString()});
    EXPECT_TRUE(Becomes({"metadata", "xesam:title"}, "첫째 곡.mp4"));
    EXPECT_TRUE(WaitUntil([&] { return Get("CanGoNext") == "b false"; }, 10000, 200));
    Run("busctl", {"--user", "call", "org.mpris.MediaPlayer2.velmora", kPath, kPlayer, "Next"});
    Ctl({"position", "100+"});
    testenv::Spin(1000);
    EXPECT_EQ(Ctl({"metadata", "xesam:title"}), "첫째 곡.mp4");
    EXPECT_EQ(Ctl({"status"}), "Playing");

    // A file address is read as a playlist's: of this host only, and never cut short at an
    // escaped zero byte, which would open another file than the one named.
    const QString secondUrl = QUrl::fromLocalFile(second).toString(QUrl::FullyEncoded);
    for (const QString& uri : {secondUrl + "%00.txt", "file://elsewhere" + secondUrl.mid(7)})
        Run("busctl", {"--user", "call", "org.mpris.MediaPlayer2.velmora", kPath, kPlayer,
                       "OpenUri", "s", uri});
    testenv::Spin(1000);
    EXPECT_EQ(Ctl({"metadata", "xesam:title"}), "첫째 곡.mp4");
    Run("busctl", {"--user", "call", "org.mpris.MediaPlayer2.velmora", kPath, kPlayer, "OpenUri",
                   "s", "file://localhost" + secondUrl.mid(7)});
    EXPECT_TRUE(Becomes({"metadata", "xesam:title"}, "둘째.mp4"));

    Run("busctl", {"--user", "call", "org.mpris.MediaPlayer2.velmora", kPath,
                   "org.mpris.MediaPlayer2", "Quit"});
    EXPECT_TRUE(player->waitForFinished(20000));
}

TEST_F(Mpris, WithoutASessionBusThePlayerPlaysAsEver) {
    // A bus address where no bus listens, and none at all.
    for (const QString& address : {"unix:path=" + home_.path() + "/no-bus", QString()}) {
        QProcess* player = Player({testenv::GreyClip("320x240", 8)}, address);
        // The medium opened (its title is the window's) and plays (its grey picture is shown).
        const bool titled = WaitUntil(
            [&] {
                return !server_
                            .Output("xdotool", {"search", "--onlyvisible", "--name", " - Velmora$"})
                            .isEmpty();
            },
            20000, 200);
        ASSERT_TRUE(titled) << player->readAll().toStdString();
        const auto greyPixels = [&] {
            const QImage shot = server_.Shot();
            int n = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) n += shot.pixel(x, y) == qRgb(128, 128, 128);
            return n;
        };
        EXPECT_TRUE(WaitUntil([&] { return greyPixels() > 320 * 200; }, 20000, 200));
        player->terminate();  // closes the window the orderly way
        ASSERT_TRUE(player->waitForFinished(20000));
        EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player->exitCode(), 0) << player->readAll().toStdString();
    }
}

}  // namespace

#include "test_mpris.moc"

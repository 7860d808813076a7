// The real program on a display server of its own, looked at as a person would: screenshots of
// the screen while it plays a moving clip with Korean captions, on X11 and on Wayland. A server
// that cannot be started is a failure, not a skip.

#include <gtest/gtest.h>

#include <QSettings>

#include "tests/support/DisplayServer.h"

namespace {

bool Near(QRgb c, int r, int g, int b, int tolerance) {
    return std::abs(qRed(c) - r) < tolerance && std::abs(qGreen(c) - g) < tolerance &&
           std::abs(qBlue(c) - b) < tolerance;
}
bool Grey(QRgb c) {
    return Near(c, 64, 64, 64, 12);
}

struct Shot {
    bool found = false;
    int yellow = 0, red = 0, grey = 0, white = 0, yellowTop = -1, yellowBottom = -1;
    int whiteLeft = -1;  // left edge of the moving box
};

// Finds the 640 x 360 picture (its first row that is mostly grey) wherever the window manager put
// the window, and counts what it shows.
Shot Look(const QImage& screen) {
    Shot s;
    int top = 0, left = 0;
    for (; top < screen.height(); ++top) {
        int grey = 0;
        for (int x = 0; x < screen.width(); ++x) grey += Grey(screen.pixel(x, top));
        if (grey > 400) break;
    }
    if (top + 360 > screen.height()) return s;
    while (!Grey(screen.pixel(left, top))) ++left;
    s.found = left + 640 <= screen.width();
    for (int y = 0; s.found && y < 360; ++y) {
        for (int x = 0; x < 640; ++x) {
            const QRgb c = screen.pixel(left + x, top + y);
            if (Near(c, 255, 255, 0, 50)) {
                ++s.yellow;
                if (s.yellowTop < 0) s.yellowTop = y;
                s.yellowBottom = y;
            } else if (Near(c, 255, 0, 0, 60)) {
                ++s.red;
            } else if (Grey(c)) {
                ++s.grey;
            } else if (Near(c, 255, 255, 255, 20) && y < 100) {
                ++s.white;
                if (s.whiteLeft < 0 || x < s.whiteLeft) s.whiteLeft = x;
            }
        }
    }
    return s;
}

QString MovingBoxClip() {
    return testenv::MakeClip("moving-box-640x360-12s.mp4",
                             {"-f", "lavfi", "-i", "color=c=0x404040:size=640x360:rate=25:d=12",
                              "-f", "lavfi", "-i", "color=c=white:size=40x40:rate=25:d=12",
                              "-filter_complex", "[0][1]overlay=x='mod(t*120,560)':y=20", "-c:v",
                              "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
}

// The grey picture's size on a screen shot: its widest row and tallest column of grey.
QSize GreyExtent(const QImage& screen) {
    std::vector<int> columns(screen.width());
    int width = 0;
    for (int y = 0; y < screen.height(); ++y) {
        int row = 0;
        for (int x = 0; x < screen.width(); ++x) {
            const bool grey = Grey(screen.pixel(x, y));
            row += grey;
            columns[x] += grey;
        }
        width = std::max(width, row);
    }
    return {width, columns.empty() ? 0 : *std::max_element(columns.begin(), columns.end())};
}

// A display server of the test's own; the player started there keeps its settings in home/config.
struct Server : testenv::DisplayServer {
    Server(const char* platform, const QString& home) : DisplayServer(platform, home), home(home) {}
    QProcess* Player(const QStringList& args) {
        QProcessEnvironment env = Env();
        env.insert("XDG_CONFIG_HOME", home + "/config");
        // The first-run question is answered already.
        QDir().mkpath(home + "/config/Velmora");
        QFile ini(home + "/config/Velmora/Velmora.ini");
        if (ini.open(QIODevice::ReadWrite) && !ini.readAll().contains("REG="))
            ini.write("\n[설정]\nREG=0\n");
        return Run(VELMORA_BINARY, args, env);
    }
    QString home;
};

class RealBinary : public ::testing::TestWithParam<const char*> {};

TEST_P(RealBinary, PlaysAMovingClipWithOutlinedKoreanCaptions) {
    QTemporaryDir home;  // also the runtime folder: private to the user, as it must be
    const QString movie = home.path() + "/영화 모음/움직이는 상자.mp4";
    ASSERT_FALSE(
        testenv::WriteFile(home.path() + "/영화 모음/움직이는 상자.smi",
                           "<SAMI><BODY>\n<SYNC Start=500><P Class=KRCC>움직이는 그림 위의<br>굵은 "
                           "자막입니다\n<SYNC Start=30000><P Class=KRCC>&nbsp;\n</BODY></SAMI>\n")
            .isEmpty());
    ASSERT_TRUE(QFile::copy(MovingBoxClip(), movie));
    // Yellow letters with a red outline.
    ASSERT_FALSE(testenv::WriteFile(home.path() + "/config/Velmora/Velmora.ini",
                                    "[폰트]\n글자색=65535\n외곽선색=255\n효과=1\n크기비율=24\n")
                     .isEmpty());
    Server server(GetParam(), home.path());
    const QString failure = server.Start();
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    QProcess* player = server.Player({movie});

    // Screenshots until the picture and its caption are up, then two a little apart.
    QImage first, second;
    const bool shown =
        testenv::WaitUntil([&] { return Look(first = server.Shot()).yellow > 0; }, 40000, 200);
    if (shown) {
        testenv::Spin(500);
        first = server.Shot();
        testenv::Spin(700);
        second = server.Shot();
    }
    const QString saved = testenv::DataDir() + "/real-binary-" + GetParam();
    first.save(saved + ".png");
    second.save(saved + "-2.png");
    ASSERT_TRUE(shown) << "no picture with a caption on the screen (last shot " << qPrintable(saved)
                       << ".png); player output: " << player->readAll().toStdString();
    const Shot a = Look(first), b = Look(second);
    ASSERT_TRUE(a.found && b.found);
    EXPECT_GT(a.yellow, 400);      // the letters
    EXPECT_GT(a.red, 200);         // the outline around them
    EXPECT_GT(a.grey, 640 * 300);  // the picture everywhere else
    // Two lines with position 6: the last line ends 360 * 6 / 120 = 18 rows above the bottom.
    EXPECT_NEAR(a.yellowBottom, 360 - 18, 8);
    EXPECT_GT(a.yellowTop, 200);
    // The picture moves under the caption.
    EXPECT_GT(a.white, 1000);
    EXPECT_NE(a.whiteLeft, b.whiteLeft);
    EXPECT_NEAR(a.yellow, b.yellow, a.yellow / 10);
}

// Full screen as a user meets it: Esc fills the 1280 x 1024 screen with the 16:9 picture
// (letterboxed), quitting there keeps it, and the next start comes up in full screen again; Esc
// then gives the window back at the width it had before full screen, the start width of 368.
TEST(RealBinaryModes, FullScreenSurvivesARestartAndEscGivesTheWindowBack) {
    QTemporaryDir home;
    const QString clip = MovingBoxClip();
    Server server("xcb", home.path());
    const QString failure = server.Start();
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    // Keys typed on the real keyboard (XTEST) into the focused player window.
    const auto key = [&](const char* keys) {
        const QString window =
            server.Output("xdotool", {"search", "--onlyvisible", "--name", " - Velmora$"});
        server.Output("xdotool", {"windowfocus", "--sync", window});
        server.Output("xdotool", {"key", keys});
    };
    // Within a few pixels: the surround covers the picture's last column, and the control bar
    // has a few grey pixels of its own.
    const auto extentBecomes = [&](int width, int height) {
        QSize seen;
        const bool ok = testenv::WaitUntil(
            [&] {
                seen = GreyExtent(server.Shot());
                return std::abs(seen.width() - width) <= 20 &&
                       std::abs(seen.height() - height) <= 20;
            },
            20000, 200);
        if (!ok) server.Shot().save(testenv::DataDir() + "/real-binary-modes.png");
        EXPECT_TRUE(ok) << "picture " << seen.width() << "x" << seen.height() << ", wanted "
                        << width << "x" << height << "; last shot in real-binary-modes.png";
        return ok;
    };

    QProcess* player = server.Player({clip});
    ASSERT_TRUE(extentBecomes(640, 360));
    key("Escape");
    ASSERT_TRUE(extentBecomes(1280, 720));
    key("alt+F4");
    ASSERT_TRUE(player->waitForFinished(20000));
    const QString ini = home.path() + "/config/Velmora/Velmora.ini";
    EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value("설정/전체화면").toInt(), 1);

    server.Player({clip});
    ASSERT_TRUE(extentBecomes(1280, 720));
    key("Escape");
    extentBecomes(368, 207);
}

// Without a usable libmpv the program ends with code 1 and says why, neither crashing nor
// calling into a library of another major version (as the unversioned libmpv.so then is).
TEST(RealBinaryStart, WithoutAUsableLibmpvEndsWithCode1AndSaysWhy) {
    for (const QString& fallback : {QString(), QStringLiteral(OLD_LIBMPV)}) {
        SCOPED_TRACE(fallback.toStdString());
        QTemporaryDir home;
        const QString lib = home.path() + "/lib";  // a broken libmpv.so.2 and a libmpv.so
        ASSERT_FALSE(testenv::WriteFile(lib + "/libmpv.so.2", "").isEmpty());
        ASSERT_TRUE(fallback.isEmpty() ? !testenv::WriteFile(lib + "/libmpv.so", "").isEmpty()
                                       : QFile::copy(fallback, lib + "/libmpv.so"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_LIBRARY_PATH", lib);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", home.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", home.path());
        QProcess player;
        player.setProcessEnvironment(env);
        player.start(VELMORA_BINARY, {});
        ASSERT_TRUE(player.waitForFinished(20000));
        EXPECT_EQ(std::pair(player.exitStatus(), player.exitCode()),
                  std::pair(QProcess::NormalExit, 1));
        EXPECT_TRUE(player.readAllStandardError().contains("libmpv"));
    }
}

INSTANTIATE_TEST_SUITE_P(Platforms, RealBinary, ::testing::Values("xcb", "wayland"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace

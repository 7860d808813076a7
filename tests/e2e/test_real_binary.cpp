// The real program under an X server, looked at as a person would: a screenshot of the screen
// while it plays a moving clip with Korean captions.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include "tests/support/TestEnv.h"

namespace {

bool Near(QRgb c, int r, int g, int b, int tolerance = 40) {
    return std::abs(qRed(c) - r) < tolerance && std::abs(qGreen(c) - g) < tolerance &&
           std::abs(qBlue(c) - b) < tolerance;
}

struct Shot {
    int yellow = 0, red = 0, grey = 0, white = 0;
    int yellowTop = -1, yellowBottom = -1;
    int whiteLeft = -1;  // left edge of the moving box
};

// Counts what the screenshot shows inside the picture at (0, top), 640 x 360.
Shot Look(const QImage& screen, int top) {
    Shot s;
    for (int y = top; y < top + 360 && y < screen.height(); ++y) {
        for (int x = 0; x < 640 && x < screen.width(); ++x) {
            const QRgb c = screen.pixel(x, y);
            if (Near(c, 255, 255, 0, 50)) {
                ++s.yellow;
                if (s.yellowTop < 0) s.yellowTop = y - top;
                s.yellowBottom = y - top;
            } else if (Near(c, 255, 0, 0, 60)) {
                ++s.red;
            } else if (Near(c, 64, 64, 64, 12)) {
                ++s.grey;
            } else if (Near(c, 255, 255, 255, 20) && y - top < 100) {
                ++s.white;
                if (s.whiteLeft < 0 || x < s.whiteLeft) s.whiteLeft = x;
            }
        }
    }
    return s;
}

TEST(RealBinary, PlaysAMovingClipWithOutlinedKoreanCaptions) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString clip =
        testenv::MakeClip("moving-box-640x360-12s.mp4",
                          {"-f", "lavfi", "-i", "color=c=0x404040:size=640x360:rate=25:d=12", "-f",
                           "lavfi", "-i", "color=c=white:size=40x40:rate=25:d=12",
                           "-filter_complex", "[0][1]overlay=x='mod(t*120,560)':y=20", "-c:v",
                           "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    ASSERT_FALSE(clip.isEmpty());
    const QString folder = home.path() + "/영화 모음";
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::copy(clip, folder + "/움직이는 상자.mp4"));
    QFile smi(folder + "/움직이는 상자.smi");
    ASSERT_TRUE(smi.open(QIODevice::WriteOnly));
    smi.write(
        "<SAMI><BODY>\n<SYNC Start=500><P Class=KRCC>움직이는 그림 위의<br>굵은 자막입니다\n"
        "<SYNC Start=30000><P Class=KRCC>&nbsp;\n</BODY></SAMI>\n");
    smi.close();

    // Yellow letters with a red outline, the window at the top-left corner.
    QDir().mkpath(home.path() + "/config/Velmora");
    QFile settings(home.path() + "/config/Velmora/Velmora.ini");
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[폰트]\n글자색=65535\n외곽선색=255\n효과=1\n크기비율=24\n");
    settings.close();

    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_RUNTIME_DIR", home.path());
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(VELMORA_BINARY, {folder + "/움직이는 상자.mp4"});
    ASSERT_TRUE(player.waitForStarted());

    // The window is titled after the file once it plays.
    ASSERT_TRUE(testenv::WaitUntil(
        [&] {
            QProcess search;
            search.start("xdotool", {"search", "--name", "움직이는 상자.mp4 - Velmora"});
            search.waitForFinished(2000);
            return search.exitCode() == 0;
        },
        15000));
    testenv::Spin(1500);

    QScreen* screen = QGuiApplication::primaryScreen();
    const QImage first = screen->grabWindow(0).toImage();
    testenv::Spin(700);
    const QImage second = screen->grabWindow(0).toImage();
    first.save(testenv::DataDir() + "/real-binary.png");
    second.save(testenv::DataDir() + "/real-binary-2.png");
    player.terminate();
    player.waitForFinished(5000);

    // The picture starts below the menu bar: find its first grey row.
    int top = 0;
    while (top < 100 && !Near(first.pixel(600, top), 64, 64, 64, 12)) ++top;
    ASSERT_LT(top, 100);
    const Shot a = Look(first, top), b = Look(second, top);

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

}  // namespace

// The real program on Xvfb with a device pixel ratio (QT_SCALE_FACTOR 2 and 1.5), looked at in
// device pixels: a one-pixel checker clip sized so that its picture is shown one to one stays a
// checker, and the outlined caption over it has letter edges on every device column and row, not
// only on the columns where logical pixels begin.

#include <gtest/gtest.h>

#include "tests/support/DisplayServer.h"

namespace {

// A ratio and a clip whose picture, made ratio times narrower in logical pixels, shows it one to
// one: 800 x 600 and 600 x 450 give a 400 x 300 picture; 602 x 452 gives 401 x 301, whose
// device size is fractional (601.5 x 451.5) and must not rescale the clip.
struct Case {
    double ratio;
    QSize clip;
    const char* name;
};
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

bool Yellow(QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 80;
}
bool BlackOrWhite(QRgb c) {
    const auto near = [&](int v) { return qRed(c) == v && qGreen(c) == v && qBlue(c) == v; };
    return near(0) || near(255);
}

struct Picture {
    QRect box;           // where the checker shows, in screen pixels
    double checker = 0;  // share of its black and white neighbour pairs that differ
};

// The checker's extent: every pixel that starts four black and white pixels alternating to its
// right (text on the menus and the control bar never does).
Picture FindChecker(const QImage& screen) {
    Picture p;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x + 3 < screen.width(); ++x) {
            const QRgb a = screen.pixel(x, y), b = screen.pixel(x + 1, y);
            if (BlackOrWhite(a) && BlackOrWhite(b) && a != b && screen.pixel(x + 2, y) == a &&
                screen.pixel(x + 3, y) == b)
                p.box |= QRect(x, y, 4, 1);
        }
    // Inside its edges (the surround covers the picture's last column), away from the caption.
    int pairs = 0, alternating = 0;
    for (int y = p.box.top(); y < p.box.bottom() - 1; ++y)
        for (int x = p.box.left(); x < p.box.right() - 2; ++x) {
            const QRgb c = screen.pixel(x, y);
            for (const QRgb n : {screen.pixel(x + 1, y), screen.pixel(x, y + 1)}) {
                if (!BlackOrWhite(c) || !BlackOrWhite(n)) continue;
                ++pairs;
                alternating += c != n;
            }
        }
    p.checker = pairs ? double(alternating) / pairs : 0;
    return p;
}

// Edges of the yellow letters inside box, counted by the residue of their device column (dir 0)
// or row (dir 1) modulo m - 2 for m = 2 and 3 (a logical pixel is 2 or 1.5 device pixels wide).
struct Edges {
    int total = 0;
    int residues[2][2][3] = {};  // [dir][m - 2][residue]
};
Edges FindEdges(const QImage& screen, const QRect& box) {
    Edges e;
    for (int y = box.top() + 1; y <= box.bottom(); ++y)
        for (int x = box.left() + 1; x <= box.right(); ++x) {
            const bool here = Yellow(screen.pixel(x, y));
            const bool edge[2] = {here != Yellow(screen.pixel(x - 1, y)),
                                  here != Yellow(screen.pixel(x, y - 1))};
            e.total += edge[0];
            for (int dir = 0; dir < 2; ++dir)
                for (int m = 2; m <= 3; ++m) e.residues[dir][m - 2][(dir ? y : x) % m] += edge[dir];
        }
    return e;
}

class DevicePixels : public ::testing::TestWithParam<Case> {};

TEST_P(DevicePixels, CheckerStaysACheckerAndCaptionEdgesFallOnEveryDeviceColumn) {
    const double ratio = GetParam().ratio;
    const QSize clipSize = GetParam().clip;
    const QString size = QString("%1x%2").arg(clipSize.width()).arg(clipSize.height());
    const QString clip = testenv::MakeClip(
        "checker-" + size + ".mkv",
        {"-f", "lavfi", "-i",
         "nullsrc=s=" + size + ":r=25:d=20,geq=lum='255*mod(X+Y,2)':cb=128:cr=128", "-c:v", "ffv1",
         "-pix_fmt", "yuv420p"});
    ASSERT_FALSE(clip.isEmpty());

    QTemporaryDir home;
    const QString movie = home.path() + "/checker.mkv";
    ASSERT_TRUE(QFile::copy(clip, movie));
    ASSERT_FALSE(testenv::WriteFile(home.path() + "/checker.smi",
                                    "<SAMI><BODY>\n<SYNC Start=300><P Class=KRCC>굵은 자막 "
                                    "Sharp<br>가나다 WAVE\n</BODY></SAMI>\n")
                     .isEmpty());
    // Large yellow letters with a red outline (no black or white of their own); the first-run
    // question answered.
    ASSERT_FALSE(testenv::WriteFile(home.path() + "/config/Velmora/Velmora.ini",
                                    "[설정]\nREG=0\n[폰트]\n글자색=65535\n외곽선색=255\n효과=1\n"
                                    "크기비율=14\n")
                     .isEmpty());
    testenv::DisplayServer server("xcb", home.path());
    const QString failure = server.Start();
    ASSERT_TRUE(failure.isEmpty()) << qPrintable(failure);
    QProcessEnvironment env = server.Env();
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("QT_SCALE_FACTOR", QString::number(ratio));
    QProcess* player = server.Run(VELMORA_BINARY, {movie}, env);

    // The window opens at 100% (the picture twice or 1.5 times the clip's size in device pixels);
    // made 400 logical pixels wide, the picture shows the clip's pixels one to one.
    QImage shot;
    Picture picture;
    const bool oneToOne = testenv::WaitUntil(
        [&] {
            const QString window =
                server.Output("xdotool", {"search", "--onlyvisible", "--name", " - Velmora$"});
            // Only the width changes; the layout rule gives the height.
            const QString height = server.Output(
                "sh", {"-c", "xdotool getwindowgeometry --shell " + window + " | grep HEIGHT"});
            server.Output("xdotool", {"windowsize", window, QString::number(clipSize.width()),
                                      height.section('=', 1)});
            testenv::Spin(300);
            picture = FindChecker(shot = server.Shot());
            // The surround covers the last logical column, and a fractional bottom edge may
            // round one row off.
            return std::abs(picture.box.width() - clipSize.width()) <= 2 &&
                   std::abs(picture.box.height() - clipSize.height()) <= 1 &&
                   FindEdges(shot, picture.box).total > 0;
        },
        60000, 200);
    const QString saved = testenv::DataDir() + "/device-pixels-" + GetParam().name + ".png";
    shot.save(saved);
    ASSERT_TRUE(oneToOne) << "checker " << picture.box.width() << "x" << picture.box.height()
                          << " with a caption wanted at " << qPrintable(size) << "; last shot "
                          << qPrintable(saved) << "; " << player->readAll().toStdString();

    // One to one: neighbours still alternate, where any rescale would blur them to grey.
    EXPECT_GT(picture.checker, 0.99);

    // Letter edges on every residue of the device grid, in both directions.
    const Edges e = FindEdges(shot, picture.box);
    EXPECT_GT(e.total, 400);
    for (int dir = 0; dir < 2; ++dir)
        for (int m = 2; m <= 3; ++m)
            for (int r = 0; r < m; ++r)
                EXPECT_GT(e.residues[dir][m - 2][r], e.total / (4 * m))
                    << (dir ? "rows " : "columns ") << r << " modulo " << m;
}

INSTANTIATE_TEST_SUITE_P(Ratios, DevicePixels,
                         ::testing::Values(Case{2, {800, 600}, "x2"}, Case{1.5, {600, 450}, "x1_5"},
                                           Case{1.5, {602, 452}, "x1_5_fractional"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace

// The two video surfaces (software, and OpenGL forced on Mesa's software renderer) against a
// lossless clip whose top half is a one-pixel checker, shown one to one in device pixels: the
// frame each renders and what reaches the screen keep every pixel of the clip. And a caption
// stays above the OpenGL surface's picture in the main window.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "captions/CaptionWnd.h"
#include "playback/GlVideoSurface.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"
#include "playback/MpvHandle.h"
#include "playback/VideoSurface.h"
#include "tests/support/FrameTest.h"
#include "tests/support/TestEnv.h"

namespace {

using testenv::WaitUntil;

constexpr int kWidth = 320, kHeight = 240;

// Top half: black where x + y is even, white where odd. Bottom half: red left, blue right. RGB
// coded losslessly, so no colour conversion or chroma subsampling blurs the checker. 25 frames a
// second, with sound (the clock the frames keep pace with).
QString CheckerClip() {
    return testenv::MakeClip(
        "checker-320x240-sound.mkv",
        {"-f", "lavfi", "-i",
         "nullsrc=s=320x240:r=25:d=4,format=gbrp,"
         "geq=r='if(lt(Y,120),255*mod(X+Y,2),255*lt(X,160))':g='if(lt(Y,120),255*mod(X+Y,2),0)'"
         ":b='if(lt(Y,120),255*mod(X+Y,2),255*gte(X,160))'",
         "-f", "lavfi", "-i", "sine=duration=4", "-c:v", "libx264rgb", "-qp", "0", "-preset",
         "ultrafast", "-c:a", "aac", "-shortest"});
}

QRgb Expected(int x, int y) {
    if (y < kHeight / 2) return (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    return x < kWidth / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
}

// Pixels of image (from its top left corner) that are not the clip's colour, or not opaque.
int Mismatches(const QImage& image) {
    if (image.width() < kWidth || image.height() < kHeight) return kWidth * kHeight;
    int bad = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const QRgb c = image.pixel(x, y), e = Expected(x, y);
            bad += std::abs(qRed(c) - qRed(e)) > 48 || std::abs(qGreen(c) - qGreen(e)) > 48 ||
                   std::abs(qBlue(c) - qBlue(e)) > 48 || qAlpha(c) != 255;
        }
    return bad;
}

// What the screen shows of w, in device pixels (its top-level window is grabbed: a winId() of a
// child would make it a native window and change how it is composed).
QImage Screenshot(QWidget* w) {
    QWidget* top = w->window();
    const QImage shot = top->screen()->grabWindow(top->winId()).toImage();
    const qreal dpr = shot.devicePixelRatio();
    const QRect r(w->mapTo(top, QPoint(0, 0)), w->size());
    return shot.copy(QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr).toRect());
}

class VideoSurfaceTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { qputenv("LIBGL_ALWAYS_SOFTWARE", "1"); }
    void TearDown() override { qunsetenv("VELMORA_VIDEO"); }
};

// The clip is loaded before the window is ever shown (as a file given on the command line is):
// frames are rendered all the same, then shown one to one once the window is. Hidden again, the
// window presents nothing, and the frames keep the clip's pace all the same.
TEST_P(VideoSurfaceTest, AOnePixelCheckerShownOneToOneStaysACheckerOnScreen) {
    const bool gl = std::string(GetParam()) == "gl";
    const QString clip = CheckerClip();
    ASSERT_FALSE(clip.isEmpty());
    qputenv("VELMORA_VIDEO", GetParam());
    CMpvHandle handle(CMpvHandle::Options{"null"});
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    IVideoSurface* surface = CreateVideoSurface(&handle, &window);
    ASSERT_EQ(dynamic_cast<CGlVideoSurface*>(surface) != nullptr, gl);
    // One clip pixel to one device pixel, whatever the scale factor.
    const qreal dpr = window.devicePixelRatioF();
    const QSize logical = (QSizeF(kWidth, kHeight) / dpr).toSize();
    window.resize(logical);
    surface->Widget()->setGeometry(QRect(QPoint(0, 0), logical));

    double pos = -1;
    QObject::connect(&handle, &CMpvHandle::PropertyChanged,
                     [&](const QString& name, const QVariant& v) {
                         if (name == "time-pos") pos = v.toDouble();
                     });
    handle.Observe("time-pos", CMpvHandle::Format::Double);
    handle.SetProperty("loop-file", "inf");
    handle.Command({"loadfile", clip});
    ASSERT_TRUE(WaitUntil([&] { return surface->FramesRendered() >= 3; }, 15000));
    QImage frame = surface->LastFrame();
    EXPECT_EQ(frame.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(Mismatches(frame), 0);

    window.show();
    EXPECT_TRUE(WaitUntil([&] { return Mismatches(Screenshot(&window)) == 0; }, 15000, 100))
        << Mismatches(Screenshot(&window)) << " pixels differ on screen";
    // Drawn into a buffer with alpha, as a Wayland window's is: the picture must be opaque.
    QImage buffer(window.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(dpr);
    buffer.fill(Qt::transparent);
    window.render(&buffer);
    EXPECT_EQ(Mismatches(buffer), 0);
    EXPECT_EQ(qAlpha(buffer.pixel(kWidth / 2, kHeight / 2)), 255);

    window.hide();
    testenv::Spin(200);
    const double from = pos;
    const qint64 frames = surface->FramesRendered();
    const auto played = [&] { return std::fmod(pos - from + 4, 4.0); };  // the clip loops
    ASSERT_TRUE(WaitUntil([&] { return played() > 1; }, 15000));
    EXPECT_GT(double(surface->FramesRendered() - frames), played() * 25 * 0.6) << played();

    surface->Clear();
    EXPECT_TRUE(surface->LastFrame().isNull());
}

INSTANTIATE_TEST_SUITE_P(Paths, VideoSurfaceTest, ::testing::Values("sw", "gl"));

using GlFrameTest = FrameTest;

// The caption window is a masked sibling stacked above the media window: with the OpenGL surface
// composed into the window, its letters still cover the picture on screen.
TEST_F(GlFrameTest, ACaptionStaysAboveTheOpenGlPicture) {
    qputenv("LIBGL_ALWAYS_SOFTWARE", "1");
    qputenv("VELMORA_VIDEO", "gl");
    const QString movie = dir_.path() + "/movie.mp4";
    ASSERT_TRUE(QFile::copy(testenv::GreyClip("640x480", 4), movie));
    ASSERT_FALSE(testenv::WriteFile(dir_.path() + "/movie.smi",
                                    "<SAMI><BODY>\n<SYNC Start=0><P Class=KRCC>가나다라 HELLO\n"
                                    "</BODY></SAMI>\n")
                     .isEmpty());
    Start();
    qunsetenv("VELMORA_VIDEO");
    IVideoSurface* surface = frame_->Player()->MediaWindow()->Surface();
    ASSERT_NE(dynamic_cast<CGlVideoSurface*>(surface), nullptr);
    frame_->OpenMediaPath(movie);
    ASSERT_TRUE(WaitUntil([&] { return frame_->CaptionWindow()->IsShowingCaption(); }, 10000));

    int yellow = 0, grey = 0;
    const auto count = [&] {
        const QImage shot = Screenshot(frame_->Content());
        yellow = grey = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QRgb c = shot.pixel(x, y);
                if (qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) < 60) ++yellow;
                if (std::abs(qRed(c) - 128) < 24 && std::abs(qBlue(c) - 128) < 24) ++grey;
            }
        return yellow > 200 && grey > 100000;
    };
    EXPECT_TRUE(WaitUntil(count, 15000, 100)) << yellow << " caption pixels, " << grey << " grey";
}

}  // namespace

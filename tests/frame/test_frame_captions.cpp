// Captions on screen in the main window: a real clip, a real caption file, and what the window
// looks like.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenuBar>

#include "captions/CaptionWnd.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

class FrameCaptionTest : public FrameTest {
  protected:
    // A 640x480 clip of a flat grey picture with a caption shown from 0 to 1.5 s, then cleared.
    QString MovieWithCaptions(const QString& name) {
        const QString movie = dir_.path() + "/" + name + ".mp4";
        EXPECT_TRUE(QFile::copy(
            testenv::MakeClip("grey-640x480-4s.mp4",
                              {"-f", "lavfi", "-i", "color=c=0x808080:size=640x480:rate=25:d=4",
                               "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"}),
            movie));
        EXPECT_FALSE(testenv::WriteFile(dir_.path() + "/" + name + ".smi",
                                        "<SAMI><BODY>\n<SYNC Start=0><P Class=KRCC>가나다라 HELLO\n"
                                        "<SYNC Start=1500><P Class=KRCC>&nbsp;\n</BODY></SAMI>\n")
                         .isEmpty());
        return movie;
    }
};

// Rows of the content area holding caption letters (yellow) and fringe (black) pixels.
struct CaptionPixels {
    int letters = 0, fringe = 0, top = -1, bottom = -1, greyOutside = 0, otherOutside = 0;
};

bool Near(QRgb c, int r, int g, int b) {
    return std::abs(qRed(c) - r) < 40 && std::abs(qGreen(c) - g) < 40 &&
           std::abs(qBlue(c) - b) < 40;
}

CaptionPixels Inspect(const QImage& image, const QRect& picture) {
    CaptionPixels p;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) < 60) {
                ++p.letters;
                if (p.top < 0) p.top = y;
                p.bottom = y;
            }
            // A black fringe pixel right below or right of a letter pixel.
            if (x + 1 < image.width() && y + 1 < image.height() && Near(c, 255, 255, 0) &&
                Near(image.pixel(x + 1, y + 1), 0, 0, 0))
                ++p.fringe;
        }
    }
    // The picture shows outside the caption's rows.
    for (int y = picture.top(); y <= picture.bottom(); y += 7) {
        if (p.top >= 0 && y >= p.top - 4 && y <= p.bottom + 6) continue;
        for (int x = picture.left(); x <= picture.right(); x += 7)
            (Near(image.pixel(x, y), 128, 128, 128) ? p.greyOutside : p.otherOutside)++;
    }
    return p;
}

TEST_F(FrameCaptionTest, CaptionAppearsOverThePictureAndClearsAfterABlankBlock) {
    Start();
    frame_->OpenMediaPath(MovieWithCaptions("movie"));
    CCaptionWnd* caption = frame_->CaptionWindow();
    ASSERT_TRUE(WaitUntil([&] { return caption->IsShowingCaption(); }, 8000));
    // The window took the picture's size, the control bar and the real menu bar's height.
    const int menu = frame_->menuBar()->height();
    EXPECT_GT(menu, 10);
    EXPECT_EQ(frame_->Content()->width(), 640);
    EXPECT_EQ(frame_->height(), menu + 480 + 58);
    testenv::Spin(300);  // a few frames reach the surface

    const QRect picture(0, 0, 640, 480);
    const CaptionPixels p = Inspect(frame_->Content()->grab().toImage(), picture);
    EXPECT_GT(p.letters, 200);
    EXPECT_GT(p.fringe, 20);
    // Position 6: the last line ends 480 * 6 / 120 = 24 rows above the picture's bottom, give or
    // take antialiasing and the fringe.
    EXPECT_NEAR(p.bottom, 480 - 24, 8);
    EXPECT_GT(p.top, 380);
    EXPECT_EQ(p.otherOutside, 0);
    EXPECT_GT(p.greyOutside, 1000);

    ASSERT_TRUE(WaitUntil([&] { return !caption->IsShowingCaption(); }, 8000));
    testenv::Spin(100);
    EXPECT_EQ(Inspect(frame_->Content()->grab().toImage(), picture).letters, 0);

    // Resized to a client width of 400, the window keeps the picture's shape.
    frame_->resize(400, 300);
    testenv::Spin(100);
    EXPECT_EQ(frame_->width(), 400);
    EXPECT_EQ(frame_->height(), menu + 300 + 58);
}

TEST_F(FrameCaptionTest, ExtraLinesPutTheCaptionBelowThePicture) {
    CProfile::Write(profile::kExtraLines, 2);
    CProfile::Write(profile::kEffect, 1);
    Start();
    frame_->OpenMediaPath(MovieWithCaptions("lines"));
    ASSERT_TRUE(WaitUntil([&] { return frame_->CaptionWindow()->IsShowingCaption(); }, 8000));
    // 2 extra lines at ratio 36 below a 640 x 480 picture: content height 605 (layout rule).
    EXPECT_EQ(frame_->Content()->height(), 605);
    testenv::Spin(200);
    const CaptionPixels p = Inspect(frame_->Content()->grab().toImage(), QRect(0, 0, 640, 480));
    EXPECT_GT(p.letters, 200);
    EXPECT_GT(p.top, 480);  // wholly in the added lines, above the control bar
    EXPECT_LT(p.bottom, 605 - 58);
}

}  // namespace

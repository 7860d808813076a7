// Captions on screen in the main window: a real clip, a real caption file, and what the window
// looks like.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>

#include "captions/CaptionWnd.h"
#include "playback/MediaPlayer2.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

class FrameCaptionTest : public FrameTest {
  protected:
    // A 640x480 clip of a flat grey picture with a caption shown from 0 to 1.5 s, then cleared.
    QString MovieWithCaptions(const QString& name) {
        const QString clip = testenv::GreyClip("640x480", 4);
        const QString movie = dir_.path() + "/" + name + ".mp4";
        EXPECT_TRUE(QFile::copy(clip, movie));
        QFile smi(dir_.path() + "/" + name + ".smi");
        EXPECT_TRUE(smi.open(QIODevice::WriteOnly));
        smi.write(
            "<SAMI><BODY>\n<SYNC Start=0><P Class=KRCC>가나다라 HELLO\n"
            "<SYNC Start=1500><P Class=KRCC>&nbsp;\n</BODY></SAMI>\n");
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
    EXPECT_EQ(frame_->width(), 368);  // the least width before any medium
    const int menu = frame_->height() - frame_->Content()->height();
    frame_->OpenMediaPath(MovieWithCaptions("movie"));
    CCaptionWnd* caption = frame_->CaptionWindow();
    ASSERT_TRUE(WaitUntil([&] { return caption->IsShowingCaption(); }, 8000));
    // The window took the picture's size: 640 wide, picture 480 high, control bar below.
    EXPECT_EQ(frame_->Content()->width(), 640);
    EXPECT_EQ(frame_->Content()->height(), 480 + 58);
    testenv::Spin(300);  // a few frames reach the surface

    const QRect picture(0, 0, 640, 480);
    const QImage shot = frame_->Content()->grab().toImage();
    const CaptionPixels p = Inspect(shot, picture);
    EXPECT_GT(p.letters, 200);
    EXPECT_GT(p.fringe, 20);
    // Position 6: the last line's bottom sits 480 * 6 / 120 = 24 rows above the picture's
    // bottom; antialiasing and the fringe allow a few rows either way.
    EXPECT_NEAR(p.bottom, 480 - 24, 8);
    EXPECT_GT(p.top, 380);
    EXPECT_EQ(p.otherOutside, 0);
    EXPECT_GT(p.greyOutside, 1000);

    // The blank block clears it.
    ASSERT_TRUE(WaitUntil([&] { return !caption->IsShowingCaption(); }, 8000));
    testenv::Spin(100);
    EXPECT_EQ(Inspect(frame_->Content()->grab().toImage(), picture).letters, 0);

    // Resized by its right edge to a client width of 400, the window keeps the picture's shape.
    frame_->resize(400, 300);
    testenv::Spin(100);
    EXPECT_EQ(frame_->width(), 400);
    EXPECT_EQ(frame_->height(), menu + 300 + 58);
}

}  // namespace

// Display modes and caption-area commands of the main window under a real window manager: full
// screen, frame, views, always on top, zoom, the boss key, a medium without picture, the hidden
// control bar and the idle pointer, and what the caption-area commands do to the screen.

#include <QFile>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <functional>

#include "app/Commands.h"
#include "controls/ControlBarRules.h"
#include "controls/ControlDlg.h"
#include "controls/MyFlatButton.h"
#include "tests/support/DisplayServer.h"
#include "tests/support/FrameTest.h"

testenv::DisplayServer& ModesDisplay();

namespace {

using testenv::WaitUntil;
constexpr int kWait = 15000;

// The whole output of a program run on the test display.
QString X(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(ModesDisplay().Env());
    p.start(args.first(), args.mid(1));
    if (!p.waitForFinished(10000)) p.kill(), p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

void PointerTo(QPoint global) {
    X({"xdotool", "mousemove", QString::number(global.x()), QString::number(global.y())});
}

void ClickAt(QPoint global, int times = 1) {
    PointerTo(global);
    X({"xdotool", "click", "--repeat", QString::number(times), "--delay", "80", "1"});
}

bool Near(QRgb c, int r, int g, int b) {
    return std::abs(qRed(c) - r) < 40 && std::abs(qGreen(c) - g) < 40 &&
           std::abs(qBlue(c) - b) < 40;
}

// What a shot of the content shows: red and grey pixels along a row a third down the picture,
// grey pixels down a column clear of the caption, and the rows holding yellow letters.
struct Look {
    int red = 0, grey = 0, greyRows = 0, letters = 0, top = -1, bottom = -1;
    int LetterHeight() const { return bottom - top; }
};

Look Inspect(const QImage& image, int pictureHeight) {
    Look l;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb c = image.pixel(x, pictureHeight / 3);
        l.red += qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
        l.grey += Near(c, 128, 128, 128);
    }
    for (int y = 0; y < image.height(); ++y) {
        l.greyRows += Near(image.pixel(60, y), 128, 128, 128);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) < 60) {
                ++l.letters;
                if (l.top < 0) l.top = y;
                l.bottom = y;
            }
        }
    }
    return l;
}

class FrameModesTest : public FrameTest {
  protected:
    void Start() {
        FrameTest::Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    }
    // Waits for pred, then lets the window manager's reports of what has happened reach the
    // window: asking for full screen while the report of the windowed size is still queued leaves
    // the widget at that size with the X window covering the screen (Qt reports only the last).
    bool Until(const std::function<bool()>& pred) {
        const bool held = WaitUntil(pred, kWait, 50);
        testenv::Spin(300);
        return held;
    }
    // A generated 30 s clip of a mid-grey picture (with more drawn on it when filters are given),
    // copied into the test's folder: nothing numbered lies beside it there to open at its end.
    QString Grey(const QString& size = "320x240", const QString& filters = {}) {
        const QString clip = testenv::GreyClip(size, 30, filters);
        const QString to =
            dir_.path() + "/grey-" + size + (filters.isEmpty() ? "" : "-drawn") + ".mp4";
        EXPECT_TRUE(QFile::copy(clip, to));
        return to;
    }
    void Play(const QString& path) {
        frame_->OpenMediaPath(path);
        ASSERT_TRUE(Until([&] { return frame_->PlayState() == 2; }));
    }
    // The client area (menu bar included) at x, y with the given width.
    void Place(int x, int y, int width) {
        frame_->setGeometry(x, y, width, frame_->height());
        ASSERT_TRUE(
            Until([&] { return frame_->geometry() == QRect(x, y, width, frame_->height()); }));
    }
    QString Prop(const QString& name) const {
        return X({"xprop", "-id", QString::number(frame_->winId()), name});
    }
    QString WmState() const { return Prop("_NET_WM_STATE") + Prop("WM_STATE"); }
    // Whether the window manager gives the window a title bar (Qt's frame margins can lag).
    bool Decorated() const {
        return Prop("_NET_FRAME_EXTENTS").section('=', 1).split(',').value(2).toInt() > 5;
    }
    bool FullScreenOnScreen() const {
        return frame_->isFullScreen() && frame_->geometry() == frame_->screen()->geometry();
    }
    bool Windowed() const { return !frame_->isFullScreen() && Decorated(); }
    QRect ContentOnScreen() const {
        return QRect(frame_->Content()->mapToGlobal(QPoint(0, 0)), frame_->Content()->size());
    }
    QImage Shot() const {
        const QRect r = ContentOnScreen();
        return frame_->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
    }
};

// Alt+Enter and the window manager's maximise (a double click on the title bar, or its request)
// give full screen, never a maximised window; Esc gives the window back as it was.
TEST_F(FrameModesTest, FullScreenRoundTripGivesBackTheWindow) {
    Start();
    Play(Grey());
    Place(100, 120, 500);
    const QRect before = frame_->geometry();
    const int passes = frame_->LayoutPassCount();
    const std::function<void()> ways[] = {
        [&] { QTest::keyClick(frame_.get(), Qt::Key_Return, Qt::AltModifier); },
        [&] {  // above the client area
            const int y = (frame_->frameGeometry().top() + frame_->geometry().top()) / 2;
            ClickAt(QPoint(frame_->geometry().center().x(), y), 2);
        },
        [&] { frame_->showMaximized(); },
    };
    for (const auto& enter : ways) {
        enter();
        ASSERT_TRUE(Until([&] { return frame_->Modes().fullScreen && FullScreenOnScreen(); }));
        EXPECT_TRUE(WmState().contains("_NET_WM_STATE_FULLSCREEN"));
        EXPECT_FALSE(WmState().contains("MAXIMIZED"));
        EXPECT_FALSE(frame_->menuBar()->isVisible());
        // 320 x 240 fitted into 1280 x 1024: 1280 x 960, centred from row 32.
        const frame_layout::Rect& p = frame_->Layout().picture;
        EXPECT_EQ(QRect(p.left, p.top, p.Width(), p.Height()), QRect(0, 32, 1280, 960));

        QTest::keyClick(frame_.get(), Qt::Key_Escape);
        ASSERT_TRUE(Until([&] { return Windowed() && frame_->geometry() == before; }))
            << "way " << (&enter - ways) << ": full screen " << frame_->isFullScreen()
            << ", decorated " << Decorated() << ", geometry " << frame_->geometry().x() << ","
            << frame_->geometry().y() << " " << frame_->width() << "x" << frame_->height();
        EXPECT_EQ(frame_->geometry(), before);  // no late resize either
        EXPECT_TRUE(frame_->menuBar()->isVisible());
        EXPECT_TRUE(frame_->ControlBar()->isVisible());
    }
    EXPECT_LE(frame_->LayoutPassCount() - passes, 3 * 8);  // no resize loop
}

TEST_F(FrameModesTest, FullScreenAtExitIsSavedWithTheBarFromBefore) {
    for (const int bar : {1, 0}) {
        CProfile::Write(profile::kFullScreen, 1);
        CProfile::Write(profile::kControls, bar);
        Start();
        ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }))
            << "window " << frame_->width() << "x" << frame_->height() << ", X window"
            << qPrintable(X({"xwininfo", "-id", QString::number(frame_->winId())})
                              .section("Width", 1, 1)
                              .simplified());
        EXPECT_FALSE(frame_->Modes().controls);
        frame_->OnCommand(cmd::kFullScreenKey);  // leaving gives back the saved bar
        ASSERT_TRUE(Until([&] { return Windowed(); }));
        EXPECT_EQ(frame_->Modes().controls, bar == 1);
        frame_->OnCommand(cmd::kFullScreen);
        ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));
        frame_->close();
        EXPECT_EQ(CProfile::Get(profile::kFullScreen), 1);
        EXPECT_EQ(CProfile::Get(profile::kControls), bar);
        frame_.reset();
    }
}

// Minimal and standard view set frame and bar and keep the client's place, as always on top does;
// full screen from minimal view gives minimal view back.
TEST_F(FrameModesTest, ViewsAndTopmostKeepTheClientPlace) {
    Start();
    Place(100, 120, 500);
    const int content = frame_->Content()->height();
    for (const bool minimal : {true, false}) {
        frame_->OnCommand(minimal ? cmd::kMinimalView : cmd::kStandardView);
        const auto shaped = [&] {
            return Decorated() != minimal && frame_->geometry().topLeft() == QPoint(100, 120) &&
                   frame_->Content()->height() == content - (minimal ? 58 : 0);
        };
        ASSERT_TRUE(Until(shaped));
        EXPECT_EQ(frame_->Modes().framed || frame_->Modes().controls, !minimal);
        EXPECT_EQ(frame_->menuBar()->isVisible(), !minimal);
        EXPECT_EQ(frame_->IsCommandChecked(cmd::kMinimalView), minimal);
        EXPECT_EQ(frame_->IsCommandChecked(cmd::kStandardView), !minimal);
        QTest::keyClick(frame_.get(), Qt::Key_T, Qt::ControlModifier);
        EXPECT_TRUE(Until([&] { return WmState().contains("_NET_WM_STATE_ABOVE") == minimal; }));
        EXPECT_EQ(frame_->IsCommandChecked(cmd::kTopmost), minimal);
        if (!minimal) break;
        frame_->OnCommand(cmd::kFullScreen);
        ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));
        frame_->OnCommand(cmd::kFullScreen);
        EXPECT_TRUE(Until(shaped));
    }
}

TEST_F(FrameModesTest, ZoomAndResetPositionLeaveFullScreenAndSizeTheWindow) {
    Start();
    // 400 wide: 100% is above the least window width (368), 200% fits the screen.
    Play(Grey("400x300"));
    Place(100, 120, 500);
    // Commands faster than the window manager answers end at the size the last one asks for.
    const QSize content = frame_->Content()->size();
    for (int round = 1; round <= 4; ++round) {  // the bar off, on, off, on
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(frame_.get(), Qt::Key_Return, Qt::ControlModifier);
        testenv::Spin(500);
        EXPECT_EQ(frame_->Content()->size(), content - QSize(0, round % 2 ? 58 : 0)) << round;
    }
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(frame_.get(), i % 2 ? Qt::Key_1 : Qt::Key_2, Qt::AltModifier);
    testenv::Spin(500);
    EXPECT_EQ(frame_->Content()->size(), QSize(800, 600 + 58));
    Place(100, 120, 500);

    for (const int width : {800, 400, 800}) {
        frame_->OnCommand(cmd::kFullScreen);  // each zoom leaves full screen first
        ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));
        frame_->OnCommand(width == 400 ? cmd::kZoom100 : cmd::kZoom200);
        ASSERT_TRUE(Until([&] {
            return Windowed() && frame_->Content()->width() == width &&
                   frame_->Layout().picture.Width() == width;
        })) << width;
        EXPECT_EQ(frame_->geometry().topLeft(), QPoint(100, 120));
        EXPECT_EQ(frame_->Content()->height(), width * 3 / 4 + 58);
        EXPECT_EQ(frame_->IsCommandChecked(cmd::kZoom100), width == 400);
        EXPECT_EQ(frame_->IsCommandChecked(cmd::kZoom200), width == 800);
    }
    frame_->OnCommand(cmd::kFullScreen);
    ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));
    frame_->OnCommand(cmd::kResetPosition);  // to the corner at the remembered width
    EXPECT_TRUE(Until([&] {
        return Windowed() && frame_->frameGeometry().topLeft() == QPoint(0, 0) &&
               frame_->Content()->width() == 800;
    }));
}

// A window as large as the screen is not moved or sized back from full screen: zoom still works.
TEST_F(FrameModesTest, AWindowAsLargeAsTheScreenLeavesFullScreenForGood) {
    Start();
    Play(Grey("640x512"));
    frame_->OnCommand(cmd::kMinimalView);
    frame_->OnCommand(cmd::kZoom200);
    frame_->OnCommand(cmd::kResetPosition);
    ASSERT_TRUE(Until([&] { return frame_->geometry() == frame_->screen()->geometry(); }));
    frame_->OnCommand(cmd::kFullScreen);
    ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));
    frame_->OnCommand(cmd::kFullScreen);
    ASSERT_TRUE(Until([&] { return !frame_->isFullScreen(); }));
    frame_->OnCommand(cmd::kZoom100);
    EXPECT_TRUE(Until([&] { return frame_->Content()->width() == 640; }));
}

TEST_F(FrameModesTest, BossKeyPausesAndMinimises) {
    Start();
    Play(Grey());
    for (int round = 0; round < 2; ++round) {  // playing, then paused after restoring
        QTest::keyClick(frame_.get(), Qt::Key_Return);
        EXPECT_TRUE(Until([&] { return WmState().contains("Iconic"); }));
        EXPECT_EQ(frame_->PlayState(), 1);
        frame_->showNormal();
        ASSERT_TRUE(Until([&] { return WmState().contains("Normal"); }));
        EXPECT_EQ(frame_->PlayState(), 1);
    }
}

TEST_F(FrameModesTest, SoundOnlyMediumKeepsThePlainWindowUntilAPictureOpens) {
    Start();
    const QString tone = dir_.path() + "/tone.mka";
    ASSERT_TRUE(QFile::copy(
        testenv::MakeClip("tone-10s.mka",
                          {"-f", "lavfi", "-i", "sine=frequency=440:duration=10", "-c:a", "flac"}),
        tone));
    Place(100, 120, 500);
    frame_->OnCommand(cmd::kFramed);
    ASSERT_TRUE(Until([&] { return !Decorated(); }));
    frame_->OnCommand(cmd::kFullScreen);
    ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));

    frame_->OpenMediaPath(tone);
    ASSERT_TRUE(Until([&] { return frame_->IsSoundOnly() && Windowed(); }));
    const frame_modes::ModeState& m = frame_->Modes();
    EXPECT_TRUE(m.framed && m.controls && !m.fullScreen);
    EXPECT_TRUE(frame_->menuBar()->isVisible());
    const QRect plain = frame_->geometry();
    EXPECT_EQ(plain.topLeft(), QPoint(100, 120));  // back where it was before full screen
    for (const int c : {cmd::kFullScreen, cmd::kFullScreenKey, cmd::kFramed, cmd::kControls})
        frame_->OnCommand(c);
    testenv::Spin(1000);
    EXPECT_EQ(frame_->geometry(), plain);
    EXPECT_TRUE(m.framed && m.controls && !m.fullScreen && Windowed());

    // Gone (a broken file after it), the modes are free: the bar hidden by hand is forced on by the
    // next medium without picture, which keeps the frame forced on by the first.
    testenv::WriteFile(dir_.path() + "/broken.mp4", "not a medium");
    frame_->OpenMediaPath(dir_.path() + "/broken.mp4");
    ASSERT_TRUE(Until([&] { return frame_->OpenState() == 0 && !frame_->IsSoundOnly(); }));
    frame_->OnCommand(cmd::kControls);
    frame_->OpenMediaPath(tone);
    ASSERT_TRUE(Until([&] { return frame_->IsSoundOnly() && m.controls; }));

    frame_->OpenMediaPath(Grey());  // a picture again: frameless and without bar as before
    ASSERT_TRUE(Until([&] { return frame_->OpenState() == 6 && !frame_->IsSoundOnly(); }));
    EXPECT_TRUE(Until([&] { return !Decorated(); }));
    EXPECT_FALSE(m.framed || m.controls);
    EXPECT_FALSE(frame_->menuBar()->isVisible());
}

TEST_F(FrameModesTest, CaptionAreaCommandsChangeWhatTheScreenShows) {
    Start();
    // A grey 640 x 480 picture with 16 red columns at each side: a crop of 5% cuts exactly those.
    const QString movie = Grey("640x480",
                               "drawbox=x=0:y=0:w=16:h=480:color=red:t=fill,"
                               "drawbox=x=624:y=0:w=16:h=480:color=red:t=fill");
    testenv::WriteFile(QString(movie).replace(".mp4", ".smi"),
                       "<SAMI><BODY>\n<SYNC Start=0><P Class=KRCC>가나다라 HELLO\n"
                       "<SYNC Start=30000><P Class=KRCC>&nbsp;\n</BODY></SAMI>\n");
    Play(movie);
    Look look;
    const auto shows = [&](const std::function<bool(const Look&)>& pred) {
        return WaitUntil(
            [&] { return pred(look = Inspect(Shot(), frame_->Layout().picture.Height())); }, kWait,
            200);
    };
    ASSERT_TRUE(shows([](const Look& l) { return l.letters > 100 && l.red > 20; }));
    const Look first = look;
    EXPECT_NEAR(first.red, 32, 6);
    EXPECT_NEAR(first.greyRows, 480, 4);
    const int contentHeight = frame_->Content()->height(), windowHeight = frame_->height();
    const auto click = [&](int id) {  // a real click on a control-bar button
        CMyFlatButton* b = frame_->ControlBar()->Button(id);
        ClickAt(b->mapToGlobal(b->rect().center()));
    };

    // Crop: the red sides go, the picture grows taller (608 x 480 shown 640 wide: 505 rows).
    click(controlbar::kIdCropIn);
    EXPECT_TRUE(shows([](const Look& l) { return l.red < 3 && l.greyRows > 495; }));
    EXPECT_EQ(frame_->CropPercent(), 5);
    EXPECT_NEAR(look.greyRows, 505, 4);
    EXPECT_GT(look.grey, 630);
    click(controlbar::kIdCropOut);
    EXPECT_TRUE(shows([](const Look& l) { return l.red > 20 && l.greyRows < 490; }));

    // One extra line: the window grows by one line pitch and the letters move below the picture.
    click(controlbar::kIdMarginDown);
    EXPECT_TRUE(shows([](const Look& l) { return l.top > 480; }));
    EXPECT_EQ(frame_->CurrentSettings().extraLines, 1);
    const int grown = frame_->Content()->height() - contentHeight;
    EXPECT_GT(grown, 15);
    EXPECT_LT(grown, 60);
    EXPECT_EQ(frame_->height() - windowHeight, grown);
    click(controlbar::kIdMarginUp);
    EXPECT_TRUE(shows([](const Look& l) { return l.letters > 100 && l.bottom < 480; }));
    EXPECT_EQ(frame_->Content()->height(), contentHeight);

    // Caption up: five steps of 480 / 120 rows lift the letters by about 20 rows.
    for (int i = 0; i < 5; ++i) QTest::keyClick(frame_.get(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(frame_->CurrentSettings().captionPosition, 11);
    EXPECT_TRUE(shows([&](const Look& l) { return l.letters > 100 && l.top < first.top - 12; }));
    const Look lifted = look;

    // Larger letters: ratio 36 down to its least, 21.
    for (int i = 0; i < 20; ++i) QTest::keyClick(frame_.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(frame_->CurrentSettings().sizeRatio, 21);
    EXPECT_TRUE(shows([&](const Look& l) {
        return l.letters > 100 && l.LetterHeight() > lifted.LetterHeight() * 14 / 10;
    }));
}

TEST_F(FrameModesTest, HiddenBarShowsUnderThePointerAndAnIdlePointerHides) {
    CProfile::Write(profile::kControls, 0);
    Start();
    Play(Grey());
    QWidget* bar = frame_->ControlBar();
    PointerTo(QPoint(1200, 1000));
    ASSERT_TRUE(Until([&] { return !bar->isVisible(); }));
    const QRect content = ContentOnScreen();
    PointerTo(QPoint(content.center().x(), content.bottom() - 20));  // the bar's place
    EXPECT_TRUE(Until([&] { return bar->isVisible(); }));
    PointerTo(QPoint(content.center().x(), content.top() + 20));
    EXPECT_TRUE(Until([&] { return !bar->isVisible(); }));

    frame_->OnCommand(cmd::kFullScreen);
    ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));
    PointerTo(QPoint(640, 300));
    EXPECT_TRUE(Until([&] { return !frame_->IsPointerShown(); }));
    EXPECT_FALSE(bar->isVisible());
    PointerTo(QPoint(700, 350));
    EXPECT_TRUE(Until([&] { return frame_->IsPointerShown(); }));
    PointerTo(QPoint(640, 1000));  // the bar's place at the screen's bottom
    EXPECT_TRUE(Until([&] { return bar->isVisible(); }));
}

// The mouse on the picture: a left drag moves the window (not in full screen), a left double click
// pauses and resumes, the right button opens the context menu at the pointer; with the quick-menu
// choice the left button opens it and drags nothing.
TEST_F(FrameModesTest, MouseOnThePictureDragsPausesAndOpensTheMenu) {
    Start();
    Play(Grey("640x360"));
    Place(100, 120, 640);
    // Each step is handled before the next, as with a hand on the mouse.
    const auto drag = [](QPoint from, QPoint by) {
        PointerTo(from);
        X({"xdotool", "mousedown", "1"});
        testenv::Spin(100);
        for (int step = 1; step <= 4; ++step) {
            PointerTo(from + by * step / 4);
            testenv::Spin(100);
        }
        X({"xdotool", "mouseup", "1"});
        testenv::Spin(100);
    };
    const auto picture = [&] { return frame_->Content()->mapToGlobal(QPoint(320, 150)); };
    // The move starts once the pointer has left the click's jitter; it follows from there.
    drag(picture(), {80, 60});
    EXPECT_TRUE(Until([&] {
        const QPoint moved = frame_->geometry().topLeft() - QPoint(100, 120);
        return moved.x() >= 40 && moved.y() >= 30;
    }));

    // A flick handled only after the button is up drags nothing and leaves the next clicks alone.
    const QRect placed = frame_->geometry();
    X({"xdotool", "mousemove", QString::number(picture().x()), QString::number(picture().y()),
       "mousedown", "1", "mousemove_relative", "30", "30", "mouseup", "1"});
    testenv::Spin(300);
    ClickAt(picture(), 2);
    EXPECT_TRUE(Until([&] { return frame_->PlayState() == 1; }));
    EXPECT_EQ(frame_->geometry(), placed);
    ClickAt(picture(), 2);
    EXPECT_TRUE(Until([&] { return frame_->PlayState() == 2; }));

    QMenu* menu = frame_->ContextMenu();
    PointerTo(picture());
    X({"xdotool", "click", "3"});
    ASSERT_TRUE(Until([&] { return menu->isVisible(); }));
    EXPECT_LE((menu->pos() - picture()).manhattanLength(), 4);
    menu->close();

    frame_->SetQuickMenu(true);
    const QRect before = frame_->geometry();
    drag(picture(), {60, 40});
    EXPECT_TRUE(Until([&] { return menu->isVisible(); }));  // the left button's release
    menu->close();
    EXPECT_EQ(frame_->geometry(), before);

    frame_->SetQuickMenu(false);
    frame_->OnCommand(cmd::kFullScreen);
    ASSERT_TRUE(Until([&] { return FullScreenOnScreen(); }));
    drag(picture(), {80, 60});
    EXPECT_TRUE(Until([&] { return FullScreenOnScreen(); }));
}

}  // namespace

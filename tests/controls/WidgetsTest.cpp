// The control bar's widgets as a person sees and uses them: faces and frames checked on grabbed
// pixels, slider clicks and drags, the panel's commands and key forwarding.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <memory>
#include <tuple>

#include "controls/ControlBarRules.h"
#include "controls/ControlDlg.h"
#include "controls/MyFlatButton.h"
#include "controls/SeekSlider.h"
#include "controls/TransparentBitmap.h"

using namespace controlbar;

namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;

QImage FaceImage(int bitmapId) {
    CTransparentBitmap bitmap;
    bitmap.LoadBitmap(bitmapId);
    return bitmap.Image();
}

QImage Shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Number of the face's non-magenta pixels that the shot does not show at `at`.
int Mismatches(const QImage& shot, QPoint at, const QImage& face) {
    int bad = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const QRgb want = face.pixel(x, y);
            if (want == kMagenta) continue;
            const QPoint p = at + QPoint(x, y);
            if (!shot.rect().contains(p) || shot.pixel(p) != want) ++bad;
        }
    return bad;
}

const auto Press = [](QWidget* w, QPoint p) { QTest::mousePress(w, Qt::LeftButton, {}, p); };
const auto Release = [](QWidget* w, QPoint p) { QTest::mouseRelease(w, Qt::LeftButton, {}, p); };
const auto Click = [](QWidget* w, QPoint p) { QTest::mouseClick(w, Qt::LeftButton, {}, p); };
// A mouse move with the left button held (or, for a hover, none).
void MoveHeld(QWidget* w, QPoint p, Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

struct Panel {
    std::unique_ptr<CControlDlg> dlg = std::make_unique<CControlDlg>();
    Panel() {
        dlg->resize(402, CControlDlg::kHeight);
        dlg->show();
        QApplication::processEvents();
    }
    CMyFlatButton* B(int id) const { return dlg->Button(id); }
    QImage Shot() const { return ::Shot(*dlg); }
    QPoint At(int id) const { return B(id)->mapTo(dlg.get(), QPoint(0, 0)); }
};

}  // namespace

TEST(ButtonArt, EveryFaceExistsAtItsSizeKeepsOffTheFrameAndKeysOutExactMagenta) {
    for (int id : AllBitmapIds()) {
        const QImage face = FaceImage(id);
        ASSERT_EQ(face.size(), QSize(BitmapSize(id), BitmapSize(id))) << id;
        EXPECT_GT(Mismatches(QImage(), {}, face), 25) << id << " shows almost nothing";
    }
    // Faces keep off the frame: normal ones (one pixel in) leave their last row and column
    // magenta, pushed ones (two in) their last two, latched ones (at the corner) their first.
    const auto edgeMagenta = [](int bitmap, int index) {
        const QImage f = FaceImage(bitmap);
        for (int i = 0; i < f.width(); ++i)
            if (f.pixel(i, index) != kMagenta || f.pixel(index, i) != kMagenta) return false;
        return true;
    };
    for (const ButtonDef& b : ButtonTable()) {
        if (BitmapSize(b.normalBitmap) != 21) continue;
        EXPECT_TRUE(edgeMagenta(b.normalBitmap, 20) && edgeMagenta(b.pushedBitmap, 19) &&
                    edgeMagenta(b.pushedBitmap, 20) && edgeMagenta(b.latchedBitmap, 0))
            << b.id;
    }

    QImage dest(2, 1, QImage::Format_RGB32), src(2, 1, QImage::Format_RGB32);
    dest.fill(QColor(10, 20, 30));
    src.setPixel(0, 0, kMagenta);
    src.setPixel(1, 0, qRgb(254, 0, 255));  // near magenta is an ordinary colour
    CTransparentBitmap bitmap, missing;
    bitmap.SetImage(src);
    EXPECT_FALSE(missing.LoadBitmap(999999));
    QPainter p(&dest);
    bitmap.DrawTransparent(p, 0, 0);
    missing.DrawTransparent(p, 0, 0);  // draws nothing
    p.end();
    EXPECT_EQ(std::pair(dest.pixel(0, 0), dest.pixel(1, 0)),
              std::pair(qRgb(10, 20, 30), qRgb(254, 0, 255)));
}

TEST(FlatButton, FacesAndFramesOnScreen) {
    Panel panel;
    CMyFlatButton* pause = panel.B(kIdPause);
    const QPalette& pal = panel.dlg->palette();
    const QRgb background = pal.color(QPalette::Button).rgb(),
               shadow = pal.color(QPalette::Dark).rgb(),
               highlight = pal.color(QPalette::Light).rgb();
    const QPoint at = panel.At(kIdPlay), pat = panel.At(kIdPause);
    const auto expectFace = [&](QPoint where, int bitmap, QPoint pixel, QRgb colour) {
        const QImage shot = panel.Shot();
        EXPECT_EQ(Mismatches(shot, where, FaceImage(bitmap)), 0) << bitmap;
        EXPECT_EQ(shot.pixel(pixel), colour) << bitmap;
    };
    // Normal: one pixel in, no frame. Latched: at the corner in a sunken frame.
    expectFace(at + QPoint(1, 1), 3184, at + QPoint(0, 5), background);
    panel.dlg->UpdatePlayState(2);
    expectFace(at, 3183, at + QPoint(21, 21), highlight);

    // Held: two pixels in, sunken; dragged off it stays pushed, and the release does not click.
    QSignalSpy clicked(pause, &QAbstractButton::clicked);
    Press(pause, {5, 5});
    MoveHeld(pause, {60, 40});
    expectFace(pat + QPoint(2, 2), 3181, pat + QPoint(0, 5), shadow);
    Release(pause, {60, 40});
    EXPECT_EQ(clicked.count(), 0);

    // Hovered: raised; the frame goes with the pointer.
    CMyFlatButton* stop = panel.B(kIdStop);
    const QPoint sat = panel.At(kIdStop);
    MoveHeld(stop, {3, 8}, Qt::NoButton);
    expectFace(sat + QPoint(1, 1), 3192, sat + QPoint(21, 5), shadow);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(stop, &leave);
    EXPECT_EQ(panel.Shot().pixel(sat + QPoint(21, 5)), background);
}

TEST(SeekSlider, ClicksJumpAndDragsButOnlyWhenInteractive) {
    CSeekSlider slider;
    slider.resize(220, 24);
    slider.setRange(0, 10000);
    slider.ResetTrack();
    slider.SetInteractive(true);
    slider.show();
    QApplication::processEvents();
    QSignalSpy released(&slider, &CSeekSlider::captureReleased);
    const Span span = slider.ThumbCentreSpan();
    const int y = slider.height() / 2;
    ASSERT_GT(span.right, span.left);

    // Away from the thumb a click jumps there and reports on the release.
    const int mid = (span.left + span.right) / 2;
    Click(&slider, {mid, y});
    EXPECT_NEAR(slider.value(), 5000, 100);
    EXPECT_EQ(released.count(), 1);

    // The hold has ended, so the position follows again; a click on the thumb does not move it.
    slider.SetPosition(3000);
    const QPoint thumb = slider.ThumbRect().center();
    Click(&slider, thumb);
    EXPECT_EQ(slider.value(), 3000);

    // Held: SetPosition is ignored and a drag moves the thumb. The release ends the hold even
    // when seeking was switched off meanwhile (a new medium), and then reports nothing.
    Press(&slider, thumb);
    slider.SetPosition(9000);
    EXPECT_EQ(slider.value(), 3000);
    MoveHeld(&slider, thumb + QPoint(40, 0));
    EXPECT_GT(slider.value(), 3000);
    released.clear();
    slider.SetInteractive(false);
    Release(&slider, thumb + QPoint(40, 0));
    slider.SetPosition(9000);
    EXPECT_EQ(slider.value(), 9000);

    // Not interactive: mouse, wheel and keys neither move it nor report.
    Press(&slider, {0, y});
    MoveHeld(&slider, {30, y});
    Release(&slider, {30, y});
    QWheelEvent wheel(QPointF(mid, y), slider.mapToGlobal(QPointF(mid, y)), {}, {0, 120},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&slider, &wheel);
    for (Qt::Key k : {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End})
        QTest::keyClick(&slider, k);
    EXPECT_EQ(slider.value(), 9000);
    EXPECT_EQ(released.count(), 0);
}

TEST(ControlPanel, PartsFollowTheWidthAndThePlayState) {
    Panel panel;
    panel.dlg->resize(642, CControlDlg::kHeight);
    QApplication::processEvents();
    EXPECT_EQ(std::pair(panel.dlg->SeekSlider()->width(), panel.dlg->VolumeSlider()->x()),
              std::pair(536, 580));

    const auto latched = [&] {
        std::string bits;
        for (int id : {kIdPlay, kIdPause, kIdStop})
            bits += panel.B(id)->IsLatched() ? 'L' : (panel.B(id)->isEnabled() ? '-' : 'x');
        return bits;
    };
    panel.dlg->EnableTransport(true);
    panel.dlg->UpdatePlayState(2);
    // 8: all three disabled, the latch kept for when they are enabled again.
    panel.dlg->UpdatePlayState(8);
    EXPECT_EQ(Mismatches(panel.Shot(), panel.At(kIdPlay), FaceImage(3182)), 0);
    panel.dlg->EnableTransport(true);
    EXPECT_EQ(latched(), "L--");
    // 4 and 5 change nothing, whatever the buttons show.
    panel.dlg->UpdatePlayState(1);
    panel.B(kIdPause)->setEnabled(false);
    const QImage before = panel.Shot();
    for (int state : {4, 5}) {
        panel.dlg->UpdatePlayState(state);
        EXPECT_EQ(panel.Shot(), before) << state;
    }
    panel.dlg->UpdatePlayState(0);
    EXPECT_EQ(latched(), "-xL");
    panel.dlg->SetMuteLatched(true);
    EXPECT_EQ(Mismatches(panel.Shot(), panel.At(kIdMute), FaceImage(3196)), 0);
}

TEST(ControlPanel, ButtonsAskTheFrameForCommands) {
    Panel panel;
    int state = 8;
    panel.dlg->SetPlayStateReader([&] { return state; });
    QSignalSpy commands(panel.dlg.get(), &CControlDlg::commandPosted);
    QSignalSpy focus(panel.dlg.get(), &CControlDlg::focusToFrame);
    panel.dlg->EnableTransport(true);
    panel.dlg->EnablePrevNext(true);
    // Clicks `id` (none: 0) in `playState`; the commands posted so far, or -1 for none.
    const auto take = [&](int id, int playState) {
        state = playState;
        if (id != 0) Click(panel.B(id), {10, 10});
        const int got = commands.isEmpty() ? -1 : commands.takeFirst().at(0).toInt();
        EXPECT_TRUE(commands.isEmpty());
        return got;
    };
    // Transport buttons check the play state and send their command during the click.
    const std::tuple<int, int, int> direct[] = {
        {kIdPlay, 0, kCmdPlayPause},  {kIdPlay, 1, kCmdPlayPause}, {kIdPlay, 2, -1},
        {kIdPause, 2, kCmdPlayPause}, {kIdPause, 1, -1},           {kIdStop, 0, -1},
        {kIdStop, 1, kCmdStop},       {kIdPrev, 2, kCmdPrev},      {kIdNext, 2, kCmdNext},
        {kIdMute, 2, kCmdMute}};
    for (const auto& [id, playState, expected] : direct)
        EXPECT_EQ(take(id, playState), expected) << id << " in " << playState;
    // The others post it: nothing during the click, the command once the event loop runs.
    const std::pair<int, int> posted[] = {{kIdOpen, kCmdOpen},
                                          {kIdMarginDown, kCmdMarginMore},
                                          {kIdMarginUp, kCmdMarginLess},
                                          {kIdCropIn, kCmdCropMore},
                                          {kIdCropOut, kCmdCropLess}};
    for (auto [id, command] : posted) {
        EXPECT_EQ(take(id, 2), -1) << id;
        QApplication::processEvents();
        EXPECT_EQ(take(0, 2), command) << id;
    }
    EXPECT_EQ(focus.count(), 1);  // Open hands the focus to the frame first

    // Without a reader the panel goes by the last play state it was given.
    panel.dlg->SetPlayStateReader({});
    panel.dlg->UpdatePlayState(2);
    EXPECT_EQ(take(kIdPause, 0), kCmdPlayPause);

    // The panel taking the focus hands it on; going, it asks the application to end.
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(panel.dlg.get(), &in);
    EXPECT_EQ(focus.count(), 2);
    int quits = 0;
    QObject::connect(panel.dlg.get(), &CControlDlg::quitRequested, [&] { ++quits; });
    panel.dlg.reset();
    EXPECT_EQ(quits, 1);
}

TEST(ControlPanel, SlidersReportOnRelease) {
    Panel panel;
    CSeekSlider* seek = panel.dlg->SeekSlider();
    CSeekSlider* volume = panel.dlg->VolumeSlider();
    panel.dlg->SetDurationReader([] { return 120.0; });
    QSignalSpy seeks(panel.dlg.get(), &CControlDlg::seekRequested);
    QSignalSpy steps(panel.dlg.get(), &CControlDlg::volumeStepChosen);

    panel.dlg->EnableSeek(true);
    panel.dlg->SetSeekPosition(5000);
    const QPoint thumb = seek->ThumbRect().center();
    Press(seek, thumb);
    EXPECT_EQ(seeks.count(), 0);  // nothing before the release
    Release(seek, thumb);
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_DOUBLE_EQ(seeks.at(0).at(0).toDouble(), 60.0);

    // A medium without a known length is never sent to 0 or to a non-number.
    for (double unknown : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
        panel.dlg->SetDurationReader([unknown] { return unknown; });
        Click(seek, seek->ThumbRect().center());
    }
    EXPECT_EQ(seeks.count(), 1);

    // Volume: the far right is step 0 (loudest), the far left step 10; the client hides the
    // slider's last three pixels.
    panel.dlg->ShowVolumeStep(4);
    EXPECT_EQ(volume->value(), 6);
    Click(volume, {volume->width() - 4, volume->height() / 2});
    Click(volume, {0, volume->height() / 2});
    ASSERT_EQ(steps.count(), 2);
    EXPECT_EQ(steps.at(0).at(0).toInt(), 0);
    EXPECT_EQ(steps.at(1).at(0).toInt(), 10);
}

TEST(ControlPanel, KeysReachTheFrameOnceAndFirst) {
    Panel panel;
    panel.dlg->EnableTransport(true);
    CMyFlatButton* play = panel.B(kIdPlay);
    std::vector<std::pair<QEvent::Type, int>> forwarded;
    QObject::connect(panel.dlg.get(), &CControlDlg::keyForFrame, [&](QKeyEvent* e, bool* handled) {
        forwarded.push_back({e->type(), e->key()});
        *handled = e->key() == Qt::Key_Space;
    });
    QSignalSpy clicked(play, &QAbstractButton::clicked);
    QApplication::setActiveWindow(panel.dlg.get());
    play->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), play);

    // Space the frame takes does not click; a key it leaves alone reaches it only once, though
    // the button passes it up to the panel; Tab never moves the focus between the panel's widgets.
    QTest::keyClick(play, Qt::Key_Space);
    QTest::keyClick(play, Qt::Key_A);
    QTest::keyClick(play, Qt::Key_Tab);
    using F = std::vector<std::pair<QEvent::Type, int>>;
    EXPECT_EQ(forwarded, (F{{QEvent::KeyPress, Qt::Key_Space},
                            {QEvent::KeyRelease, Qt::Key_Space},
                            {QEvent::KeyPress, Qt::Key_A},
                            {QEvent::KeyRelease, Qt::Key_A},
                            {QEvent::KeyPress, Qt::Key_Tab},
                            {QEvent::KeyRelease, Qt::Key_Tab}}));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_FALSE(play->isDown());
    EXPECT_EQ(QApplication::focusWidget(), play);
}

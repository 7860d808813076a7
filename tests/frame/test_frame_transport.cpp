// Transport commands of the main window against a real playing clip, through the control bar and
// the keyboard.

#include <QSignalSpy>
#include <QTest>

#include "controls/ControlBarRules.h"
#include "controls/ControlDlg.h"
#include "controls/MyFlatButton.h"
#include "controls/SeekSlider.h"
#include "playback/MediaPlayer2.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

class FrameTransportTest : public FrameTest {
  protected:
    void OpenClip() {
        frame_->OpenMediaPath(testenv::VideoClip());
        ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2; }, 8000));
    }
    CMyFlatButton* Button(int id) { return frame_->ControlBar()->Button(id); }
    bool Latched(int id) { return Button(id)->IsLatched(); }
};

TEST_F(FrameTransportTest, ButtonsLatchWithThePlayStateAndCommandsCheckIt) {
    Start();
    // Without a medium the transport does nothing.
    frame_->OnCommand(32791);
    frame_->OnCommand(32792);
    EXPECT_EQ(frame_->PlayState(), 8);
    EXPECT_FALSE(Button(controlbar::kIdPlay)->isEnabled());

    OpenClip();
    EXPECT_TRUE(Latched(controlbar::kIdPlay));
    EXPECT_TRUE(frame_->IsPollTimerActive());

    // Space on a focused panel button reaches the frame's play/pause without clicking it.
    frame_->activateWindow();
    CMyFlatButton* stop = Button(controlbar::kIdStop);
    stop->setFocus();
    QSignalSpy clicks(stop, &QAbstractButton::clicked);
    QTest::keyClick(stop, Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 1; }));
    QTest::keyClick(stop, Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2; }));
    EXPECT_EQ(clicks.count(), 0);

    QTest::mouseClick(Button(controlbar::kIdPause), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 1; }));
    EXPECT_TRUE(Latched(controlbar::kIdPause));
    EXPECT_FALSE(frame_->IsPollTimerActive());

    frame_->OnCommand(32791);  // play/pause from paused plays
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2; }));
    ASSERT_TRUE(WaitUntil([&] { return frame_->Player()->GetCurrentPosition() > 1.0; }));

    QTest::mouseClick(Button(controlbar::kIdStop), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 0; }));
    EXPECT_TRUE(Latched(controlbar::kIdStop));
    ASSERT_TRUE(WaitUntil([&] { return frame_->Player()->GetCurrentPosition() < 0.1; }));
    EXPECT_TRUE(frame_->ControlBar()->TimeText().startsWith("00:00/00:0"));

    // 00:00 was the second last shown; after a failing medium empties the time text, the next
    // medium shows its first second all the same.
    frame_->OpenMediaPath(dir_.path() + "/missing.mp4");
    ASSERT_TRUE(WaitUntil([&] { return frame_->ControlBar()->TimeText().isEmpty(); }, 8000));
    frame_->OpenMediaPath(testenv::VideoClip());
    QString first;
    ASSERT_TRUE(WaitUntil([&] { return !(first = frame_->ControlBar()->TimeText()).isEmpty(); }));
    EXPECT_TRUE(first.startsWith("00:00/00:04")) << first.toStdString();
}

TEST_F(FrameTransportTest, VolumeStepsMuteAndSeeks) {
    CProfile::Write(profile::kVolumeStep, 15);  // a damaged value loads as the softest step
    Start();
    const auto volume = [&] {  // step, player volume, slider
        return std::tuple(frame_->CurrentSettings().volumeStep, frame_->Player()->GetVolume(),
                          frame_->ControlBar()->VolumeSlider()->value());
    };
    EXPECT_EQ(volume(), std::tuple(10, -9640, 0));
    for (int i = 0; i < 12; ++i) frame_->OnCommand(32794);  // louder to the end
    EXPECT_EQ(volume(), std::tuple(0, 0, 10));
    frame_->SetVolumeStep(5);
    for (bool muted : {true, false}) {
        frame_->OnCommand(32795);
        EXPECT_EQ(frame_->Player()->GetMute(), muted);
        EXPECT_EQ(Latched(controlbar::kIdMute), muted);
    }

    OpenClip();                // 4 seconds long
    frame_->OnCommand(32808);  // 30 s forward would pass the end: nothing happens
    frame_->OnCommand(32806);  // 5 s back from under 5 s goes to 0
    EXPECT_TRUE(WaitUntil([&] { return frame_->Player()->GetCurrentPosition() < 0.5; }));
}

}  // namespace

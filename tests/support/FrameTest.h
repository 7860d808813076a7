#pragma once
// Base of the main-window tests: a settings file of the test's own in a temporary folder, and a
// main window made on demand (so a test can write settings first) and closed at the end.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/Profile.h"
#include "frame/MainFrame.h"
#include "tests/support/TestEnv.h"

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        CProfile::Root(SettingsPath());
    }
    void TearDown() override {
        if (frame_) frame_->close();
        frame_.reset();
    }
    void Start() {
        frame_ = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame_->CreateAndShow());
    }
    QString SettingsPath() const { return dir_.path() + "/settings.ini"; }

    QTemporaryDir dir_;
    std::unique_ptr<CMainFrame> frame_;
};

// The settings store and the main window's settings, in this process.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <tuple>

#include "app/Profile.h"
#include "frame/MainFrame.h"

namespace {

// Korean, quotes, separators, comment and section marks, line breaks and outer blanks.
const QString kAwkward = " 값 %1 \"q\" \\ = ;#[x]\n\r\tend\\ ";

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.path() + "/Velmora.ini";
    }
    void Root() { CProfile::Root(path_); }
    QByteArray ReadFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir_;
    QString path_;
};

TEST_F(ProfileTest, EveryKeyRoundTripsWithItsKoreanNames) {
    Root();
    EXPECT_EQ(CProfile::GetString("Folder", "Sami", "absent"), "absent");
    int n = 1000;
    for (const auto& key : profile::kIntKeys) EXPECT_TRUE(CProfile::Write(key, -(++n)));
    for (const auto& key : profile::kStringKeys)
        EXPECT_TRUE(CProfile::Write(key, kAwkward.arg(key.name)));

    CProfile::Root(path_);  // a fresh start reads the file back
    EXPECT_TRUE(CProfile::KeptAsidePath().isEmpty());
    n = 1000;
    for (const auto& key : profile::kIntKeys)
        EXPECT_EQ(CProfile::GetInt(key.section, key.name, 7), -(++n)) << key.name;
    for (const auto& key : profile::kStringKeys)
        EXPECT_EQ(CProfile::Get(key), kAwkward.arg(key.name));
    CProfile::Write(profile::kCaptionFolder, QString());  // empty is a value, not absence
    EXPECT_EQ(CProfile::GetString("Folder", "Sami", "absent"), "");
}

TEST_F(ProfileTest, UnusableValuesReadAsDefaultsAndTheDamagedFileIsKept) {
    const QByteArray damaged =
        "[폰트]\n크기비율=0\n글자색=255\n효과=abc\n\x01\x02garbage line\n[캡션]\n위치=-4\n"
        "추가여백=3\n";
    QFile f(path_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(damaged) == damaged.size());
    f.close();
    Root();
    const QString aside = CProfile::KeptAsidePath();
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_EQ(ReadFile(aside), damaged);
    // 0 would divide by zero, "abc" is no number, -4 is off the caption area; usable values stay.
    EXPECT_EQ(std::tuple(CProfile::Get(profile::kSizeRatio), CProfile::Get(profile::kEffect),
                         CProfile::Get(profile::kCaptionPosition),
                         CProfile::Get(profile::kTextColor), CProfile::Get(profile::kExtraLines)),
              std::tuple(36, 0, 6, 255, 3));

    // Writing afterwards leaves the kept copy alone and gives a clean file.
    CProfile::Write(profile::kSizeRatio, 30);
    EXPECT_EQ(ReadFile(aside), damaged);
    CProfile::Root(path_);
    EXPECT_TRUE(CProfile::KeptAsidePath().isEmpty());
    EXPECT_EQ(CProfile::Get(profile::kSizeRatio), 30);
}

TEST_F(ProfileTest, AnUnreadableSettingsPathIsMovedAsideNotDestroyed) {
    ASSERT_TRUE(QDir().mkpath(path_ + "/inside"));  // a folder where the file should be
    Root();
    ASSERT_FALSE(CProfile::KeptAsidePath().isEmpty());
    EXPECT_TRUE(QFileInfo(CProfile::KeptAsidePath() + "/inside").isDir());
    EXPECT_EQ(CProfile::Get(profile::kSizeRatio), 36);
    EXPECT_TRUE(CProfile::Write(profile::kSizeRatio, 40));
}

// Volume steps are clamped; window positions too far out to be screen pixels read as 0, so the
// saved right edge (left + width) cannot wrap.
TEST_F(ProfileTest, LoadedValuesAreBoundedAndSettingsSurviveARestart) {
    for (const auto& [volume, volumeLoaded, left, leftLoaded] :
         {std::tuple{15, 10, INT_MAX - 10, 0}, {-3, 0, INT_MIN, 0}, {4, 4, 200, 200}}) {
        Root();
        CProfile::Write(profile::kVolumeStep, volume);
        CProfile::Write(profile::kLeft, left);
        CProfile::Write(profile::kTop, left);
        CProfile::Write(profile::kRight, 5000);  // never read: the width is 368 at start
        CProfile::Write(profile::kFontName, "바탕체");
        {
            CMainFrame frame;
            ASSERT_TRUE(frame.CreateAndShow());
            EXPECT_EQ(frame.CurrentSettings().volumeStep, volumeLoaded);
            EXPECT_EQ(frame.width(), 368);
            frame.close();  // saves
        }
        CProfile::Root(path_);
        EXPECT_EQ(CProfile::Get(profile::kVolumeStep), volumeLoaded);
        EXPECT_EQ(CProfile::Get(profile::kFontName), "바탕체");
        EXPECT_EQ(CProfile::GetInt("설정", "left", -1), leftLoaded);
        EXPECT_EQ(CProfile::GetInt("설정", "right", -1), leftLoaded + 368);
        QFile::remove(path_);
    }
}

}  // namespace

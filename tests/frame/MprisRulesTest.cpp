// What the media-player interface shows: status, times, volume and titles from plain values.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/MprisRules.h"

namespace mr = mpris_rules;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MprisRules, PlaybackStatusFollowsOpenAndPlayState) {
    const struct {
        long open, play;
        const char* status;
    } rows[] = {{6, 2, "Playing"}, {6, 1, "Paused"},  {6, 0, "Stopped"},
                {6, 8, "Stopped"}, {5, 2, "Stopped"}, {0, 2, "Stopped"}};
    for (const auto& r : rows)
        EXPECT_STREQ(mr::PlaybackStatus(r.open, r.play), r.status) << r.open << "/" << r.play;
}

TEST(MprisRules, TimesInMicroseconds) {
    EXPECT_EQ(mr::Microseconds(1.5), 1'500'000);
    EXPECT_EQ(mr::Microseconds(7263.25), 7'263'250'000);  // past 32 bits
    for (double bad : {-1.0, kNaN, std::numeric_limits<double>::infinity()})
        EXPECT_EQ(mr::Microseconds(bad), 0) << bad;
    EXPECT_DOUBLE_EQ(mr::Seconds(-2'500'000), -2.5);  // a backward seek
}

TEST(MprisRules, VolumeIsTheSliderFractionOfTheStep) {
    for (int step = 0; step <= 10; ++step)
        EXPECT_EQ(mr::StepForVolume(mr::VolumeForStep(step)), step);
    EXPECT_DOUBLE_EQ(mr::VolumeForStep(1), 0.9);
    const struct {
        double volume;
        std::optional<int> step;
    } rows[] = {{0.5, 5}, {0.06, 9}, {0.04, 10}, {-3, 10}, {7, 0}, {kNaN, std::nullopt}};
    for (const auto& r : rows) EXPECT_EQ(mr::StepForVolume(r.volume), r.step) << r.volume;
}

TEST(MprisRules, PositionMustLieOnTheTrack) {
    EXPECT_TRUE(mr::PositionOnTrack(0, 5) && mr::PositionOnTrack(5, 5));
    EXPECT_FALSE(mr::PositionOnTrack(6, 5) || mr::PositionOnTrack(-1, 5));
    EXPECT_FALSE(mr::PositionOnTrack(0, 0));  // unknown length: a live stream
}

TEST(MprisRules, UriOpensAsAPlaylistEntryWould) {
    const struct {
        const char *uri, *path;
    } rows[] = {{"file:///a/b%20c.mp4", "/a/b c.mp4"},
                {"FILE://localhost/a.mp4", "/a.mp4"},
                {"http://host/live.asf", "http://host/live.asf"},
                {"file:///a.mp4%00.txt", ""},
                {"file:///a%0A.mp4", ""},
                {"file://elsewhere/a.mp4", ""},
                {"file:a.mp4", ""},
                {"a.mp4", ""}};
    for (const auto& r : rows) EXPECT_EQ(mr::PathForUri(r.uri), r.path) << r.uri;
}

TEST(MprisRules, TitleIsTheLastPartOfThePath) {
    const struct {
        const char *path, *title;
    } rows[] = {{"/영화/첫째.mp4", "첫째.mp4"},
                {"C:\\movies\\a.avi", "a.avi"},
                {"http://host/live.asf", "live.asf"},
                {"http://host/", "http://host/"},
                {"", ""}};
    for (const auto& r : rows) EXPECT_EQ(mr::TrackTitle(r.path), r.title) << r.path;
}

}  // namespace

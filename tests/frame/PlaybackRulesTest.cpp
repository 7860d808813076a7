// Rules the main window plays by: the time text, the volume table, seek bounds and the next
// numbered file of a folder.

#include "playback/PlaybackRules.h"

#include <gtest/gtest.h>

#include <climits>

using namespace velmora::playback;

TEST(PlaybackRules, TimeTextGainsHoursFromTheFirstHourOn) {
    const std::pair<int, const char*> rows[] = {
        {0, "00:00"},       {59, "00:59"},       {3599, "59:59"},       {3600, "01:00:00"},
        {3661, "01:01:01"}, {86399, "23:59:59"}, {360000, "100:00:00"},  // hours are not reduced
    };
    for (auto [seconds, text] : rows) EXPECT_EQ(FormatTime(seconds), text) << seconds;
}

TEST(PlaybackRules, VolumeTableClampsTheStep) {
    const std::pair<int, int> rows[] = {{0, 0},      {10, -9640},  {-1, 0},
                                        {11, -9640}, {INT_MIN, 0}, {INT_MAX, -9640}};
    for (auto [step, volume] : rows) EXPECT_EQ(VolumeForStep(step), volume) << step;
}

TEST(PlaybackRules, SeeksStopShortOfTheEndAndAtZero) {
    EXPECT_EQ(SeekTarget(80, 100, 30), std::nullopt);  // 20 s before the end: nothing
    EXPECT_EQ(SeekTarget(95, 100, 5), std::nullopt);   // exactly the end: nothing
    EXPECT_EQ(SeekTarget(10, 100, 5), 15.0);
    EXPECT_EQ(SeekTarget(3, 100, -5), 0.0);
    EXPECT_EQ(SeekTarget(40, 100, -30), 10.0);
}

TEST(PlaybackRules, NextNumberedFileOnlyCountsUpDigitsOfTheName) {
    const std::vector<std::string> folder = {"/v/a01.avi",  "/v/a03.avi", "/v/a02.avi",
                                             "/v/ab1.avi",  "/v/a00.avi", "/v/ep10.avi",
                                             "/v/ep1a.avi", "/v/ep9.avi", "/w2/a01.avi"};
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"/v/a01.avi", "/v/a02.avi"},  // the smallest after it, whatever the listing order
        {"/v/a03.avi", std::nullopt},  // ab1 differs at a letter
        {"/v/ep09.avi", "/v/ep10.avi"}, {"/v/ep9.avi", std::nullopt},  // ep10 is longer
        {"/w1/a01.avi", std::nullopt},  // digits of the folder do not count
        {"/v/a.avi", std::nullopt},
    };
    for (const auto& [current, next] : rows)
        EXPECT_EQ(NextNumberedFile(current, folder), next) << current;
}

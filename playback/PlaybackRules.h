#pragma once
// Small rules of playback that need no player: the volume table, the time text, seeking bounds
// and the next numbered file of a folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::playback {

// Volume of the media control, in 1/100 dB, for a volume step (0 loudest .. 10 silent); the step
// is clamped to 0..10.
int VolumeForStep(int step);

// "mm:ss" below an hour, "hh:mm:ss" from an hour on (hours are not reduced).
std::string FormatTime(int seconds);

// Where a seek by `delta` seconds from `position` goes: forward only when it stays before the
// end, backward never below 0. Nothing when a forward seek would reach the end.
std::optional<double> SeekTarget(double position, double duration, double delta);

// The next numbered file after `current` among `candidates` (full paths): same length, equal to
// `current` at every position except where both have decimal digits, and the smallest that sorts
// after it byte-wise. So ep09 is followed by ep10 but never by ep1a, and ep9 never by ep10.
std::optional<std::string> NextNumberedFile(std::string_view current,
                                            const std::vector<std::string>& candidates);

}  // namespace velmora::playback

#pragma once
// What the desktop's media-player interface (MPRIS) shows of the player, from plain values: the
// playback status, times in microseconds, the volume as a fraction and the track's title. Pure, so
// the mapping is tested without a bus.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mpris_rules {

// "Playing", "Paused" or "Stopped" for the frame's open state (6 open) and play state (2 playing,
// 1 paused, anything else stopped). Nothing open counts as stopped.
const char* PlaybackStatus(long openState, long playState);

// Seconds as whole microseconds (towards zero); negative and non-finite times give 0.
std::int64_t Microseconds(double seconds);
double Seconds(std::int64_t microseconds);

// The volume step (0 loudest .. 10 silent) as 0.0 .. 1.0, as the volume slider shows it.
double VolumeForStep(int step);
// The nearest step for a volume; below 0 is silent, above 1 the loudest; empty for NaN.
std::optional<int> StepForVolume(double volume);

// Whether a position asked for lies on the track: 0 .. length. A track of unknown length (0) takes
// none.
bool PositionOnTrack(std::int64_t positionUs, std::int64_t lengthUs);

// What OpenUri opens for a URI: a file URL of this host as its path, a network address the player
// streams as written; empty for anything else (no scheme, other schemes or hosts, an escape that
// decodes to a zero byte or another control character), as for a playlist's entries.
std::string PathForUri(std::string_view uri);

// A track's title: the last part of its path or address after "/" or "\", or the whole of it when
// that part is empty ("http://host/").
std::string TrackTitle(std::string_view path);

}  // namespace mpris_rules

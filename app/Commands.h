#pragma once
// Command numbers: every user action reaches the main window as one of these, from the menus, the
// keyboard or the control bar. This is the one list of them.

namespace cmd {

inline constexpr int kOpen = 57601;
inline constexpr int kOpenSubtitle = 32807;
inline constexpr int kOpenUrl = 32810;
inline constexpr int kProperties = 32780;
inline constexpr int kExit = 57665;
inline constexpr int kAbout = 57664;

inline constexpr int kLinesMore = 32824;  // one more empty caption line below the picture
inline constexpr int kLinesLess = 32825;  // one empty line less
inline constexpr int kCropMore = 32828;   // crop more of the picture's left and right edges
inline constexpr int kCropLess = 32829;   // crop less

inline constexpr int kPlayPause = 32791;
inline constexpr int kStop = 32792;
inline constexpr int kForward30 = 32808;
inline constexpr int kForward5 = 32804;
inline constexpr int kBack5 = 32806;
inline constexpr int kBack30 = 32809;
inline constexpr int kLouder = 32794;
inline constexpr int kSofter = 32793;
inline constexpr int kMute = 32795;
inline constexpr int kStatistics = 32788;
inline constexpr int kSystemVolume = 32831;
inline constexpr int kNext = 32819;
inline constexpr int kPrevious = 32820;
inline constexpr int kNothing = 32771;

}  // namespace cmd

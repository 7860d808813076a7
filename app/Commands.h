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

// Display modes.
inline constexpr int kFullScreen = 32774;
inline constexpr int kFullScreenKey = 124;  // Esc: the same toggle
inline constexpr int kFramed = 32773;
inline constexpr int kControls = 32775;
inline constexpr int kStandardView = 32781;
inline constexpr int kMinimalView = 32783;
inline constexpr int kTopmost = 32790;
inline constexpr int kZoom100 = 32786;
inline constexpr int kZoom200 = 32787;
inline constexpr int kZoomFree = 32833;  // does nothing; its check mark shows a free zoom
inline constexpr int kBossKey = 125;
inline constexpr int kMinimize = 32830;
inline constexpr int kResetPosition = 3111;

// Caption area.
inline constexpr int kLines0 = 32811;  // extra caption lines below the picture: none
inline constexpr int kLines1 = 32812;
inline constexpr int kLines2 = 32813;
inline constexpr int kLines3 = 32814;
inline constexpr int kLines4 = 32822;
inline constexpr int kLines5 = 32823;
// The six set-lines commands, indexed by their number of lines.
inline constexpr int kLinesSet[] = {kLines0, kLines1, kLines2, kLines3, kLines4, kLines5};
inline constexpr int kLinesMore = 32824;  // one more empty caption line below the picture
inline constexpr int kLinesLess = 32825;  // one empty line less
inline constexpr int kCropMore = 32828;   // crop more of the picture's left and right edges
inline constexpr int kCropLess = 32829;   // crop less
inline constexpr int kCropReset = 32832;
inline constexpr int kCaptionUp = 32776;
inline constexpr int kCaptionDown = 32777;
inline constexpr int kLettersLarger = 32826;
inline constexpr int kLettersSmaller = 32827;

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
inline constexpr int kSettings = 32789;
inline constexpr int kSystemVolume = 32831;
inline constexpr int kNext = 32819;
inline constexpr int kPrevious = 32820;
inline constexpr int kNothing = 32771;
// Keys of the accelerator table whose commands have no handler and do nothing.
inline constexpr int kCopy = 57634;
inline constexpr int kCut = 57635;
inline constexpr int kPaste = 57637;
inline constexpr int kUndo = 57643;
inline constexpr int kNextPane = 57680;
inline constexpr int kPreviousPane = 57681;

}  // namespace cmd

#pragma once
// The settings schema: every value that survives a restart, with its section, key and default in
// one place. Section and key names are part of the stored file format and never change.

#include <array>
#include <climits>

namespace profile {

struct IntKey {
    const char* section;
    const char* name;
    int def;
    // Values outside [lo, hi] found in the store cannot be used (they would break the layout
    // arithmetic); they read as the default instead.
    int lo = INT_MIN;
    int hi = INT_MAX;
};

struct StringKey {
    const char* section;
    const char* name;
    const char* def;
};

// Caption style and caption area.
inline constexpr IntKey kOutlineColor{"폰트", "외곽선색", 0};
inline constexpr IntKey kTextColor{"폰트", "글자색", 0xFFFF};
inline constexpr IntKey kCaptionPosition{"캡션", "위치", 6, 0, 120};
inline constexpr IntKey kExtraLines{"캡션", "추가여백", 0, 0, 20};
inline constexpr IntKey kEffect{"폰트", "효과", 0, 0, 3};
inline constexpr IntKey kSizeRatio{"폰트", "크기비율", 36, 1, 200};
inline constexpr StringKey kFontName{"폰트", "이름", "굴림"};

// Window and player state.
inline constexpr IntKey kTopmost{"설정", "항상위", 0};
inline constexpr IntKey kFramed{"설정", "창틀", 1};
inline constexpr IntKey kControls{"설정", "툴바", 1};
inline constexpr IntKey kVolumeStep{"설정", "볼륨", 1};  // clamped to 0..10 by its user
inline constexpr IntKey kFullScreen{"설정", "전체화면", 0};
// Screen coordinates: the bound keeps left + width and top + height far from overflowing.
inline constexpr int kMaxCoordinate = 1'000'000;
inline constexpr IntKey kLeft{"설정", "left", 0, -kMaxCoordinate, kMaxCoordinate};
inline constexpr IntKey kTop{"설정", "top", 0, -kMaxCoordinate, kMaxCoordinate};
inline constexpr IntKey kRight{"설정", "right", 0};  // written for reference, never read

// Single instance hand-over and first run.
inline constexpr StringKey kInstance{"설정", "인스턴스", ""};
inline constexpr StringKey kHandOverFile{"설정", "파일", ""};
inline constexpr IntKey kAssociationDue{"설정", "REG", 1};

// Folders.
inline constexpr StringKey kLastFolder{"Folder", "Last", ""};
inline constexpr StringKey kCaptionFolder{"Folder", "Sami", ""};

inline constexpr std::array kIntKeys{kOutlineColor, kTextColor,  kCaptionPosition, kExtraLines,
                                     kEffect,       kSizeRatio,  kTopmost,         kFramed,
                                     kControls,     kVolumeStep, kFullScreen,      kLeft,
                                     kTop,          kRight,      kAssociationDue};
inline constexpr std::array kStringKeys{kFontName, kInstance, kHandOverFile, kLastFolder,
                                        kCaptionFolder};

}  // namespace profile

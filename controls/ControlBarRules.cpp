#include "controls/ControlBarRules.h"

#include <algorithm>

namespace controlbar {

const std::array<ButtonDef, 11>& ButtonTable() {
    static const std::array<ButtonDef, 11> table{{
        {kIdPlay, 5, true, 22, 22, 3184, 3183, 3184, 3182},
        {kIdPause, 30, true, 22, 22, 3180, 3179, 3181, 3178},
        {kIdStop, 55, true, 22, 22, 3192, 3191, 3193, 3190},
        {kIdPrev, 85, true, 22, 22, 3188, 3187, 3189, 3186},
        {kIdNext, 110, true, 22, 22, 3176, 3175, 3177, 3174},
        {kIdMute, 0, false, 22, 22, 3197, 3196, 3198, 3197},
        {kIdOpen, 140, true, 22, 22, 206, 213, 213, 0},
        {kIdMarginUp, 165, true, 22, 22, 207, 207, 214, 0},
        {kIdMarginDown, 185, true, 22, 22, 208, 208, 215, 0},
        {kIdCropOut, 206, true, 23, 22, 216, 216, 216, 0},
        {kIdCropIn, 230, true, 23, 22, 218, 218, 218, 0},
    }};
    return table;
}

const ButtonDef* FindButton(int id) {
    for (const ButtonDef& b : ButtonTable())
        if (b.id == id) return &b;
    return nullptr;
}

std::array<int, 30> AllBitmapIds() {
    std::array<int, 30> ids{};
    std::size_t n = 0;
    for (const ButtonDef& b : ButtonTable()) {
        for (int id : {b.normalBitmap, b.latchedBitmap, b.pushedBitmap, b.disabledBitmap}) {
            if (id != 0 && std::find(ids.begin(), ids.begin() + n, id) == ids.begin() + n &&
                n < ids.size())
                ids[n++] = id;
        }
    }
    std::sort(ids.begin(), ids.begin() + n);
    return ids;
}

int BitmapSize(int bitmapId) {
    return bitmapId == 216 || bitmapId == 218 ? 20 : 21;
}

PanelLayout LayoutAtWidth(int cx, int wt, int wv, int vh, int mw, int mh) {
    PanelLayout l;
    l.seek = {0, 0, std::max(0, cx - wt - 2), kTopRowHeight};
    l.time = {cx - wt, 0, wt, kTopRowHeight};
    l.volume = {cx - wv + 3, kButtonTop, wv, vh};
    l.mute = {cx - wv - 19, kButtonTop, mw, mh};
    return l;
}

TransportChange TransportForPlayState(int state) {
    using L = Latch;
    switch (state) {
        case 0:
            return {L::Released, L::Released, L::Latched, false};
        case 1:
            return {L::Released, L::Latched, L::Released, false};
        case 2:
            return {L::Latched, L::Released, L::Released, false};
        case 3:
        case 6:
        case 7:
            return {L::Released, L::Released, L::Released, false};
        case kStateNoMedium:
            return {L::Unchanged, L::Unchanged, L::Unchanged, true};
        default:
            return {};  // 4, 5 (scan states) and unknown values change nothing
    }
}

Span ThumbCentreSpan(int channelLeft, int channelRight, int thumbLeft, int thumbRight) {
    const int half = (thumbRight - thumbLeft) >> 1;
    return {channelLeft + half, channelRight - half};
}

int ClickToValue(int x, Span span, int rangeMin, int rangeMax) {
    if (rangeMax < rangeMin) std::swap(rangeMin, rangeMax);
    // A span without width would divide by zero: the click lands on the range minimum.
    if (span.right <= span.left) return rangeMin;
    const double v = (static_cast<double>(x) - span.left) /
                         (static_cast<double>(span.right) - span.left) * rangeMax +
                     0.5;
    // Clamp while still a double so that far-away points cannot overflow the conversion.
    if (v >= rangeMax) return rangeMax;
    if (v <= rangeMin) return rangeMin;
    return std::clamp(static_cast<int>(v), rangeMin, rangeMax);
}

namespace {
int FloorHalf(int d) {
    return d >= 0 ? d / 2 : -((-d + 1) / 2);
}
}  // namespace

Rgb HalfwayFrom(Rgb from, Rgb to) {
    return {from.r + FloorHalf(to.r - from.r), from.g + FloorHalf(to.g - from.g),
            from.b + FloorHalf(to.b - from.b)};
}

ChannelColours ChannelColoursFor(Rgb face, Rgb shadow, Rgb darkShadow, Rgb highlight) {
    return {HalfwayFrom(shadow, darkShadow), HalfwayFrom(face, shadow), highlight};
}

FacePlan PlanFace(bool enabled, bool latched, bool held, bool hover) {
    if (!enabled) return {Face::Disabled, FrameKind::None, 0};
    if (latched) return {Face::Latched, FrameKind::Sunken, 0};
    if (held) return {Face::Pushed, FrameKind::Sunken, 2};
    return {Face::Normal, hover ? FrameKind::Raised : FrameKind::None, 1};
}

}  // namespace controlbar

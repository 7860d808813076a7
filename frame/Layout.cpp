#include "frame/Layout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace frame_layout {
namespace {

// Conversion from double that drops the fraction and stays inside int (NaN gives 0).
int Trunc(double v) {
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

int Ratio(const LayoutInputs& in) {
    return std::max(in.sizeRatio, 1);
}
int ControlHeight(const LayoutInputs& in) {
    return in.controls ? kControlBarHeight : 0;
}
int Margin(int extraLines) {
    return extraLines != 0 ? kExtraLinesMargin : 0;
}

// Picture height for a display width: cw x sh / sw.
int PictureHeight(const LayoutInputs& in, int width) {
    if (in.source.width <= 0) return 0;
    return ClampToInt(int64_t{width} * in.source.height / in.source.width);
}

// E x K with K = 2 / R.
double LineFactor(const LayoutInputs& in) {
    return in.extraLines * (2.0 / Ratio(in));
}

}  // namespace

int ContentHeight(const LayoutInputs& in, int clientWidth) {
    const int dh = PictureHeight(in, clientWidth);
    const double b =
        LineFactor(in) * (static_cast<double>(dh) + clientWidth) * 0.5 + dh + ControlHeight(in);
    return ClampToInt(int64_t{Trunc(b)} + Margin(in.extraLines));
}

LayoutResult ComputeLayout(const LayoutInputs& in, Size proposedOuter) {
    LayoutResult r;
    const NonClient nc = in.nonClient;
    int cw = proposedOuter.width - nc.width;
    if (cw <= 0) cw = 1;  // a client width of 0 (or less) counts as 1
    const int dh = PictureHeight(in, cw);
    r.display = {cw, dh};
    r.picture = {0, 0, cw, dh};
    const int b = ContentHeight(in, cw);
    r.content = {0, 0, cw, b};

    if (!in.fullScreen) {
        r.outer = {proposedOuter.width, ClampToInt(int64_t{b} + nc.height)};
        return r;
    }

    // Full screen: fit the content into the screen and centre it.
    r.outer = proposedOuter;
    const int aw = proposedOuter.width - nc.width;
    const int ah = proposedOuter.height - nc.height;
    r.content = {0, 0, aw, ah};
    if (b > ah) {
        const double s = static_cast<double>(ah) / b;
        const int nw = Trunc(cw * s);
        r.display = {Trunc(r.display.width * s), Trunc(r.display.height * s)};
        const int x = (aw - nw) >> 1;
        r.picture = {x, 0, x + nw, r.display.height};
    } else {
        r.picture = r.picture.Translated(0, (ah - b) >> 1);
    }
    return r;
}

int HeightForWidth(const LayoutInputs& in, int outerWidth) {
    LayoutInputs windowed = in;
    windowed.fullScreen = false;
    return ComputeLayout(windowed, {outerWidth, 1}).outer.height;
}

int WidthForHeight(const LayoutInputs& in, Size proposedOuter) {
    const int frameW = in.nonClient.width;
    const int frameH = in.nonClient.height + Margin(in.extraLines);
    const int cw = proposedOuter.width - frameW;
    const int ch = proposedOuter.height - ControlHeight(in) - frameH;
    // Without a picture (or without a known aspect) the width stays as it is.
    if (in.soundOnly || in.source.height <= 0 || in.source.width <= 0) return proposedOuter.width;
    const double a = static_cast<double>(in.source.width) / in.source.height;
    const double ek = LineFactor(in);
    const int pw = Trunc(a * (2.0 * ch - cw * ek) / (ek + 2.0));
    return ClampToInt(int64_t{pw} + frameW + 1);
}

Rect SizingDrag(const LayoutInputs& in, SizingEdge edge, Rect proposed) {
    const int frameW = in.nonClient.width;
    const int frameH = in.nonClient.height + Margin(in.extraLines);
    const int cw = proposed.Width() - frameW;
    switch (edge) {
        case SizingEdge::Left:
        case SizingEdge::Right:
        case SizingEdge::BottomLeft:
        case SizingEdge::BottomRight: {
            // a = sw / sh is infinite without picture height: the picture height is then 0.
            int ph = 0;
            if (in.source.height > 0 && in.source.width > 0) {
                const double a = static_cast<double>(in.source.width) / in.source.height;
                ph = Trunc(cw / a);
            }
            const int h = Trunc(LineFactor(in) * (static_cast<double>(ph) + cw) * 0.5 + frameH +
                                ph + ControlHeight(in));
            proposed.bottom = ClampToInt(int64_t{proposed.top} + h);
            break;
        }
        case SizingEdge::Top:
        case SizingEdge::TopRight:
        case SizingEdge::Bottom:
        case SizingEdge::TopLeft: {
            const int w = WidthForHeight(in, {proposed.Width(), proposed.Height()});
            if (edge == SizingEdge::TopLeft)
                proposed.left = ClampToInt(int64_t{proposed.right} - w);
            else
                proposed.right = ClampToInt(int64_t{proposed.left} + w);
            break;
        }
    }
    return proposed;
}

Size MinimumSize(const LayoutInputs& in) {
    const int cw0 = kMinWindowWidth - in.nonClient.width;
    const int ph = PictureHeight(in, cw0);
    const double h = (LineFactor(in) + 1.0) * ph + in.nonClient.height + ControlHeight(in);
    return {kMinWindowWidth, ClampToInt(int64_t{Trunc(h)} + Margin(in.extraLines))};
}

Rect SurroundHole(const Rect& picture) {
    return {picture.left, picture.top, picture.right - 1, picture.bottom};
}

int SurroundBands(Size client, const Rect& picture, std::array<Rect, 4>& out) {
    const Rect all{0, 0, client.width, client.height};
    Rect hole = SurroundHole(picture);
    hole = {std::max(hole.left, all.left), std::max(hole.top, all.top),
            std::min(hole.right, all.right), std::min(hole.bottom, all.bottom)};
    int n = 0;
    auto add = [&](Rect r) {
        if (!r.IsEmpty()) out[n++] = r;
    };
    if (hole.IsEmpty()) {
        add(all);
        return n;
    }
    add({all.left, all.top, all.right, hole.top});
    add({all.left, hole.top, hole.left, hole.bottom});
    add({hole.right, hole.top, all.right, hole.bottom});
    add({all.left, hole.bottom, all.right, all.bottom});
    return n;
}

std::array<Rect, 4> CornerRects(const Rect& p) {
    auto px = [](int x, int y) { return Rect{x, y, x + 1, y + 1}; };
    return {px(p.left + 1, p.top), px(p.right - 1, p.top + 1), px(p.left, p.bottom - 2),
            px(p.right - 2, p.bottom - 1)};
}

Rect CaptionArea(const Rect& picture, int linePitch, int extraLines) {
    return {picture.left, picture.top, picture.right,
            ClampToInt(int64_t{picture.bottom} + int64_t{linePitch} * extraLines)};
}

Rect ControlBarRect(const Rect& content) {
    return {content.left, content.bottom - kControlBarHeight, content.right, content.bottom};
}

Rect MediaWindowRect(const Rect& picture, int cropPercent) {
    const int crop = std::clamp(cropPercent, 0, 99);
    const int w = picture.Width();
    const int d = ClampToInt(int64_t{100} * w / (100 - crop));
    const int h = (d - w) / 2;
    return {picture.left - h, picture.top, picture.left - h + d, picture.bottom};
}

Zoom DeriveZoom(int displayWidth, int sourceWidth) {
    if ((displayWidth >> 1) == sourceWidth) return Zoom::Percent200;
    if (displayWidth == sourceWidth) return Zoom::Percent100;
    if (displayWidth <= kZoomLimit && sourceWidth <= kZoomLimit) return Zoom::Percent100;
    return Zoom::Free;
}

Placement ComputePlacement(const LayoutResult& layout, Size client, const PlacementInputs& in) {
    Placement p;
    p.surroundHole = SurroundHole(layout.picture);
    p.surroundCount = SurroundBands(client, layout.picture, p.surround);
    p.corners = CornerRects(layout.picture);
    p.captionArea = CaptionArea(layout.picture, in.linePitch, in.extraLines);
    p.controlBar = ControlBarRect(layout.content);
    p.showMedia = in.mediaOpen && !in.soundOnly;
    if (p.showMedia) p.media = MediaWindowRect(layout.picture, in.cropPercent);
    if (!in.fullScreen) p.zoom = DeriveZoom(layout.display.width, in.sourceWidth);
    return p;
}

bool IsSoundOnly(int imageWidth, int imageHeight) {
    return int64_t{imageWidth} * imageHeight == 0 || imageWidth < 0 || imageHeight < 0;
}

Size NaturalSize(int imageWidth, int imageHeight) {
    if (IsSoundOnly(imageWidth, imageHeight)) return {kSoundOnlyWidth, 0};
    return {imageWidth, imageHeight};
}

Size SourceSize(Size natural, int cropPercent) {
    const int crop = std::clamp(cropPercent, 0, 99);
    const int w = ClampToInt(int64_t{100 - crop} * natural.width / 100);
    return {std::max(w, 1), natural.height};
}

int ZoomWidth(int sourceWidth, int factor, NonClient nonClient) {
    return ClampToInt(int64_t{sourceWidth} * factor + nonClient.width);
}

OpenedSizing WindowForOpenedMedium(int rememberedWidth, int sourceWidth, Zoom zoom,
                                   NonClient nonClient) {
    if (rememberedWidth < sourceWidth || zoom == Zoom::Percent100)
        return {Zoom::Percent100, ZoomWidth(sourceWidth, 1, nonClient)};
    if (zoom == Zoom::Percent200) return {Zoom::Percent200, ZoomWidth(sourceWidth, 2, nonClient)};
    return {Zoom::Free, rememberedWidth};
}

Rect StartWindowRect(int left, int top, const LayoutInputs& in) {
    return {left, top, left + kStartWindowWidth, top + HeightForWidth(in, kStartWindowWidth)};
}

bool MoveRemembersRect(const Rect& outer, bool fullScreen) {
    return !fullScreen && outer.Width() > 0 && outer.Height() > 0 && outer.left > 0 &&
           outer.top > 0;
}

std::string TitleForMedium(std::string_view fileName) {
    std::string t(fileName);
    t += " - Velmora";
    if (auto pos = t.rfind('\\'); pos != std::string::npos) t.erase(0, pos + 1);
    if (auto pos = t.rfind('/'); pos != std::string::npos) t.erase(0, pos + 1);
    return t;
}

}  // namespace frame_layout

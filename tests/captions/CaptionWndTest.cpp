// The caption window rendered offscreen over a plain blue parent: the letters show in the text
// colour, the fringe in the outline colour, and everything outside the shape is the parent.

#include "captions/CaptionWnd.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPalette>
#include <QWidget>
#include <array>
#include <memory>
#include <numeric>
#include <string>

namespace {

constexpr int32_t kLast = 0x01000000;
constexpr int kEffectAll = caption_layout::kEffectOutline | caption_layout::kEffectShadow;
const QColor kBackground(0, 0, 255);

struct Scene {
    std::unique_ptr<QWidget> parent;
    CCaptionWnd* wnd = nullptr;
};

// A 640x480 picture with the caption window over it (no extra lines).
Scene MakeScene(int effect = 0) {
    caption_font::RegisterSubstitutes();
    Scene s;
    s.parent = std::make_unique<QWidget>();
    s.parent->resize(640, 538);
    QPalette pal;
    pal.setColor(QPalette::Window, kBackground);
    s.parent->setPalette(pal);
    s.parent->setAutoFillBackground(true);
    s.wnd = new CCaptionWnd(s.parent.get());
    CaptionStyle style;
    style.effect = effect;
    style.textColour = 0x00FFFF;     // yellow, as 0x00BBGGRR
    style.outlineColour = 0x0000FF;  // red
    s.wnd->SetStyle(style);
    s.wnd->RebuildFont(640, 640, 480);
    s.wnd->PlaceOver(QRect(0, 0, 640, 480), 480);
    s.parent->show();
    return s;
}

bool Layout(CCaptionWnd* wnd, const std::string& text, std::vector<int32_t> ends = {}) {
    if (ends.empty()) ends = {kLast | static_cast<int32_t>(text.size())};
    return wnd->LayoutCaption(text, ends);
}

// Pixels of the picture area in the text colour, in the outline colour, of the background inside
// the shape, and not the background outside it.
std::array<int, 4> Count(const QImage& img, const QRegion& shape, QColor textC, QColor outlineC) {
    std::array<int, 4> c{};
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const QColor px = img.pixelColor(x, y);
            if (!shape.contains(QPoint(x, y)))
                c[3] += px != kBackground;
            else
                c[0] += px == textC, c[1] += px == outlineC, c[2] += px == kBackground;
        }
    return c;
}

}  // namespace

TEST(CaptionWnd, FontHasCellHeight) {
    caption_font::RegisterSubstitutes();
    for (int h : {12, 27, 62, 124}) {
        const QFont f = caption_font::Make(QStringLiteral("굴림"), h);
        const int cell = QFontMetrics(f).height();
        EXPECT_TRUE(f.bold() && cell <= h && cell >= h - 2) << h << ": " << cell;
    }
    const QFontInfo info(caption_font::Make(QStringLiteral("굴림"), 30));
    EXPECT_TRUE(info.family() == "Baekmuk Gulim" || info.family() == "NanumGothic")
        << info.family().toStdString();
}

TEST(CaptionWnd, RendersLettersAndFringeInsideShapeOnly) {
    Scene s = MakeScene();
    ASSERT_TRUE(Layout(s.wnd, "안녕하세요 Velmora  "));
    const QRegion shape = s.wnd->Shape();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_TRUE(s.wnd->testAttribute(Qt::WA_TransparentForMouseEvents));
    auto census = [&](QColor text, QColor outline) {
        return Count(s.parent->grab().toImage().convertToFormat(QImage::Format_RGB32), shape, text,
                     outline);
    };
    // Letters in the text colour, the +1/+1 fringe in the outline colour, every shape pixel
    // painted, and nothing outside the shape.
    const auto c = census(QColor(255, 255, 0), QColor(255, 0, 0));
    EXPECT_TRUE(c[0] > 200 && c[1] > 100 && c[2] == 0 && c[3] == 0) << c[0] << " " << c[1];

    // A colour change repaints in the new colours without a new layout.
    s.wnd->SetColours(0xFFFFFF, 0x00FF00);  // white on green
    EXPECT_EQ(s.wnd->Shape(), shape);
    const auto w = census(QColor(255, 255, 255), QColor(0, 255, 0));
    EXPECT_TRUE(w[0] > 200 && w[1] > 100 && w[2] == 0 && w[3] == 0) << w[0] << " " << w[1];

    // Hidden: the parent shows through everywhere, under a mask that is never empty (an empty
    // one would uncover the whole window).
    s.wnd->HideCaption();
    const auto h = census(QColor(255, 255, 255), QColor(0, 255, 0));
    EXPECT_TRUE(h[0] == 0 && h[1] == 0 && h[3] == 0) << h[0] << " " << h[1] << " " << h[3];
    EXPECT_FALSE(s.wnd->mask().isEmpty());
}

TEST(CaptionWnd, ShapeIsTheLogicalCoverOfTheDeviceInk) {
    // Drawn at device ratios and half-pixel places, the shape holds every logical pixel with
    // device ink in it and no other: the ink is never clipped and nothing else is uncovered.
    Scene s = MakeScene(kEffectAll);
    ASSERT_TRUE(Layout(s.wnd, "가나 Wg"));
    for (const CaptionDeviceGrid grid :
         {CaptionDeviceGrid{2, {0, 0}}, {1.5, {0, 0}}, {1.5, {1, 3}}}) {
        SCOPED_TRACE(grid.ratio);
        CCaptionMask mask;
        const QFont font = caption_font::Make("굴림", int(s.wnd->Metrics().height * grid.ratio));
        const QRegion shape = mask.Build(s.wnd->CurrentLayout(), font, grid);
        const QImage ink = mask.Ink();
        ASSERT_FALSE(ink.isNull());
        QRegion cover;
        for (int y = 0; y < ink.height(); ++y)
            for (int x = 0; x < ink.width(); ++x)
                if (ink.constScanLine(y)[x])
                    cover += QRect(grid.LogicalX(x + mask.InkOrigin().x()),
                                   grid.LogicalY(y + mask.InkOrigin().y()), 1, 1);
        EXPECT_TRUE(shape.xored(cover).isEmpty());
    }
}

TEST(CaptionWnd, GlyphCacheKeepsToItsByteBudget) {
    // Ever new syllables cut with the device cell of a full-screen caption at ratio 4: the cache
    // holds at most its budget and one caption's glyphs.
    Scene s = MakeScene();
    const QFont font = caption_font::Make("굴림", 400);
    CCaptionMask mask, one;
    for (char32_t c = U'가'; c < U'가' + 480; c += 12) {
        std::u32string text(12, c);
        std::iota(text.begin(), text.end(), c);
        ASSERT_TRUE(Layout(s.wnd, QString::fromStdU32String(text).toStdString()));
        one.ClearGlyphCache();
        one.Build(s.wnd->CurrentLayout(), font, {4, {0, 0}});
        mask.Build(s.wnd->CurrentLayout(), font, {4, {0, 0}});
        ASSERT_LE(mask.CachedGlyphBytes(),
                  CCaptionMask::kMaxCachedGlyphBytes + one.CachedGlyphBytes());
    }
}

TEST(CaptionWnd, ScriptsWithoutAFontNeverCrash) {
    // No installed font covers these scripts: missing-glyph boxes or nothing beside the Korean.
    Scene s = MakeScene(1);
    for (const char* script : {"नमस्ते", "বাংলা", "வணக்கம்", "សួស្តី", "ܫܠܡܐ", "ދިވެހި", "ሰላም"}) {
        EXPECT_TRUE(Layout(s.wnd, std::string("안녕하세요 ") + script)) << script;
        EXPECT_FALSE(s.wnd->Shape().isEmpty()) << script;
        s.parent->grab();  // painting draws the same glyphs
    }
}

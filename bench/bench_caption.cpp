// Time from a fragment's parse result to the caption window's new shape: layout, mask drawing,
// region building and setMask on a shown CCaptionWnd (offscreen platform). A second benchmark
// measures painting the shaped window.

#include "captions/CaptionWnd.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

namespace {

// "그는 어젯밤 늦게 집에 돌아왔다.<br>내일 아침에 다시 이야기하자."
// as the parser leaves it: the break tag became a space, two spaces end the text.
struct Caption {
    std::string text;
    std::vector<int32_t> ends;
};

Caption TwoLineKorean() {
    Caption c;
    c.text = "그는 어젯밤 늦게 집에 돌아왔다.";
    c.ends.push_back(static_cast<int32_t>(c.text.size()));
    c.text += " 내일 아침에 다시 이야기하자.  ";
    c.ends.push_back(0x01000000 | static_cast<int32_t>(c.text.size()));
    return c;
}

struct Rig {
    std::unique_ptr<QWidget> parent;
    CCaptionWnd* wnd = nullptr;
};

// A picture of width w with a 16:9 medium filling it, no extra lines, control bar below.
Rig MakeRig(int w, int effect) {
    const int h = w * 9 / 16;
    Rig r;
    r.parent = std::make_unique<QWidget>();
    r.parent->resize(w, h + 58);
    r.wnd = new CCaptionWnd(r.parent.get());
    CaptionStyle style;
    style.effect = effect;
    r.wnd->SetStyle(style);
    r.wnd->RebuildFont(w, 1920, 1080);
    r.wnd->PlaceOver(QRect(0, 0, w, h), h);
    r.parent->show();
    return r;
}

void BM_CaptionToShape(benchmark::State& state) {
    Rig rig = MakeRig(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const Caption c = TwoLineKorean();
    for (auto _ : state) {
        const bool shown = rig.wnd->LayoutCaption(c.text, c.ends);
        benchmark::DoNotOptimize(shown);
    }
    state.counters["rects"] = rig.wnd->ShapeRectCount();
    state.counters["Hf"] = rig.wnd->Metrics().height;
    state.counters["lines"] = static_cast<double>(rig.wnd->CurrentLayout().lines.size());
}
BENCHMARK(BM_CaptionToShape)
    ->ArgNames({"width", "effect"})
    ->Args({1920, 0})
    ->Args({1920, 3})
    ->Args({3840, 0})
    ->Args({3840, 3})
    ->Unit(benchmark::kMicrosecond);

// Mask and shape with an empty glyph cache, as for a caption whose syllables were not seen yet
// (the font engine may still hold its own rasterised glyphs).
void BM_CaptionMaskColdCache(benchmark::State& state) {
    Rig rig = MakeRig(static_cast<int>(state.range(0)), 3);
    const Caption c = TwoLineKorean();
    rig.wnd->LayoutCaption(c.text, c.ends);
    const caption_layout::Layout layout = rig.wnd->CurrentLayout();
    CCaptionMask mask;
    for (auto _ : state) {
        mask.ClearGlyphCache();
        benchmark::DoNotOptimize(mask.Build(layout, rig.wnd->CaptionFont()));
    }
}
BENCHMARK(BM_CaptionMaskColdCache)
    ->ArgName("width")
    ->Arg(1920)
    ->Arg(3840)
    ->Unit(benchmark::kMicrosecond);

// Painting the shaped caption window (letters and fringe) after a layout.
void BM_CaptionPaint(benchmark::State& state) {
    Rig rig = MakeRig(static_cast<int>(state.range(0)), 3);
    const Caption c = TwoLineKorean();
    QImage target(rig.wnd->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        rig.wnd->LayoutCaption(c.text, c.ends);  // the first paint after a layout builds letters
        state.ResumeTiming();
        QPainter p(&target);
        rig.wnd->render(&p);
    }
}
BENCHMARK(BM_CaptionPaint)->ArgName("width")->Arg(1920)->Arg(3840)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    caption_font::RegisterSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Which video surface the facts choose: hardware renderers get OpenGL; software renderers, no
// context and no GPU device get the software surface; VELMORA_VIDEO overrides where it can.

#include <gtest/gtest.h>

#include "playback/VideoPathRule.h"

namespace {

using velmora::playback::ChooseVideoPath;
using velmora::playback::VideoPath;
using velmora::playback::VideoPathFacts;

constexpr auto GL = VideoPath::OpenGl, SW = VideoPath::Software;

TEST(VideoPathRuleTest, RendererAndContextChooseThePath) {
    struct Row {
        const char* override;
        bool gpuDevice, glContext;
        const char* renderer;
        const char* vendor;
        VideoPath expected;
    };
    const Row rows[] = {
        // Hardware renderers.
        {"", true, true, "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
         "AMD", GL},
        {"", true, true, "virgl (AMD Radeon)", "Mesa", GL},  // a VM drawing on the host's GPU
        // Renderers that draw on the CPU, however spelt.
        {"", true, true, "llvmpipe (LLVM 15.0.6, 256 bits)", "Mesa/X.org", SW},
        {"", true, true, "softpipe", "Mesa/X.org", SW},
        {"", true, true, "Software Rasterizer", "Mesa Project", SW},
        {"", true, true, "Mesa DRI swrast", "Mesa Project", SW},
        {"", true, true, "D3D12 (Microsoft Basic Render Driver)", "Microsoft Corporation", SW},
        {"", true, true, "LLVMPIPE", "", SW},
        {"", true, true, "", "", SW},  // a renderer that does not say what it is
        // No context, or no GPU to draw with.
        {"", true, false, "", "", SW},
        {"", false, true, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "Intel", SW},
        // Overrides: "sw" always wins, "gl" needs a context, others are ignored.
        {"sw", true, true, "NVIDIA GeForce RTX 3060/PCIe/SSE2", "NVIDIA Corporation", SW},
        {"gl", false, true, "llvmpipe (LLVM 15.0.6, 256 bits)", "Mesa/X.org", GL},
        {"gl", true, false, "", "", SW},
        {"GL", true, true, "llvmpipe (LLVM 15.0.6, 256 bits)", "Mesa/X.org", SW},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.override) + " | " + r.renderer);
        VideoPathFacts facts{r.override, r.gpuDevice, r.glContext, r.renderer, r.vendor};
        EXPECT_EQ(ChooseVideoPath(facts), r.expected);
    }
}

}  // namespace

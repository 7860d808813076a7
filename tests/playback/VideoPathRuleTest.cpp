// Which video surface the facts choose: hardware renderers get OpenGL; software renderers, no
// context and no GPU device get the software surface; VELMORA_VIDEO overrides where it can.

#include <gtest/gtest.h>

#include <tuple>

#include "playback/VideoPathRule.h"

namespace {

using velmora::playback::ChooseVideoPath;
using velmora::playback::VideoPath;
using velmora::playback::VideoPathFacts;

constexpr auto GL = VideoPath::OpenGl, SW = VideoPath::Software;

TEST(VideoPathRuleTest, RendererAndContextChooseThePath) {
    // Override, GPU device, OpenGL context, renderer, vendor; the path chosen.
    const std::tuple<const char*, bool, bool, const char*, const char*, VideoPath> rows[] = {
        // Hardware renderers.
        {"", true, true, "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
         "AMD", GL},
        {"", true, true, "virgl (AMD Radeon)", "Mesa", GL},  // a VM drawing on the host's GPU
        // Renderers that draw on the CPU, in any case.
        {"", true, true, "llvmpipe (LLVM 15.0.6, 256 bits)", "Mesa/X.org", SW},
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
    for (const auto& [env, gpu, context, renderer, vendor, path] : rows) {
        SCOPED_TRACE(std::string(env) + " | " + renderer);
        EXPECT_EQ(ChooseVideoPath(VideoPathFacts{env, gpu, context, renderer, vendor}), path);
    }
}

}  // namespace

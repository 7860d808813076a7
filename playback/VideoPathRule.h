#pragma once
// Which video surface to use: the OpenGL one when a hardware OpenGL renderer draws, the software
// one otherwise. Pure: the caller gathers the facts (environment, device nodes, a probe context).

#include <string_view>

namespace velmora::playback {

enum class VideoPath { Software, OpenGl };

struct VideoPathFacts {
    std::string_view override;  // VELMORA_VIDEO: "gl", "sw" or anything else (no override)
    bool gpuDevice = false;     // a GPU device node exists (a DRM render node or a vendor's own)
    bool glContext = false;     // an OpenGL context could be created and made current
    std::string_view renderer;  // its GL_RENDERER
    std::string_view vendor;    // its GL_VENDOR
};

// Whether the OpenGL probe (creating a context) can change the choice. Without it the facts'
// glContext stays false and the choice is the software surface; the probe costs tens of
// milliseconds of start-up, so it is skipped where no GPU could answer.
bool VideoPathNeedsProbe(std::string_view override, bool gpuDevice);

// True for renderers that draw on the CPU (Mesa's llvmpipe, softpipe and swrast, lavapipe, a
// "software rasterizer", Windows' basic render driver): the OpenGL path would only add work there.
bool IsSoftwareRenderer(std::string_view renderer, std::string_view vendor);

// "sw" forces the software surface and "gl" the OpenGL one when a context exists; otherwise the
// OpenGL surface needs a context from a hardware renderer.
VideoPath ChooseVideoPath(const VideoPathFacts& facts);

}  // namespace velmora::playback

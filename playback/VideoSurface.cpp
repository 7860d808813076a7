#include "playback/VideoSurface.h"

#include <QFileInfo>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <memory>
#include <string>

#include "playback/GlVideoSurface.h"
#include "playback/MpvHandle.h"
#include "playback/SwVideoSurface.h"
#include "playback/VideoPathRule.h"

using velmora::playback::VideoPath;

namespace {

// DRM device nodes (every Mesa and kernel GPU driver) or NVIDIA's own. Without any, no hardware
// renderer can answer and the probe is skipped.
bool GpuDevicePresent() {
    return QFileInfo::exists(QStringLiteral("/dev/dri")) ||
           QFileInfo::exists(QStringLiteral("/dev/nvidiactl"));
}

// Qt warns when a platform has no OpenGL at all; there the software surface serves silently.
class QuietMessages {
  public:
    QuietMessages() : m_previous(qInstallMessageHandler(&Drop)) {}
    ~QuietMessages() { qInstallMessageHandler(m_previous); }

  private:
    static void Drop(QtMsgType, const QMessageLogContext&, const QString&) {}
    QtMessageHandler m_previous;
};

struct GlProbe {
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;  // null when none could be made current
    std::string renderer, vendor;
};

// One context on an offscreen surface; the OpenGL surface goes on rendering with it.
GlProbe ProbeOpenGl() {
    QuietMessages quiet;
    GlProbe probe;
    probe.surface = std::make_unique<QOffscreenSurface>();
    probe.surface->create();
    auto context = std::make_unique<QOpenGLContext>();
    context->setShareContext(QOpenGLContext::globalShareContext());
    if (!probe.surface->isValid() || !context->create() ||
        !context->makeCurrent(probe.surface.get()))
        return probe;
    const auto text = [&](GLenum name) {
        const auto* s = reinterpret_cast<const char*>(context->functions()->glGetString(name));
        return std::string(s ? s : "");
    };
    probe.renderer = text(GL_RENDERER);
    probe.vendor = text(GL_VENDOR);
    context->doneCurrent();
    probe.context = std::move(context);
    return probe;
}

}  // namespace

bool SoftwareVideoPathCertain() {
    const QByteArray override = qgetenv("VELMORA_VIDEO");
    return !velmora::playback::VideoPathNeedsProbe(
        std::string_view(override.constData(), size_t(override.size())), GpuDevicePresent());
}

IVideoSurface* CreateVideoSurface(CMpvHandle* handle, QWidget* parent) {
    const QByteArray override = qgetenv("VELMORA_VIDEO");
    velmora::playback::VideoPathFacts facts;
    facts.override = std::string_view(override.constData(), size_t(override.size()));
    facts.gpuDevice = GpuDevicePresent();
    if (handle && handle->IsValid() &&
        velmora::playback::VideoPathNeedsProbe(facts.override, facts.gpuDevice)) {
        GlProbe probe = ProbeOpenGl();
        facts.glContext = probe.context != nullptr;
        facts.renderer = probe.renderer;
        facts.vendor = probe.vendor;
        if (velmora::playback::ChooseVideoPath(facts) == VideoPath::OpenGl) {
            if (auto* surface = CGlVideoSurface::Create(handle, parent, std::move(probe.context),
                                                        std::move(probe.surface)))
                return surface;
        }
    }
    return new CSwVideoSurface(handle, parent);
}

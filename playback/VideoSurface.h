#pragma once
// The video surface: a widget that shows the player's video frames. The media window holds one
// and does not know which kind it is: OpenGL (a hardware renderer) or software rendering, chosen
// in CreateVideoSurface.

#include <QImage>
#include <QWidget>

class CMpvHandle;

class IVideoSurface {
  public:
    virtual ~IVideoSurface() = default;
    virtual QWidget* Widget() = 0;
    // Copy of the last frame drawn (null before the first frame). For statistics and tests.
    virtual QImage LastFrame() const = 0;
    // Number of frames rendered since creation.
    virtual qint64 FramesRendered() const = 0;
    // Forgets the last frame and shows black until the next one.
    virtual void Clear() = 0;
};

// Creates the surface for handle as a child of parent. Creates the handle's render context, so it
// must be called before any file is loaded. The OpenGL surface when a context of a hardware
// renderer can be made (VELMORA_VIDEO=gl forces it wherever a context can be made, =sw never),
// else the software one.
IVideoSurface* CreateVideoSurface(CMpvHandle* handle, QWidget* parent);

// True when CreateVideoSurface will make the software surface whatever OpenGL answers: forced by
// VELMORA_VIDEO=sw, or no GPU device to ask. Cheap: no OpenGL context is made.
bool SoftwareVideoPathCertain();

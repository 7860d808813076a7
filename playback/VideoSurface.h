#pragma once
// The video surface: a widget that shows the player's video frames. The media window holds one
// and does not know which kind it is (software rendering now; an OpenGL one can be added behind
// the same interface and chosen in CreateVideoSurface).

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
// must be called before any file is loaded.
IVideoSurface* CreateVideoSurface(CMpvHandle* handle, QWidget* parent);

#pragma once
// The one owner of the libmpv client handle and of its render context.
//
// Threading rules
// - Every member function is called on the GUI thread, and every signal is emitted there. The
//   core itself may have been made and initialised on a worker thread at start-up
//   (playback/MpvLibrary.h), with a software render context and a file loading; the constructor
//   takes it over, and nothing else touches it there.
// - libmpv calls two callbacks on its own threads: the wakeup callback (new events) and the render
//   context's update callback (a new frame may be ready). Both only post a queued call to this
//   object (coalesced by an atomic flag) and return; nothing else is touched from those threads.
// - Events are drained with mpv_wait_event(0) on the GUI thread until none is left.
// - Commands and property writes go out asynchronously (mpv_command_async, mpv_set_property_async)
//   so the GUI thread never waits for the player core. Getters of the facade answer from observed
//   property values instead of asking mpv.
// - The render context is created before any file is loaded (on the worker at start-up, else
//   here) and rendered into on the GUI thread only. It is freed before the handle (libmpv
//   requires that order), in the destructor.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>

struct mpv_handle;
struct mpv_render_context;

class CMpvHandle : public QObject {
    Q_OBJECT
  public:
    struct Options {
        QString audioOutput = "auto";  // mpv "ao"; "null" in tests
    };

    explicit CMpvHandle(const Options& options, QObject* parent = nullptr);
    ~CMpvHandle() override;

    bool IsValid() const { return m_mpv != nullptr; }

    // Observes a property; changes arrive as PropertyChanged(name, value). Flags arrive as bool,
    // int64 as qlonglong, doubles as double, strings as QString; an unavailable value as an invalid
    // QVariant. Node takes whatever type mpv holds the value in (maps and lists come as invalid).
    enum class Format { Flag, Int64, Double, String, Node };
    void Observe(const char* name, Format format);

    // Asks for a value without waiting; the answer arrives as PropertyReply(tag, name, value), in
    // order with the other events.
    void GetAsync(const char* name, Format format, quint64 tag);

    // A non-zero tag asks for CommandReply when mpv has run the command.
    //
    // A core taken over from start-up may already be loading a file (mpv_library::EarlyStart).
    // The first command claims that load when it is the very same "loadfile <path> replace": it is
    // not sent again, and the load's reply comes under this command's tag. Any other first command
    // goes out as usual and the early load's reply is dropped. Until then the core's events wait,
    // so the player meets the load's events after its own command, as for any load.
    void Command(const QStringList& args, quint64 tag = 0);
    // Stops a load from start-up that no command has claimed; nothing otherwise.
    void StopUnclaimedLoad();
    void SetProperty(const char* name, const QVariant& value);

    // Software rendering (the render API's "sw" backend). The context is created once; RenderSw
    // draws the current video frame into memory of the given size (bgr0, stride a multiple of 64).
    bool CreateSoftwareRenderContext();
    bool HasRenderContext() const { return m_render != nullptr; }
    // True when the core has a new frame since the last call (clears the flag in libmpv).
    bool FrameUpdatePending();
    bool RenderSw(int width, int height, size_t stride, void* pixels);

    // OpenGL rendering (the render API's "opengl" backend) with hardware decoding where it is safe.
    // The context is created once, with glContext current; every later call into it (RenderGl,
    // ReportSwap, FreeRenderContext) needs that same GL context current. RenderGl draws the current
    // frame into the framebuffer object fbo of width x height pixels, upside down when flipY.
    using GetProcAddress = void* (*)(void* glContext, const char* name);
    // x11Display: the Xlib Display of the windows, when they are on X11 (lets the GPU decoders
    // hand their frames to OpenGL without a copy); null elsewhere.
    bool CreateGlRenderContext(GetProcAddress getProcAddress, void* glContext,
                               void* x11Display = nullptr);
    bool RenderGl(unsigned fbo, int width, int height, bool flipY);
    void ReportSwap();
    // Frees the render context now (the GL one needs its GL context current): the video output
    // stops. Also done by the destructor, which emits RenderContextClosing first.
    void FreeRenderContext();

  signals:
    void PropertyChanged(const QString& name, const QVariant& value);
    void PropertyReply(quint64 tag, const QString& name, const QVariant& value);
    // error: 0 or a negative mpv error code; entryId: the playlist entry a loadfile added, or -1.
    void CommandReply(quint64 tag, int error, qint64 entryId);
    void StartFile(qint64 entryId);
    void FileLoaded();
    // reason: mpv_end_file_reason; error: mpv error code (negative) for reason ERROR.
    void EndFile(int reason, int error, qint64 entryId);
    void PlaybackRestart();
    void FrameReady();
    // The render context is about to be freed: a GL surface makes its GL context current.
    void RenderContextClosing();

  private:
    static void OnWakeup(void* self);
    static void OnRenderUpdate(void* self);
    void DrainEvents();
    void DeliverFrame();

    mpv_handle* m_mpv = nullptr;
    mpv_render_context* m_render = nullptr;
    bool m_renderIsGl = false;
    QString m_earlyLoad;         // the path of a start-up load nobody claimed yet
    quint64 m_earlyLoadTag = 0;  // the tag its reply is passed on under; 0: dropped
    std::atomic<bool> m_drainPosted{false};
    std::atomic<bool> m_framePosted{false};
};

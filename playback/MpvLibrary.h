#pragma once
// libmpv is loaded at run time, not by the dynamic loader at the program's start: loading it and
// the codec libraries it brings takes longer than making the application and its window, so a
// worker thread started early loads it, creates the player core with the embedded options and
// initialises it while the GUI thread builds the window (EarlyStart). CMpvHandle then takes that
// core over on the GUI thread, and from then on the handle is used there only.
//
// Every function of the client and render API is defined here as a forwarder to the loaded
// library, so callers use the ordinary mpv_* names; the first call waits until the library is
// loaded. Without the library, mpv_create() returns null (the player reports that it cannot
// start) and the others do nothing.

#include <QByteArray>
#include <cstdint>

struct mpv_handle;
struct mpv_render_context;

namespace mpv_library {

// Creates a core with the embedded player's options and the given audio output ("ao") and
// initialises it; null when the library is missing or the core does not start. Any thread.
// startPaused: the core starts with "pause" set.
mpv_handle* CreateInitialised(const QByteArray& audioOutput, bool startPaused = false);

// The reply tag of the load EarlyStart sends; the handle that takes the core over passes the reply
// on under the tag of the load that claims it, or drops it.
constexpr uint64_t kEarlyLoadReply = 0x4561726c794c6f64;

// A core made at start-up, as the handle takes it over. With a load already under way, the core
// also has a software render context (the video output needs one as soon as the file opens).
struct EarlyCore {
    mpv_handle* handle = nullptr;
    mpv_render_context* render = nullptr;  // software rendering, or null
    QByteArray loadingPath;                // what is loading, paused, or empty
};

// Runs CreateInitialised(audioOutput) on a worker thread. Made after QApplication: the locale must
// have "C" numbers by then (libmpv refuses to start otherwise), and the application's own plugins
// load faster without waiting for the loader behind libmpv. The object joins the thread and frees a
// core nobody took when it goes; keep it alive for as long as the application.
//
// With openPath, the worker also makes a software render context and sends "loadfile openPath
// replace" (reply tag kEarlyLoadReply) with the core paused, so mpv opens the file and decodes
// its first picture while the window is being made. Only for a local file the player will load
// as it is, on the software video path; the player claims the load or stops it.
class EarlyStart {
  public:
    explicit EarlyStart(const QByteArray& audioOutput, const QByteArray& openPath = {});
    ~EarlyStart();
    EarlyStart(const EarlyStart&) = delete;
    EarlyStart& operator=(const EarlyStart&) = delete;
};

// The core EarlyStart made for this audio output, waiting for it to be ready: ownership passes
// to the caller (free the render context before the handle). No handle when none was started,
// it was already taken, or it was made for another audio output (then it is freed).
EarlyCore TakeEarly(const QByteArray& audioOutput);

}  // namespace mpv_library

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

struct mpv_handle;

namespace mpv_library {

// Creates a core with the embedded player's options and the given audio output ("ao") and
// initialises it; null when the library is missing or the core does not start. Any thread.
mpv_handle* CreateInitialised(const QByteArray& audioOutput);

// Runs CreateInitialised(audioOutput) on a worker thread. Made after QApplication: the locale must
// have "C" numbers by then (libmpv refuses to start otherwise), and the application's own plugins
// load faster without waiting for the loader behind libmpv. The object joins the thread and frees a
// core nobody took when it goes; keep it alive for as long as the application.
class EarlyStart {
  public:
    explicit EarlyStart(const QByteArray& audioOutput);
    ~EarlyStart();
    EarlyStart(const EarlyStart&) = delete;
    EarlyStart& operator=(const EarlyStart&) = delete;
};

// The core EarlyStart made for this audio output, waiting for it to be ready: ownership passes
// to the caller. Null when none was started, it was already taken, or it was made for another
// audio output (then it is freed).
mpv_handle* TakeEarly(const QByteArray& audioOutput);

}  // namespace mpv_library

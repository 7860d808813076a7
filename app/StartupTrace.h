#pragma once
// Start-up trace: with VELMORA_TRACE_STARTUP set in the environment, each Mark() prints to the
// standard error the milliseconds since the process started and what was reached, e.g.
//   velmora-start   41.2 ms  window shown
// Only the first mark of each text is printed, so marks in per-frame paths cost one lookup
// after the first frame. Without the variable, Mark() does nothing.

namespace startup_trace {

void Mark(const char* what);

}  // namespace startup_trace

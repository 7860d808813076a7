#pragma once
// The messenger window of another program hides behind a full-screen picture badly: entering full
// screen minimises the top-level window titled exactly "Parlo Messenger", when there is one. Only
// on X11, where other programs' windows can be seen; elsewhere nothing happens.

void MinimiseMessenger();

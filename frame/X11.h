#pragma once
// What only X11 lets a program see of the desktop; elsewhere these do nothing or say "unknown".

// The messenger window of another program hides behind a full-screen picture badly: entering full
// screen minimises the top-level window titled exactly "Parlo Messenger", when there is one.
void MinimiseMessenger();

// Whether the left mouse button is down right now, asked of the X server; true where that cannot
// be asked. A window drag begun after the button went up would hold the window to the pointer
// until the next click.
bool LeftButtonDown();

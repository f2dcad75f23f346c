// The message loop of every program: Run for the program's life, Pump inside a long
// operation, RunModal for a window shown modally. Each gives a window's keyboard
// messages to IsDialogMessage first, so that Tab, the arrow keys, Enter, Esc and the
// access keys (Alt+letter) work in every window as they do in a dialog.
#pragma once

#include <windows.h>

namespace kf::ui {

// Runs the message loop until WM_QUIT; its exit code.
int RunMessageLoop();

// Handles every message already queued, then returns; false once WM_QUIT was seen
// (it is posted again for the loop that owns it).
bool PumpMessages();

// Dispatches what is queued for window alone (its paint, for one), leaving the input of
// every other window waiting.
void PumpWindowMessages(HWND window);

// Runs the loop until done becomes true. A WM_QUIT ends it too and is posted again,
// for the program's own loop.
void RunModal(const bool& done);

// The dialog keys of the top-level window that holds the message's target
// (IsDialogMessage); true when consumed.
bool DialogKey(MSG& message);

// One message through the same path as the loop's.
void DispatchOne(MSG& message);

} // namespace kf::ui

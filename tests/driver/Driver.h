// A small Win32 UI driver for end-to-end tests: finds a program's top-level window by
// its caption, reads its controls and works them the way a user would (buttons only
// when visible and enabled, keys through the program's own message loop). Every wait
// has a time limit, so a hung program fails a test instead of hanging it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kfdriver {

struct TControl
{
    HWND Handle = nullptr;
    std::string ClassName; // as registered, e.g. "Button", "Static", "Edit"
    std::string Text;      // WM_GETTEXT; for an edit control its whole content
    int Id = 0;
    bool Visible = false;  // IsWindowVisible: the control and all its parents
    bool Enabled = false;
    RECT Bounds = {};      // screen coordinates
};

// Polls predicate every 20 ms until it holds or timeoutMs has passed.
bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs);

// The visible top-level window whose caption is exactly caption (or begins with it
// when prefix is set), or null. className, when given, must match too.
HWND FindTopWindow(const std::string& caption, bool prefix = false, const std::string& className = "");
HWND WaitForTopWindow(const std::string& caption, int timeoutMs, bool prefix = false,
                      const std::string& className = "");
// Every visible top-level window matching as above; tests running side by side may show
// windows with the same caption, so they pick theirs by process.
std::vector<HWND> FindTopWindows(const std::string& caption, bool prefix = false, const std::string& className = "");
// The first match owned by a process whose image path equals image (case-insensitive).
HWND WaitForTopWindowOf(const std::string& image, const std::string& caption, int timeoutMs,
                        const std::string& className = "");
// True once window no longer exists.
bool WaitForWindowGone(HWND window, int timeoutMs);

// The text of any window, through WM_GETTEXT with a time limit.
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
// Every descendant of top, in Z order (for dialogs: creation and Tab order).
std::vector<TControl> Controls(HWND top);
TControl Describe(HWND control);

// The first descendant whose text is exactly text ("&" counts); className optional.
// Hidden controls are found too: tests often check that something is hidden.
HWND FindControl(HWND top, const std::string& text, const std::string& className = "");
// The first descendant whose text begins with prefix.
HWND FindControlByPrefix(HWND top, const std::string& prefix, const std::string& className = "");
// The n-th (0-based) descendant of a class.
HWND FindControlOfClass(HWND top, const std::string& className, int index = 0);

bool IsUsable(HWND control); // visible and enabled, as a user needs it

// Clicks a button (BM_CLICK, posted so the call never waits on a long handler).
// Fails without clicking when the button is hidden or disabled.
bool Click(HWND button);

// Keys go to the control that has the keyboard focus in the program's thread (or the
// top window), through the program's message queue, so the program's message loop
// must translate them: Tab, Enter and Esc need IsDialogMessage there.
bool PressKey(HWND top, UINT virtualKey);
// Alt+letter, as WM_SYSCHAR: the access key of a control ("&Next" → 'n').
bool PressAltKey(HWND top, char letter);
// The control with the keyboard focus in top's thread, or null.
HWND FocusedControl(HWND top);

// Asks the window to close as the caption's close button does (WM_SYSCOMMAND SC_CLOSE).
bool RequestClose(HWND top);

// The id of the process owning window (0 when gone).
DWORD ProcessOf(HWND window);
// The full image path of a process, or empty.
std::string ProcessImage(DWORD processId);

} // namespace kfdriver

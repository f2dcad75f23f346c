// The application object: its title, the message loop with dialog-key handling, and
// the standard error box. The one global of a program.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace kf::ui {

class TApplication
{
public:
    // Common controls and COM (the folder browser needs an apartment); once per run.
    void Initialize();

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title) { FTitle = title; }

    // The window whose destruction ends the message loop.
    HWND MainWindow() const { return FMainWindow; }
    void SetMainWindow(HWND window) { FMainWindow = window; }

    // Runs the message loop until WM_QUIT; returns its exit code.
    int Run();
    // Handles every message already queued, then returns; false once WM_QUIT was seen
    // (it is posted again for the loop that owns it).
    bool ProcessMessages();
    // Tab, the arrow keys and access keys (Alt+letter) of the window that holds the
    // message's target: IsDialogMessage on its top-level window. True when consumed.
    bool PreTranslate(MSG& message);
    // One message through the same path as the loop's.
    void DispatchOne(MSG& message);

    // The standard error box: error icon, OK button, the title as caption and the
    // message with the full-stop rule, owned by the active window.
    void ShowException(const std::exception& error);

    // Every message box of the program goes through here, so tests can answer them.
    using TMessageBoxHook = std::function<int(HWND owner, const std::string& text, const std::string& caption,
                                              UINT flags)>;
    int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
    void SetMessageBoxHook(TMessageBoxHook hook) { FMessageBoxHook = std::move(hook); }

private:
    bool FInitialized = false;
    std::string FTitle;
    HWND FMainWindow = nullptr;
    TMessageBoxHook FMessageBoxHook;
};

TApplication& Application();

} // namespace kf::ui

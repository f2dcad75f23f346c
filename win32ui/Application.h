// The builder's application object: its title, its main window, the message loop and
// the standard error box, with a hook through which tests answer every message box.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace kf::ui {

class TApplication
{
public:
    // Common controls and COM (the folder browser needs an apartment), and the window
    // procedure's exceptions to ShowException; once per run.
    void Initialize();

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title) { FTitle = title; }

    // The window whose destruction ends the message loop.
    HWND MainWindow() const { return FMainWindow; }
    void SetMainWindow(HWND window) { FMainWindow = window; }

    // The message loop (MessageLoop.h): until WM_QUIT, and what is queued now.
    int Run();
    bool ProcessMessages();

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

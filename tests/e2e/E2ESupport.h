// What both end-to-end suites (the installer's and the uninstaller's) need beside the
// test driver: time limits, the built programs, and small questions to another
// program's windows.
#pragma once

#include "Driver.h"
#include "Process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace kfe2e {

constexpr int kStartMs = 30000; // a Wine process start can be slow on a cold server
constexpr int kActionMs = 30000;

// A program of this build, beside the test.
inline std::string Bin(const std::string& name)
{
    return std::string(KF_BINARY_DIR) + "\\bin\\" + name;
}

inline std::string Lower(std::string text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

inline bool Visible(HWND control)
{
    return control && IsWindowVisible(control);
}

// The text of the first control of top whose text begins with prefix.
inline std::string TextStarting(HWND top, const std::string& prefix)
{
    HWND control = kfdriver::FindControlByPrefix(top, prefix);
    return control ? kfdriver::TextOf(control) : "<none>";
}

// A message to a control of another process, with a time limit; -1 when it hung.
inline LRESULT Ask(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

// A message box of the program under test: its text, then a click on one of its buttons.
inline std::string AnswerBox(const std::string& caption, const std::string& button)
{
    HWND box = kfdriver::WaitForTopWindow(caption, kActionMs, false, "#32770");
    if (!box)
        return "<no box \"" + caption + "\">";
    std::string text;
    for (const kfdriver::TControl& control : kfdriver::Controls(box))
        if (control.ClassName == "Static" && control.Text.size() > text.size())
            text = control.Text;
    EXPECT_TRUE(kfdriver::Click(kfdriver::FindControl(box, button, "Button"))) << button;
    return text;
}

// Runs a command to its end with TMP and TEMP of its own; its exit code, or -1.
inline long RunToEnd(const std::string& commandLine, const std::string& temp)
{
    kfdriver::TProcess process;
    if (!kfdriver::StartWithTemp(commandLine, temp, process))
        return -1;
    return process.WaitForExit(120000);
}

} // namespace kfe2e

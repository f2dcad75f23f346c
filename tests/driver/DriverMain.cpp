// kfdriver: the UI driver as a command for scripts (screenshots, manual checks).
//
//   kfdriver [-p] wait CAPTION [TIMEOUT_MS]           a visible window with CAPTION appears
//   kfdriver [-p] gone CAPTION [TIMEOUT_MS]           no visible window with CAPTION is left
//   kfdriver [-p] list CAPTION                        its controls: id class visible enabled "text"
//   kfdriver [-p] click CAPTION TEXT                  click the button whose text is TEXT
//   kfdriver [-p] key CAPTION tab|enter|escape|alt+X  a key through the program's message loop
//   kfdriver [-p] wait-control CAPTION PREFIX [TIMEOUT_MS]
//                                                     a visible control whose text begins with PREFIX
//   kfdriver [-p] rect CAPTION                        the window's "X Y WIDTH HEIGHT" on the screen
//   kfdriver [-p] close CAPTION                       the caption's close button (SC_CLOSE)
//
// -p matches captions by prefix. Exit code 0 on success, 1 when the window or control
// was not found in time or refused the action, 2 on a usage error.
#include "Driver.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace kfdriver;

namespace {

constexpr int kDefaultTimeoutMs = 10000;
constexpr int kClickWaitMs = 5000;

int Usage()
{
    std::fprintf(stderr, "usage: kfdriver [-p] wait|gone|list|click|key|wait-control|rect|close CAPTION [ARGS]\n");
    return 2;
}

int Timeout(const std::vector<std::string>& args, size_t index)
{
    return args.size() > index ? std::atoi(args[index].c_str()) : kDefaultTimeoutMs;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    bool prefix = false;
    if (!args.empty() && args[0] == "-p")
    {
        prefix = true;
        args.erase(args.begin());
    }
    if (args.size() < 2)
        return Usage();
    const std::string& command = args[0];
    const std::string& caption = args[1];

    if (command == "gone")
        return WaitUntil([&] { return FindTopWindow(caption, prefix) == nullptr; }, Timeout(args, 2)) ? 0 : 1;

    int waitMs = command == "wait" ? Timeout(args, 2) : kDefaultTimeoutMs;
    HWND top = WaitForTopWindow(caption, waitMs, prefix);
    if (!top)
    {
        std::fprintf(stderr, "kfdriver: no window \"%s\"\n", caption.c_str());
        return 1;
    }
    if (command == "wait")
        return 0;
    // A program may show several windows with one caption (a setup's background and its
    // wizard): the commands on controls look in each of them.
    auto windowWith = [&](const std::function<bool(HWND)>& has) -> HWND {
        for (HWND window : FindTopWindows(caption, prefix))
            if (has(window))
                return window;
        return nullptr;
    };
    if (command != "close")
    {
        HWND withControls = windowWith([](HWND window) { return GetWindow(window, GW_CHILD) != nullptr; });
        if (withControls)
            top = withControls;
    }
    if (command == "list")
    {
        for (const TControl& control : Controls(top))
            std::printf("%d %s %s %s \"%s\"\n", control.Id, control.ClassName.c_str(),
                        control.Visible ? "visible" : "hidden", control.Enabled ? "enabled" : "disabled",
                        control.Text.c_str());
        return 0;
    }
    if (command == "rect")
    {
        RECT rect;
        GetWindowRect(top, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    if (command == "close")
        return RequestClose(top) ? 0 : 1;
    if (command == "click" && args.size() >= 3)
    {
        // A button a page change is about to show is waited for, briefly.
        HWND button = nullptr;
        WaitUntil(
            [&] {
                HWND window = windowWith([&](HWND w) { return IsUsable(FindControl(w, args[2], "Button")); });
                button = window ? FindControl(window, args[2], "Button") : nullptr;
                return button != nullptr;
            },
            kClickWaitMs);
        if (!Click(button))
        {
            std::fprintf(stderr, "kfdriver: no usable button \"%s\"\n", args[2].c_str());
            return 1;
        }
        return 0;
    }
    if (command == "wait-control" && args.size() >= 3)
    {
        bool found = WaitUntil(
            [&] {
                return windowWith([&](HWND w) {
                           HWND control = FindControlByPrefix(w, args[2]);
                           return control && IsWindowVisible(control);
                       }) != nullptr;
            },
            Timeout(args, 3));
        return found ? 0 : 1;
    }
    if (command == "key" && args.size() >= 3)
    {
        const std::string& key = args[2];
        if (key == "tab")
            return PressKey(top, VK_TAB) ? 0 : 1;
        if (key == "enter")
            return PressKey(top, VK_RETURN) ? 0 : 1;
        if (key == "escape")
            return PressKey(top, VK_ESCAPE) ? 0 : 1;
        if (key.size() == 5 && key.compare(0, 4, "alt+") == 0)
            return PressAltKey(top, key[4]) ? 0 : 1;
        return Usage();
    }
    return Usage();
}

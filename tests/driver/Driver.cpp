#include "Driver.h"

#include <cstdlib>
#include <vector>

namespace kfdriver {

namespace {

constexpr UINT kMessageTimeoutMs = 5000;

struct TFindTop
{
    const std::string* Caption;
    bool Prefix;
    const std::string* ClassName;
    std::vector<HWND> Found;
    bool All;
};

BOOL CALLBACK FindTopProc(HWND window, LPARAM parameter)
{
    auto* find = reinterpret_cast<TFindTop*>(parameter);
    if (!IsWindowVisible(window))
        return TRUE;
    // GetWindowText reads a top-level window's caption without a message round trip.
    char buffer[1024];
    int length = GetWindowTextA(window, buffer, sizeof(buffer));
    std::string caption(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    bool match = find->Prefix ? caption.compare(0, find->Caption->size(), *find->Caption) == 0
                              : caption == *find->Caption;
    if (match && (find->ClassName->empty() || ClassOf(window) == *find->ClassName))
    {
        find->Found.push_back(window);
        return find->All;
    }
    return TRUE;
}

BOOL CALLBACK CollectProc(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

bool PostToFocus(HWND top, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND target = FocusedControl(top);
    if (!target)
        target = top;
    return PostMessageA(target, message, wParam, lParam) != 0;
}

// KF_TEST_TIME_SCALE (a slow test machine, such as the emulated guest of the 32-bit lane)
// stretches every wait as CTest stretches the tests' own limits.
long long TimeScale()
{
    static const long long scale = [] {
        char text[16] = {};
        DWORD n = GetEnvironmentVariableA("KF_TEST_TIME_SCALE", text, sizeof text);
        long long value = n > 0 && n < sizeof text ? std::atoll(text) : 0;
        return value >= 1 && value <= 100 ? value : 1;
    }();
    return scale;
}

} // namespace

bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs)
{
    DWORD start = GetTickCount();
    const long long limit = timeoutMs * TimeScale();
    for (;;)
    {
        if (predicate())
            return true;
        if (static_cast<long long>(GetTickCount() - start) >= limit)
            return false;
        Sleep(20);
    }
}

std::vector<HWND> FindTopWindows(const std::string& caption, bool prefix, const std::string& className)
{
    TFindTop find = {&caption, prefix, &className, {}, true};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

HWND FindTopWindow(const std::string& caption, bool prefix, const std::string& className)
{
    TFindTop find = {&caption, prefix, &className, {}, false};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&find));
    return find.Found.empty() ? nullptr : find.Found.front();
}

HWND WaitForTopWindowOf(const std::string& image, const std::string& caption, int timeoutMs,
                        const std::string& className)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : FindTopWindows(caption, false, className))
                if (lstrcmpiA(ProcessImage(ProcessOf(window)).c_str(), image.c_str()) == 0)
                    return (found = window) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

HWND WaitForTopWindow(const std::string& caption, int timeoutMs, bool prefix, const std::string& className)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(caption, prefix, className)) != nullptr; }, timeoutMs);
    return found;
}

bool WaitForWindowGone(HWND window, int timeoutMs)
{
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

std::string TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length))
        return std::string();
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
        return std::string();
    return std::string(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
}

std::string ClassOf(HWND window)
{
    char buffer[256];
    int length = GetClassNameA(window, buffer, sizeof(buffer));
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

TControl Describe(HWND control)
{
    TControl info;
    info.Handle = control;
    info.ClassName = ClassOf(control);
    info.Text = TextOf(control);
    info.Id = GetDlgCtrlID(control);
    info.Visible = IsWindowVisible(control) != 0;
    info.Enabled = IsWindowEnabled(control) != 0;
    GetWindowRect(control, &info.Bounds);
    return info;
}

std::vector<TControl> Controls(HWND top)
{
    std::vector<HWND> handles;
    EnumChildWindows(top, CollectProc, reinterpret_cast<LPARAM>(&handles));
    std::vector<TControl> controls;
    for (HWND handle : handles)
        controls.push_back(Describe(handle));
    return controls;
}

static bool ClassMatches(const TControl& control, const std::string& className)
{
    return className.empty() || lstrcmpiA(control.ClassName.c_str(), className.c_str()) == 0;
}

HWND FindControl(HWND top, const std::string& text, const std::string& className)
{
    for (const TControl& control : Controls(top))
        if (control.Text == text && ClassMatches(control, className))
            return control.Handle;
    return nullptr;
}

HWND FindControlByPrefix(HWND top, const std::string& prefix, const std::string& className)
{
    for (const TControl& control : Controls(top))
        if (control.Text.compare(0, prefix.size(), prefix) == 0 && ClassMatches(control, className))
            return control.Handle;
    return nullptr;
}

HWND FindControlOfClass(HWND top, const std::string& className, int index)
{
    for (const TControl& control : Controls(top))
        if (ClassMatches(control, className) && index-- == 0)
            return control.Handle;
    return nullptr;
}

bool IsUsable(HWND control) { return control && IsWindowVisible(control) && IsWindowEnabled(control); }

bool Click(HWND button)
{
    if (!IsUsable(button))
        return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

HWND FocusedControl(HWND top)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(top, nullptr);
    if (!thread || !GetGUIThreadInfo(thread, &info))
        return nullptr;
    return info.hwndFocus;
}

bool PressKey(HWND top, UINT virtualKey)
{
    UINT scan = MapVirtualKeyA(virtualKey, 0);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1 << 30) | (static_cast<LPARAM>(1) << 31);
    if (!PostToFocus(top, WM_KEYDOWN, virtualKey, down))
        return false;
    // The key down may have closed the window already (Esc, Enter): then the key up
    // has nowhere to go, and that is no failure.
    PostToFocus(top, WM_KEYUP, virtualKey, up);
    return true;
}

bool PressAltKey(HWND top, char letter)
{
    // Bit 29: the Alt key is down.
    UINT scan = MapVirtualKeyA(static_cast<UINT>(VkKeyScanA(letter) & 0xFF), 0);
    LPARAM data = 1 | (static_cast<LPARAM>(scan) << 16) | (1 << 29);
    return PostToFocus(top, WM_SYSCHAR, static_cast<WPARAM>(static_cast<unsigned char>(letter)), data);
}

bool RequestClose(HWND top) { return PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0) != 0; }

DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    if (!GetWindowThreadProcessId(window, &process))
        return 0;
    return process;
}

std::string ProcessImage(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return std::string();
    char buffer[MAX_PATH * 2];
    DWORD size = sizeof(buffer);
    std::string image = QueryFullProcessImageNameA(process, 0, buffer, &size) ? std::string(buffer, size) : "";
    CloseHandle(process);
    return image;
}

} // namespace kfdriver

// The one window base class: the window procedure finds the C++ object through the
// pointer stored at WM_NCCREATE and dispatches to HandleMessage. No exception unwinds
// through user32: the boundary hands it to ReportException.
#pragma once

#include <windows.h>

#include <string>

namespace kf::ui {

class TWindow
{
public:
    TWindow() = default;
    virtual ~TWindow(); // destroys the window if it is still there
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return FHandle; }
    void Destroy();

protected:
    // Registers the class once per process (ERROR_CLASS_ALREADY_EXISTS is fine); raises
    // TError when it fails. The class takes the program's icon.
    static void RegisterWindowClass(const char* className, HBRUSH background, UINT classStyle = 0);
    // Creates the window with this object behind it; raises TError when it fails.
    void CreateHandle(const char* className, DWORD exStyle, const char* caption, DWORD style, int x, int y,
                      int width, int height, HWND parent, int id = 0);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefWindowProcA(FHandle, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND FHandle = nullptr;
};

// Text of any window or control, in the ANSI code page.
std::string WindowText(HWND window);
void SetWindowTextIfChanged(HWND window, const std::string& text);

} // namespace kf::ui

#include "win32ui/Window.h"

#include "platform/Error.h"
#include "win32ui/ErrorBox.h"

#include <vector>

namespace kf::ui {

TWindow::~TWindow() { Destroy(); }

void TWindow::Destroy()
{
    if (FHandle)
        DestroyWindow(FHandle); // WM_NCDESTROY clears FHandle
    FHandle = nullptr;
}

void TWindow::RegisterWindowClass(const char* className, HBRUSH background, UINT classStyle)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &TWindow::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    // The program's own icon (resource 1) when it carries one.
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    if (!wc.hIcon)
        wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw TError(std::string("Cannot register window class ") + className);
}

void TWindow::CreateHandle(const char* className, DWORD exStyle, const char* caption, DWORD style, int x, int y,
                           int width, int height, HWND parent, int id)
{
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    HWND handle = CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, menu,
                                  GetModuleHandleA(nullptr), this);
    if (!handle)
        throw TError(std::string("Cannot create window ") + className);
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TWindow* self = nullptr;
    if (message == WM_NCCREATE)
    {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->FHandle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    else
        self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);

    LRESULT result = 0;
    try
    {
        result = self->HandleMessage(message, wParam, lParam);
    }
    catch (const std::exception& error)
    {
        ReportException(window, &error);
    }
    catch (...)
    {
        ReportException(window, nullptr);
    }
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
    }
    return result;
}

std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void SetWindowTextIfChanged(HWND window, const std::string& text)
{
    if (WindowText(window) != text)
        SetWindowTextA(window, text.c_str());
}

} // namespace kf::ui

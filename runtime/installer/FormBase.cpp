#include "runtime/installer/FormBase.h"

#include "platform/Error.h"
#include "runtime/installer/InstallerTexts.h"

#include <exception>
#include <vector>

namespace kf {
namespace installer {

TForm::~TForm() { Destroy(); }

void TForm::Destroy()
{
    if (FHandle)
        DestroyWindow(FHandle); // WM_NCDESTROY clears FHandle
    FHandle = nullptr;
}

void TForm::CreateForm(const char* className, DWORD exStyle, const char* caption, DWORD style, int x, int y,
                       int width, int height, HWND owner, HBRUSH background)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw TError(std::string("Cannot register window class ") + className);
    if (!CreateWindowExA(exStyle, className, caption, style, x, y, width, height, owner, nullptr,
                         GetModuleHandleA(nullptr), this))
        throw TError(std::string("Cannot create window ") + className);
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TForm* form;
    if (message == WM_NCCREATE)
    {
        form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->FHandle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    else
        form = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    try
    {
        result = form->HandleMessage(message, wParam, lParam);
    }
    catch (const std::exception& error)
    {
        MessageBoxA(window, StandardErrorText(error.what()).c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
    }
    catch (...)
    {
        MessageBoxA(window, "Unexpected error.", kApplicationTitle, MB_OK | MB_ICONERROR);
    }
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form->FHandle = nullptr;
    }
    return result;
}

HFONT CreateMessageFont()
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return CreateFontIndirectA(&metrics.lfMessageFont);
    return nullptr;
}

HWND CreateChild(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle, int x,
                 int y, int width, int height, int id, HFONT font)
{
    HWND control = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (!control)
        throw TError(std::string("Cannot create a control of class ") + className);
    SendMessageA(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))), FALSE);
    return control;
}

std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

std::string StandardErrorText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

} // namespace installer
} // namespace kf

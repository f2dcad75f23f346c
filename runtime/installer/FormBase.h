// The installer's window base: the window procedure finds the form through the
// pointer stored at WM_NCCREATE and hands every message to HandleMessage; no exception
// unwinds through user32. The stub keeps its own small base rather than the builder's
// UI layer so that nothing it does not use is linked into every setup executable.
#pragma once

#include "runtime/common/Win32Handles.h"

#include <string>

namespace kf {
namespace installer {

class TForm
{
public:
    TForm() = default;
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return FHandle; }
    void Destroy();

protected:
    // Registers the class once per process; creates the window with this form behind it
    // and raises TError when that fails.
    void CreateForm(const char* className, DWORD exStyle, const char* caption, DWORD style, int x, int y,
                    int width, int height, HWND owner, HBRUSH background);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefWindowProcA(FHandle, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND FHandle = nullptr;
};

// The message font of the system (Tahoma or Segoe UI), owned by the caller.
HFONT CreateMessageFont();

// A child control of parent, in font; raises TError when it cannot be created.
HWND CreateChild(HWND parent, const char* className, const std::string& text, DWORD style, DWORD exStyle, int x,
                 int y, int width, int height, int id, HFONT font);

std::string WindowText(HWND window);

// The text of the standard error box: the message, with a full stop appended when its
// last character sorts above ".".
std::string StandardErrorText(const std::string& message);

} // namespace installer
} // namespace kf

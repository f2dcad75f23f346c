// Standard controls (BUTTON, EDIT, STATIC, COMBOBOX, LISTBOX, the common controls)
// created as children of a window, in one font.
#pragma once

#include <windows.h>

#include <string>

namespace kf::ui {

// A control as a child of parent, in font (the default GUI font when null). Raises
// TError when it cannot be created.
HWND CreateControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle, int x,
                   int y, int width, int height, int id, HFONT font);

// The width text needs in window's font, for labels that size themselves to their text.
int TextWidth(HWND window, const std::string& text);

} // namespace kf::ui

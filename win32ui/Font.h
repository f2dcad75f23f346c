// Fonts of the programs' windows.
#pragma once

#include "win32ui/Gdi.h"

namespace kf::ui {

// The system's message font (Tahoma or Segoe UI); empty when the system gives none.
TFont CreateMessageFont();

// face at points on the screen's resolution.
TFont CreatePointFont(const char* face, int points, bool bold = false, bool italic = false);

} // namespace kf::ui

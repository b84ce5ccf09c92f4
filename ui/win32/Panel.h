#pragma once

#include <windows.h>

inline constexpr char kPanelClass[] = "TPanel";

// A panel: the colour of button faces, a raised outer and a lowered inner bevel; what its
// controls tell it goes on to the window.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM w, LPARAM l);

#pragma once

#include <windows.h>

// The window class of the list of an archive's configurations, a small modal window of its own
// that TfrmMain::ChooseConfiguration makes.
LRESULT CALLBACK ChooserProc(HWND window, UINT message, WPARAM w, LPARAM l);

// kissconv.exe: the window of the KISS file convertor, in plain Win32.
#include "MainWindow.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    TfrmMain frmMain(instance);
    // A file the desktop opens with the window ("Open with", a file dropped on the program).
    if (__argc > 1) frmMain.SetInputFile(__argv[1]);
    frmMain.Run(show);
    return 0;
}

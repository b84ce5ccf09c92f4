#pragma once

#include "common/WindowText.h"

#include <windows.h>

// The window's small pictures, drawn at 16 by 16 pixels times scale (the screen's pixels per inch
// over 96): the drive kinds, the folders, and the page with short rays on the button that opens
// the file dialog.
void DrawDrivePicture(HDC dc, int left, int top, double scale, TVolumeKind kind);
void DrawFolderPicture(HDC dc, int left, int top, double scale, TFolderPicture kind);
// The button's picture as a bitmap on the colour of button faces; the caller deletes it.
HBITMAP MakeOpenButtonPicture(double scale);

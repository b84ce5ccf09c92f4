#pragma once

#include <windows.h>

#include <initializer_list>

enum Style { Regular = 0, Bold = 1, Italic = 2, Underlined = 4 };

// The first of the faces installed here (the Japanese system font, its English name, the IPA
// font of the same measures), else the system's dialog font.
HFONT MakeFont(std::initializer_list<const wchar_t*> faces, int height, int style);

#pragma once

#include <string>
#include <string_view>

// Well-formed UTF-8 only: no overlong forms (C0, C1, E0 80-9F, F0 80-8F), no surrogates (ED A0-BF)
// and nothing past U+10FFFF, which a browser would show as replacement characters.
bool IsUtf8(std::string_view text);

// A text of a doll as UTF-8: as it is when it is UTF-8, else read as Shift-JIS, and where the whole
// is not that either, a line at a time in whichever of the two it reads as, each byte that is no
// character of it becoming one U+FFFD: one stray byte spoils nothing but itself. cut: the text was
// cut from a longer one, and a character its end splits is left out rather than spoilt.
std::string TextAsUtf8(const std::string& text, bool cut = false);

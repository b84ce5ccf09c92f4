#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Text between code pages: the system's "A" calls take bytes in the ANSI code page (Shift-JIS on
// a Japanese system); the run's messages are UTF-8.
std::wstring Wide(const std::string& text, UINT codePage);
// UTF-8 text in the ANSI code page; nothing when a character has no place there.
std::optional<std::string> Ansi(const std::string& utf8);
// A window's text, in the ANSI code page.
std::string TextOf(HWND window);

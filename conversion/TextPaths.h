#pragma once

#include "platform/Names.h" // DirectoryOf, AsciiLowerCase and the separators

#include <string>

// Path operations on byte strings. Every byte counts on its own (no double-byte awareness).

// The text up to its last "." (the whole text searched, directory part included).
std::string StripExtension(const std::string& text);
// The last path component up to its first "."; a path without separator is one component.
std::string BaseName(const std::string& path);

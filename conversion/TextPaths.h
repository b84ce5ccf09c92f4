#pragma once

#include "platform/Names.h" // DirectoryOf, AsciiLowerCase and the separators

#include <string>

// Path operations on byte strings. StripExtension counts every byte on its own.

// The text up to its last "." (the whole text searched, directory part included).
std::string StripExtension(const std::string& text);
// The last component of a path of this system's files (after DirectoryOf) up to its first ".".
std::string BaseName(const std::string& path);

#pragma once

#include <string>

class DirectoryListings;

// Turns a name written in a configuration file (DOS-style "\" allowed) into a native path.
std::string NativeName(const std::string& name);

// True when the name stays inside the folder it is joined to: not absolute, no drive, no "..".
bool StaysInside(const std::string& name);

// Finds an existing file for directory + name. When the name does not exist as written, each
// component is matched without regard to case (exactly one match wins). Without a match the
// path as written is returned, so opening it fails with that path.
std::string FindInDirectory(const std::string& directory, const std::string& name);
// The same, reading each folder through listings, which a run keeps from cel to cel.
std::string FindInDirectory(const std::string& directory, const std::string& name,
                            DirectoryListings& listings);

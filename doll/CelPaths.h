#pragma once

#include "platform/File.h"

#include <optional>
#include <string>
#include <vector>

class DirectoryListings;

// Turns a name written in a configuration file (DOS-style "\" allowed) into a native path.
std::string NativeName(const std::string& name);

// True when the name stays inside the folder it is joined to: not absolute, no drive, no "..".
bool StaysInside(const std::string& name);

// Finds an existing file for directory + name. When the name does not exist as written, each
// component is matched without regard to case (exactly one match wins), also in its UTF-8
// spelling when it is Shift-JIS. Without a match the
// path as written is returned, so opening it fails with that path.
std::string FindInDirectory(const std::string& directory, const std::string& name);
// The same, reading each folder through listings, which a run keeps from cel to cel.
std::string FindInDirectory(const std::string& directory, const std::string& name,
                            DirectoryListings& listings);

// How a name was found: as written, in another case, not at all (Missing), or not told apart
// from others that match it without regard to case (Ambiguous).
struct NameLookup {
    enum Kind { AsWritten, OtherCase, Ambiguous, Missing } kind = Missing;
    std::string path;                               // what was found, or the name as written
    std::vector<std::string> candidates;            // with Ambiguous: the names that match
    std::optional<platform::FileIdentity> identity; // of the file found (links followed)
};
// The listings answer for the names in each folder on the way; the system is asked for the file
// found (confirm: a listed link may lead nowhere, which is Missing then), and for more only where
// a folder may hold a name its listing does not show (one blind to case, a short alias on
// Windows): there the name as written is asked for first. Unconfirmed, a name the listings give
// is taken as found, without its identity: opening it tells the rest.
NameLookup LookUpInDirectory(const std::string& directory, const std::string& name,
                             DirectoryListings& listings, bool confirm = true);

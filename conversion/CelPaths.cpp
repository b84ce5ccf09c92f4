#include "CelPaths.h"

#include "DirectoryListings.h"

#include "TextPaths.h"

#include "platform/File.h"

#include <algorithm>
#include <vector>

std::string NativeName(const std::string& name)
{
    std::string native = name;
    for (char& c : native)
        if (IsDirectorySeparator(c)) c = platform::kSeparator;
    return native;
}

bool StaysInside(const std::string& name)
{
    if (name.empty()) return true;
    if (IsDirectorySeparator(name[0])) return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    for (const std::string& part : PathComponents(name))
        if (part == "..") return false;
    return true;
}

std::string FindInDirectory(const std::string& directory, const std::string& name)
{
    DirectoryListings listings; // each folder on the way is read once, as it stands now
    return FindInDirectory(directory, name, listings);
}

std::string FindInDirectory(const std::string& directory, const std::string& name,
                            DirectoryListings& listings)
{
    const std::string asWritten = directory + NativeName(name);
    if (name.empty() || platform::Exists(asWritten)) return asWritten;

    std::string found = directory;
    const std::vector<std::string> parts = PathComponents(name);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const std::string here = found;
        const std::string candidate = here + part;
        if (part.empty() || part == "." || part == "..") {
            found += part;
        } else {
            // The kept listing answers for the name as written too: asking the system for every
            // folder on a deep path would cost its depth squared.
            const std::vector<std::string> matches = listings.Matching(here, AsciiLowerCase(part));
            if (std::find(matches.begin(), matches.end(), part) != matches.end()) {
                found += part;
            } else if (matches.size() == 1) {
                found += matches[0];
            } else if (candidate != asWritten && platform::Exists(candidate)) {
                found += part; // a name the listing does not give (a short alias on Windows)
            } else {
                return asWritten;
            }
        }
        if (i + 1 < parts.size()) found += platform::kSeparator;
    }
    return found;
}

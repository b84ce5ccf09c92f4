#include "CelPaths.h"

#include "DirectoryListings.h"

#include "TextPaths.h"

#include "platform/File.h"

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
        } else if (candidate != asWritten && platform::Exists(candidate)) {
            found += part; // (the path as written is already known to be missing)
        } else {
            const std::vector<std::string> matches = listings.Matching(here, AsciiLowerCase(part));
            if (matches.size() != 1) return asWritten;
            found += matches[0];
        }
        if (i + 1 < parts.size()) found += platform::kSeparator;
    }
    return found;
}

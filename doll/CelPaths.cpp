#include "CelPaths.h"

#include "DirectoryListings.h"

#include "platform/Names.h"

#include "platform/File.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <vector>

std::string NativeName(const std::string& name)
{
    const std::vector<std::string> parts = NameComponents(name);
    std::string native = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i)
        native += platform::kSeparator + parts[i];
    return native;
}

bool StaysInside(const std::string& name)
{
    if (name.empty()) return true;
    if (IsDirectorySeparator(name[0])) return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    for (const std::string& part : NameComponents(name))
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
    const NameLookup found = LookUpInDirectory(directory, name, listings);
    return found.kind == NameLookup::Ambiguous ? directory + NativeName(name) : found.path;
}

namespace {

// The names in the listing of folder that match part without regard to case, also in its UTF-8
// spelling when it is Shift-JIS and matches nothing as written.
std::vector<std::string> Matches(DirectoryListings& listings, const std::string& folder,
                                 const std::string& part)
{
    // The kept listing answers for the name as written too: asking the system for every folder
    // on a deep path would cost its depth squared.
    std::vector<std::string> matches = listings.Matching(folder, NameLowerCase(part));
    if (matches.empty()) { // an extractor may have written a Shift-JIS name in UTF-8
        if (const auto utf8 = platform::ShiftJisToUtf8(part); utf8 && *utf8 != part)
            matches = listings.Matching(folder, AsciiLowerCase(*utf8), false);
    }
    return matches;
}

bool IsNoFolderName(const std::string& part)
{
    return part.empty() || part == "." || part == "..";
}

// The file found, or Missing where the system has nothing under its path.
NameLookup Confirmed(NameLookup::Kind kind, const std::string& path)
{
    NameLookup found{kind, path, {}, platform::IdentityOf(path)};
    if (!found.identity) found.kind = NameLookup::Missing;
    return found;
}

// Where a folder may hold names its listing does not show: the system is asked for the name as
// written first, and for each part the listing does not tell apart.
NameLookup AskingTheSystem(const std::string& directory, const std::string& name,
                           DirectoryListings& listings)
{
    const std::string asWritten = directory + NativeName(name);
    if (const auto identity = platform::IdentityOf(asWritten))
        return {NameLookup::AsWritten, asWritten, {}, identity};

    std::string found = directory;
    const std::vector<std::string> parts = NameComponents(name);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const std::string here = found;
        const std::string candidate = here + part;
        if (IsNoFolderName(part)) {
            found += part;
        } else {
            const std::vector<std::string> matches = Matches(listings, here, part);
            if (std::find(matches.begin(), matches.end(), part) != matches.end()) {
                found += part;
            } else if (matches.size() == 1) {
                found += matches[0];
            } else if (candidate != asWritten && platform::Exists(candidate)) {
                found += part; // a name the listing does not give (a short alias on Windows)
            } else if (matches.empty()) {
                return {NameLookup::Missing, asWritten, {}, {}};
            } else {
                return {NameLookup::Ambiguous, asWritten, matches, {}};
            }
        }
        if (i + 1 < parts.size()) found += platform::kSeparator;
    }
    return Confirmed(NameLookup::OtherCase, found);
}

} // namespace

NameLookup LookUpInDirectory(const std::string& directory, const std::string& name,
                             DirectoryListings& listings, bool confirm)
{
    const std::string asWritten = directory + NativeName(name);
    if (name.empty()) return {NameLookup::Missing, asWritten, {}, {}};

    // A folder whose listing holds every name it finds (one that tells case apart) answers on
    // its own: a part not listed as written is not there as written either.
    std::string found = directory;
    bool asListed = true; // every part so far as written
    const std::vector<std::string> parts = NameComponents(name);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const std::string here = found;
        if (IsNoFolderName(part)) {
            found += part;
        } else {
            const std::vector<std::string> matches = Matches(listings, here, part);
            if (std::find(matches.begin(), matches.end(), part) != matches.end()) {
                found += part;
            } else if (listings.FindsUnlisted(here)) {
                return AskingTheSystem(directory, name, listings);
            } else if (matches.size() == 1) {
                found += matches[0];
                asListed = false;
            } else if (matches.empty()) {
                return {NameLookup::Missing, asWritten, {}, {}};
            } else {
                return {NameLookup::Ambiguous, asWritten, matches, {}};
            }
        }
        if (i + 1 < parts.size()) found += platform::kSeparator;
    }
    const NameLookup::Kind kind = asListed ? NameLookup::AsWritten : NameLookup::OtherCase;
    return confirm ? Confirmed(kind, found) : NameLookup{kind, found, {}, {}};
}

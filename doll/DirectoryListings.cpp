#include "DirectoryListings.h"

#include "platform/Names.h"

#include "platform/File.h"

#include <algorithm>
#include <set>

namespace {

// The same as NameLowerCase(entry) == lowered (AsciiLowerCase without shiftJis), without
// building the lowered copy.
bool LowersTo(const std::string& entry, const std::string& lowered, bool shiftJis = true)
{
    if (entry.size() != lowered.size()) return false;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        const char c = entry[i];
        if (shiftJis && IsShiftJisLead(c) && i + 1 < entry.size()) { // a whole character
            if (c != lowered[i] || entry[i + 1] != lowered[i + 1]) return false;
            ++i;
            continue;
        }
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lowered[i])
            return false;
    }
    return true;
}

// The folder's identity, whatever the spelling (links, "." parts); "" is the current folder.
std::optional<platform::FileIdentity> FolderIdentity(const std::string& folder)
{
    return platform::IdentityOf(folder.empty() ? "." : folder);
}

bool IsAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

DirectoryListings::DirectoryListings(std::string outputDirectory)
    : outputDirectory_(std::move(outputDirectory))
{
}

DirectoryListings::Listing& DirectoryListings::ListingOf(const std::string& folder)
{
    auto at = listings_.find(folder);
    if (at == listings_.end()) {
        Listing listing;
        listing.names = platform::ListDirectory(folder);
        listing.identity = FolderIdentity(folder);
        listing.isOutput = outputDirectory_ && listing.identity &&
                           listing.identity == FolderIdentity(*outputDirectory_);
        at = listings_.emplace(folder, std::move(listing)).first;
    }
    return at->second;
}

std::vector<std::string> DirectoryListings::Matching(const std::string& folder,
                                                     const std::string& lowered, bool shiftJis)
{
    Listing& listing = ListingOf(folder);
    std::vector<std::string> matches;
    if (!shiftJis) {
        for (const std::string& name : listing.names)
            if (LowersTo(name, lowered, false)) matches.push_back(name);
        return matches;
    }
    // Looked up by the lowered name: a folder of n names is not read through for each of n cels.
    if (!listing.indexed) {
        for (std::size_t i = 0; i < listing.names.size(); ++i)
            listing.byLowered.emplace(NameLowerCase(listing.names[i]), i);
        listing.indexed = true;
    }
    const auto [from, to] = listing.byLowered.equal_range(lowered);
    std::vector<std::size_t> places;
    for (auto at = from; at != to; ++at)
        places.push_back(at->second);
    std::sort(places.begin(), places.end()); // in the listing's order
    for (const std::size_t place : places)
        matches.push_back(listing.names[place]);
    return matches;
}

bool DirectoryListings::FindsUnlisted(const std::string& folder)
{
    Listing& listing = ListingOf(folder);
    if (listing.findsUnlisted) return *listing.findsUnlisted;
    listing.findsUnlisted = true; // until a name tells: no letter to turn, no listing
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    for (const std::string& name : listing.names) {
        const auto letter = std::find_if(name.begin(), name.end(), isLetter);
        if (!IsAscii(name) || letter == name.end()) continue;
        std::string other = name;
        other[static_cast<std::size_t>(letter - name.begin())] ^= 0x20; // the other case
        if (std::find(listing.names.begin(), listing.names.end(), other) != listing.names.end())
            continue; // both spellings are there: this pair tells nothing
        listing.findsUnlisted = platform::NameExists(folder + other);
        break;
    }
    return *listing.findsUnlisted;
}

void DirectoryListings::Written(const std::string& relativeName,
                                const std::vector<platform::FileIdentity>& chain)
{
    if (!outputDirectory_ || listings_.empty()) return;
    if (!chain.empty()) {
        // Folders may have been made on the way: forget every folder on it, however spelt. Each is
        // looked at once, so a deep name costs its depth, not its depth times the kept listings.
        const std::set<platform::FileIdentity> onTheWay(chain.begin(), chain.end());
        for (auto at = listings_.begin(); at != listings_.end();) {
            // A folder that was not there when it was listed may be one of those just made.
            const auto identity =
                at->second.identity ? at->second.identity : FolderIdentity(at->first);
            const bool forget = at->second.isOutput || (identity && onTheWay.count(*identity));
            changes_ += forget;
            at = forget ? listings_.erase(at) : std::next(at);
        }
        return;
    }

    const std::string name = FileNameComponents(relativeName).back();
    const std::string lowered = NameLowerCase(name);
    for (auto at = listings_.begin(); at != listings_.end();) {
        std::vector<std::string>& names = at->second.names;
        bool forget = false;
        if (at->second.isOutput && std::find(names.begin(), names.end(), name) == names.end()) {
            // A folder blind to case may have replaced a name that differs in case only, and
            // another may store a non-ASCII name otherwise than written: read it again then.
            forget = !IsAscii(name) ||
                     std::any_of(names.begin(), names.end(),
                                 [&](const std::string& n) { return LowersTo(n, lowered); });
            if (!forget) {
                names.push_back(name);
                if (at->second.indexed) at->second.byLowered.emplace(lowered, names.size() - 1);
            }
            ++changes_;
        }
        at = forget ? listings_.erase(at) : std::next(at);
    }
}

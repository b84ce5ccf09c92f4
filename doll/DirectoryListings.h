#pragma once

#include "platform/File.h"

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The names in folders, each folder read once, for the case-blind lookup of many names: reading
// a folder of n names for each of n cels would cost n x n. A conversion run tells it of every
// file it writes into its output folder, so a kept listing always holds what reading the folder
// again would give while the run is the folder's only writer.
class DirectoryListings {
public:
    // For lookups while nothing writes: every listing is kept.
    DirectoryListings() = default;
    explicit DirectoryListings(std::string outputDirectory);

    // The names in the folder ("" is the current folder) that equal lowered once their ASCII
    // letters are lowered: outside Shift-JIS double-byte characters, or byte by byte.
    std::vector<std::string> Matching(const std::string& folder, const std::string& lowered,
                                      bool shiftJis = true);
    // Whether the system may find in the folder a name its listing does not hold as written: a
    // folder blind to case, or one where that cannot be told. Learnt once for each listing, by
    // asking for one of its names in another case.
    bool FindsUnlisted(const std::string& folder);
    // The run wrote the file relativeName (folder parts allowed) inside the output folder, into
    // the subfolders whose identities are chain, outermost first (none: the output folder).
    void Written(const std::string& relativeName,
                 const std::vector<platform::FileIdentity>& chain = {});
    // How many times Written changed a kept listing: a name looked up before may be found
    // otherwise after.
    unsigned Changes() const { return changes_; }

private:
    struct Listing {
        std::vector<std::string> names;
        bool isOutput = false; // the folder is the output folder, however spelt
        std::optional<platform::FileIdentity> identity; // tells the folder however it is spelt
        std::optional<bool> findsUnlisted;              // once asked
        // Each name's place by its NameLowerCase, made at the first case-blind match.
        std::unordered_multimap<std::string, std::size_t> byLowered;
        bool indexed = false;
    };
    Listing& ListingOf(const std::string& folder);

    std::optional<std::string> outputDirectory_;
    std::map<std::string, Listing> listings_;
    unsigned changes_ = 0;
};

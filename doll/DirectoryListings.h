#pragma once

#include "platform/File.h"

#include <map>
#include <optional>
#include <string>
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
    // The run wrote the file relativeName (folder parts allowed) inside the output folder, into
    // the subfolders whose identities are chain, outermost first (none: the output folder).
    void Written(const std::string& relativeName,
                 const std::vector<platform::FileIdentity>& chain = {});

private:
    struct Listing {
        std::vector<std::string> names;
        bool isOutput = false; // the folder is the output folder, however spelt
        std::optional<platform::FileIdentity> identity; // tells the folder however it is spelt
    };

    std::optional<std::string> outputDirectory_;
    std::map<std::string, Listing> listings_;
};

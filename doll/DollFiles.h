#pragma once

#include "CelPaths.h"

#include "platform/File.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class MemoryStream;

inline constexpr int kMaxFolderDepth = 32;

// The files of a doll: its configuration, and the cels and palettes that configuration names,
// read from the configuration's folder or from the archive (.lzh, .zip) that holds them. The
// side is chosen once from the path the user gave: a configuration file, an archive, or
// ARCHIVE/MEMBER for a configuration inside an archive.
class DollFiles {
public:
    virtual ~DollFiles() = default;

    // An archive's configuration files by member name (none for a folder), and the choice of one
    // (case-blind; false when there is no such member). An archive opened without a member uses
    // its only configuration; with several and none chosen, or none at all, opening the
    // configuration fails.
    virtual std::vector<std::string> Configurations() const { return {}; }
    virtual bool SelectConfiguration(const std::string&) { return false; }
    // Fails, naming them, when the archive holds several configurations and none was chosen, and
    // when it holds none.
    virtual void RequireOneConfiguration() const {}
    // The configuration as a path: for the report's name and for messages.
    virtual std::string ConfigurationPath() const = 0;
    // The configuration's bytes when it is an archive's member, which fails as opening a missing
    // file does when the archive has no such member; nullptr for a file on disk, which is read
    // from ConfigurationPath().
    virtual const std::string* ConfigurationBytes() { return nullptr; }
    // Loads the file a configuration line names (case-blind) into stream, its first `most` bytes
    // at most; a file that cannot be had fails with the stream's open message naming it.
    virtual void Load(const std::string& name, MemoryStream& stream,
                      std::int64_t most = INT64_MAX) = 0;
    // The path of the file on disk the run reads for a name ("" for the configuration), which no
    // output may replace: as found now, before the run writes anything; nothing where no file is
    // found. Its identity is for the caller to ask when an output would replace a file.
    virtual std::optional<std::string> InputPath(const std::string& name) = 0;
    // How a configuration line's name is found (for the check), with the file's path.
    virtual NameLookup LookUp(const std::string& name) = 0;
    // The paths of the doll's files, as LookUp gives them: every member of an archive; of a folder,
    // with Reach::Beside the files beside the configuration alone (the folder may be one the doll
    // was unpacked into among the user's own files), with Reach::Below those in its subfolders
    // too, down to kMaxFolderDepth below it. A folder's walk lists kMaxMembers entries at most, in
    // memory and time linear in what it lists; each limit it meets adds a line to notes, once.
    enum class Reach { Beside, Below };
    virtual std::vector<std::string> Files(Reach reach, std::vector<std::string>& notes) = 0;
    // The run wrote relativeName into its output folder (through the subfolders chain).
    virtual void Written(const std::string& relativeName,
                         const std::vector<platform::FileIdentity>& chain) = 0;
};

// The regular files in folder and in its subfolders down to depth below it (0: none), as paths
// relative to it, listing `most` entries at most, in memory and time linear in what it lists;
// links to folders are not followed. Each limit met adds a line to notes, once.
std::vector<std::string> FilesInFolder(const std::string& folder, int depth, std::size_t most,
                                       std::vector<std::string>& notes);

// True when the path names an archive by its extension (.lzh or .zip, in any case).
bool IsArchiveName(const std::string& path);
// The doll at path; outputDirectory is where the run writes (a folder doll's lookups must know).
// An archive is read and checked whole here: a damaged one fails before anything is written.
std::unique_ptr<DollFiles> OpenDoll(const std::string& path, const std::string& outputDirectory);

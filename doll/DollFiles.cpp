#include "DollFiles.h"

#include "CelPaths.h"
#include "DirectoryListings.h"
#include "platform/InOutError.h"
#include "platform/Names.h"

#include "archives/Archive.h"
#include "imaging/MemoryStream.h"
#include "imaging/StreamErrors.h"
#include "platform/Folder.h"
#include "platform/ShiftJis.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <unordered_map>

namespace {

bool IsFile(const std::string& path)
{
    return platform::Exists(path) && !platform::IsDirectory(path);
}

// A doll in a folder: names are looked up case-blind from the configuration's folder, and a file
// is read only when it lies inside that folder once links are resolved. Each name is looked up
// once, and a small file (a palette) read once, until the run writes where a lookup may have
// gone otherwise.
class FolderDoll : public DollFiles {
public:
    FolderDoll(std::string configurationPath, const std::string& outputDirectory)
        : path_(std::move(configurationPath)), folder_(DirectoryOf(path_)),
          listings_(outputDirectory)
    {
    }
    std::string ConfigurationPath() const override { return path_; }
    void Load(const std::string& name, MemoryStream& stream, std::int64_t most) override
    {
        const NameLookup& found = Find(name);
        if (found.kind == NameLookup::Ambiguous) // as no file under the name as written
            throw EFileOpenError(folder_ + NativeName(name), "several files match it but for case");
        if (const auto kept = kept_.find(name); kept != kept_.end()) {
            const auto size = std::min(static_cast<std::int64_t>(kept->second.size()), most);
            stream.SetSizeUnfilled(size);
            if (size > 0)
                std::memcpy(stream.Data(), kept->second.data(), static_cast<std::size_t>(size));
            return;
        }
        if (!dollFolder_) // once the configuration has been read
            dollFolder_ = platform::Folder::Open(folder_.empty() ? "." : folder_);
        // The system keeps the path inside the folder as it opens the file; where it cannot,
        // the file opened by its path must lie inside the folder's resolved path.
        platform::File file = platform::File::OpenForReadingBeneath(
            dollFolder_->Handle(), found.path.substr(folder_.size()));
        if (file.IsOpen()) {
            stream.LoadFromFile(file, found.path, most);
        } else {
            if (!resolvedFolder_)
                resolvedFolder_ =
                    platform::ResolvedPath(folder_.empty() ? "." : folder_).value_or("");
            stream.LoadFromFile(found.path, &*resolvedFolder_, most);
        }
        if (most == INT64_MAX && stream.Size() <= kKeptSize)
            kept_[name].assign(stream.Data(), stream.Data() + stream.Size());
    }
    std::optional<std::string> InputPath(const std::string& name) override
    {
        if (name.empty()) return path_;
        const NameLookup& found = Find(name);
        const bool there =
            found.kind == NameLookup::AsWritten || found.kind == NameLookup::OtherCase;
        return there ? std::optional(found.path) : std::nullopt;
    }
    NameLookup LookUp(const std::string& name) override
    {
        return LookUpInDirectory(folder_, name, listings_);
    }
    std::vector<std::string> Files(Reach reach, std::vector<std::string>& notes) override
    {
        std::vector<std::string> files =
            FilesInFolder(folder_.empty() ? "." : folder_,
                          reach == Reach::Below ? kMaxFolderDepth : 0, kMaxMembers, notes);
        for (std::string& file : files)
            file.insert(0, folder_);
        return files;
    }
    void Written(const std::string& relativeName,
                 const std::vector<platform::FileIdentity>& chain) override
    {
        listings_.Written(relativeName, chain);
    }

private:
    static constexpr std::int64_t kKeptSize = 4096; // a palette's few hundred bytes

    // The lookup of a name, kept until a write changes a listing it may have used.
    const NameLookup& Find(const std::string& name)
    {
        if (listings_.Changes() != changes_) {
            found_.clear();
            kept_.clear();
            changes_ = listings_.Changes();
        }
        auto at = found_.find(name);
        if (at == found_.end()) // opening the file tells whether it is there
            at = found_.emplace(name, LookUpInDirectory(folder_, name, listings_, false)).first;
        return at->second;
    }

    std::string path_, folder_;
    DirectoryListings listings_;
    unsigned changes_ = 0;
    std::unordered_map<std::string, NameLookup> found_;
    std::unordered_map<std::string, std::vector<std::uint8_t>> kept_; // small files' bytes, by name
    std::optional<platform::Folder> dollFolder_;
    std::optional<std::string> resolvedFolder_;
};

std::vector<ArchiveMember> ReadArchive(const std::string& path)
{
    platform::File file = platform::File::OpenForReading(path);
    if (!file.IsOpen()) throw EInOutError::FromSystemError(platform::LastError(), path);
    const std::int64_t size = file.Size();
    const std::string unreadable = FormatMessage("書庫 %s を読めません", path);
    if (size < 0) throw EArchiveError(unreadable, platform::ErrorText(platform::LastError(), path));
    if (static_cast<std::uint64_t>(size) > kMaxArchiveSize)
        throw EArchiveError(unreadable, "the archive is larger than 1 GiB");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const std::ptrdiff_t got = file.Read(bytes.data(), bytes.size());
    if (got != static_cast<std::ptrdiff_t>(bytes.size()))
        throw EArchiveError(unreadable, got < 0 ? platform::ErrorText(platform::LastError(), path)
                                                : "the archive is shorter than it was when opened");
    return EndsWithCaseBlind(path, ".zip") ? ReadZip(bytes, path) : ReadLzh(bytes, path);
}

std::vector<std::string> ConfigurationsOf(const std::vector<ArchiveMember>& members)
{
    std::vector<std::string> names;
    for (const ArchiveMember& m : members)
        if (EndsWithCaseBlind(m.name, ".cnf")) names.push_back(m.name);
    return names;
}

// A doll in an archive, read whole into memory: names are matched against the members' names
// case-blind, from the configuration's folder inside the archive. Nothing is read from disk.
class ArchiveDoll : public DollFiles {
public:
    ArchiveDoll(std::string archivePath, std::string member)
        : archivePath_(std::move(archivePath)), members_(ReadArchive(archivePath_)),
          member_(std::move(member))
    {
        const std::vector<std::string> names = ConfigurationsOf(members_);
        if (member_.empty() && names.size() == 1) SelectConfiguration(names[0]);
        if (!member_.empty()) SelectConfiguration(member_);
    }
    std::vector<std::string> Configurations() const override { return ConfigurationsOf(members_); }
    bool SelectConfiguration(const std::string& name) override
    {
        const ArchiveMember* m = Find(name, "");
        member_ = m ? m->name : name;
        base_.clear();
        const std::vector<std::string> parts = NameComponents(member_);
        for (std::size_t i = 0; i + 1 < parts.size(); ++i)
            base_ += parts[i] + '/';
        return m != nullptr;
    }
    std::string ConfigurationPath() const override
    {
        return archivePath_ + platform::kSeparator + NativeName(member_);
    }
    void RequireOneConfiguration() const override
    {
        const std::vector<std::string> names = Configurations();
        if (!member_.empty() || names.size() == 1) return;
        if (names.empty())
            throw Exception("書庫 " + archivePath_ + " には構成ﾌｧｲﾙがありません",
                            "the archive '" + archivePath_ + "' holds no configuration");
        std::string list;
        for (const std::string& n : names)
            list += (list.empty() ? "" : ", ") + n;
        throw Exception("書庫 " + archivePath_ + " には構成ﾌｧｲﾙが複数あります (" + list + ")",
                        "the archive '" + archivePath_ + "' holds several configurations (" + list +
                            "); choose one");
    }
    const std::string* ConfigurationBytes() override
    {
        RequireOneConfiguration();
        const ArchiveMember* m = Find(member_, "");
        if (!m) // as the system says it
            throw EInOutError("ﾌｧｲﾙが見つかりません", 2, "the archive has no such member");
        return &m->data;
    }
    void Load(const std::string& name, MemoryStream& stream, std::int64_t most) override
    {
        NameLookup how;
        const ArchiveMember* m = Find(name, base_, &how);
        if (!m)
            throw EFileOpenError(DirectoryOf(ConfigurationPath()) + NativeName(name),
                                 how.kind == NameLookup::Ambiguous
                                     ? "several members of the archive match it but for case"
                                     : "the archive has no such member");
        const auto size = std::min(static_cast<std::int64_t>(m->data.size()), most);
        stream.SetSize(size);
        if (size > 0) std::memcpy(stream.Data(), m->data.data(), static_cast<std::size_t>(size));
    }
    std::optional<std::string> InputPath(const std::string&) override // the archive itself
    {
        return archivePath_;
    }
    NameLookup LookUp(const std::string& name) override
    {
        NameLookup found;
        const ArchiveMember* m = Find(name, base_, &found);
        found.path = Shown(m ? m->name : base_ + NativeName(name));
        return found;
    }
    std::vector<std::string> Files(Reach, std::vector<std::string>&) override
    {
        std::vector<std::string> files;
        for (const ArchiveMember& m : members_)
            files.push_back(Shown(m.name));
        return files;
    }
    void Written(const std::string&, const std::vector<platform::FileIdentity>&) override {}

private:
    std::string Shown(const std::string& member) const
    {
        return archivePath_ + platform::kSeparator + NativeName(member);
    }

    // The member a name stands for: as written, else the one member that matches it without
    // regard to case (also in its UTF-8 spelling). A name with ".." is never matched.
    const ArchiveMember* Find(const std::string& name, const std::string& base,
                              NameLookup* how = nullptr) const
    {
        NameLookup ignored;
        NameLookup& result = how ? *how : ignored;
        result.kind = NameLookup::Missing;
        std::string wanted = base;
        const std::vector<std::string> parts = NameComponents(name);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i] == "..") return nullptr;
            wanted += parts[i] + (i + 1 < parts.size() ? "/" : "");
        }
        if (name.empty()) return nullptr;
        const ArchiveMember* found = nullptr;
        const std::string lowered = NameLowerCase(wanted);
        const auto utf8 = platform::ShiftJisToUtf8(wanted);
        for (const ArchiveMember& m : members_) {
            if (m.name == wanted) {
                result.kind = NameLookup::AsWritten;
                return &m;
            }
            if (NameLowerCase(m.name) == lowered ||
                (utf8 && *utf8 != wanted && AsciiLowerCase(m.name) == AsciiLowerCase(*utf8))) {
                found = &m;
                result.candidates.push_back(Shown(m.name));
            }
        }
        if (result.candidates.size() == 1) result.kind = NameLookup::OtherCase;
        if (result.candidates.size() > 1) result.kind = NameLookup::Ambiguous;
        return result.candidates.size() == 1 ? found : nullptr;
    }

    std::string archivePath_;
    std::vector<ArchiveMember> members_;
    std::string member_, base_;
};

} // namespace

std::vector<std::string> FilesInFolder(const std::string& folder, int depth, std::size_t most,
                                       std::vector<std::string>& notes)
{
    namespace fs = std::filesystem;
    // The folders met, each by its name and the index of its parent: a path is made only to enter
    // its folder, so nothing kept grows with the depth.
    struct Met {
        fs::path name;
        std::size_t parent;
        int depth;
    };
    std::vector<Met> folders = {{folder, 0, 0}};
    std::vector<std::string> files;
    std::size_t listed = 0;
    bool tooDeep = false, tooMany = false;
    for (std::size_t next = 0; next < folders.size() && !tooMany; ++next) {
        std::vector<const fs::path*> names;
        for (std::size_t at = next; at != 0; at = folders[at].parent)
            names.push_back(&folders[at].name);
        fs::path relative;
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            relative /= **name;
        std::error_code error;
        for (auto at = fs::directory_iterator(folders[0].name / relative,
                                              fs::directory_options::skip_permission_denied, error);
             !error && at != fs::directory_iterator(); at.increment(error)) {
            if (++listed > most) {
                tooMany = true;
                break;
            }
            std::error_code ignored;
            if (at->is_symlink(ignored) || !at->is_directory(ignored)) {
                if (at->is_regular_file(ignored))
                    files.push_back((relative / at->path().filename()).string());
            } else if (folders[next].depth < depth) {
                folders.push_back({at->path().filename(), next, folders[next].depth + 1});
            } else {
                tooDeep = depth > 0;
            }
        }
    }
    if (tooDeep)
        notes.push_back("not looked at: the folders more than " + std::to_string(depth) +
                        " below the configuration's");
    if (tooMany)
        notes.push_back("not looked at: the entries of the doll's folder past the first " +
                        std::to_string(most));
    return files;
}

bool IsArchiveName(const std::string& path)
{
    return EndsWithCaseBlind(path, ".lzh") || EndsWithCaseBlind(path, ".zip");
}

std::unique_ptr<DollFiles> OpenDoll(const std::string& path, const std::string& outputDirectory)
{
    return Doing("cannot open '" + path + "'", [&]() -> std::unique_ptr<DollFiles> {
        if (IsArchiveName(path) && IsFile(path)) return std::make_unique<ArchiveDoll>(path, "");
        // ARCHIVE/MEMBER: the first part of the path that is an archive file holds the rest.
        for (std::size_t i = 0; i < path.size(); ++i) {
            if (!IsDirectorySeparator(path[i])) continue;
            const std::string archive = path.substr(0, i);
            if (IsArchiveName(archive) && IsFile(archive))
                return std::make_unique<ArchiveDoll>(archive, path.substr(i + 1));
        }
        // A path of this system, as given when a file is there; else, where "\" separates no
        // folders, each "\" that ends no Shift-JIS character does, as DOS wrote paths.
        const bool asGiven = platform::kSeparator == '\\' || platform::Exists(path);
        return std::make_unique<FolderDoll>(asGiven ? path : NativeName(path), outputDirectory);
    });
}

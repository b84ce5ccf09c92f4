#pragma once

#include "File.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Writing files safely into a folder: names are reached from the open folder, never through a
// link, and a file is written under a temporary name and renamed over its final name when whole.
namespace platform {

// What a name in a folder holds, looked at once before a new file replaces it.
struct FinalName {
    // The file there, links followed; none when nothing is, or a link leads nowhere.
    std::optional<FileIdentity> identity;
    // 0 when a new file may replace what is there (nothing, a regular file, a link); else the
    // error a replacing fails with: a folder is never replaced, a FIFO or device never opened.
    int refusal = 0;
};

// An open folder.
class Folder {
public:
    Folder() = default;

    // The folder a path names; the path may pass through links (it is the user's choice).
    static Folder Open(const std::string& path);
    // The subfolder name, created when missing. A link, or anything else that is not a folder,
    // under that name fails (not open, LastError set): nothing is followed out of this folder.
    Folder Enter(const std::string& name) const;

    bool IsOpen() const { return handle_ && handle_->IsValid(); }
    std::optional<FileIdentity> Identity() const;
    // What name holds now, a link not followed but for the identity of what it leads to.
    FinalName LookAt(const std::string& name) const;
    const std::string& Path() const { return path_; }
    std::intptr_t Handle() const { return handle_ ? handle_->Get() : SystemHandle::kInvalid; }

private:
    friend class ReplacingFile;
    // Shared with the files being replaced in it, which rename and remove through it.
    std::shared_ptr<SystemHandle> handle_;
    std::string path_;
};

// The folder a path names, made with its missing parents when it is not there (made tells). The
// part that exists is the user's and may pass through links; nothing made is reached through one.
Folder MakeFolders(const std::string& path, bool& made);

// A new file written under a temporary name in a folder and renamed over its final name by
// Commit. A link or hard link under the final name is replaced, not written through; a reader
// never sees a cut file under the final name; a failed write leaves the previous file whole.
// Until Commit the temporary file is removed by Discard, by the destructor, and by
// RemovePendingFiles (on a signal).
class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(ReplacingFile&& other) noexcept = default;
    ReplacingFile& operator=(ReplacingFile&& other) noexcept;
    ~ReplacingFile() { Discard(); }

    // Fails (not open, LastError set) when the folder refuses a new file, or at once, without
    // opening it, when the final name holds something that is neither a regular file nor a
    // link: a folder gives the system's "is a directory" error, a FIFO or device "access denied".
    static ReplacingFile Create(const Folder& folder, const std::string& name);
    // The same for a caller that has looked at the final name (Folder::LookAt) to know what the
    // file replaces: the name is not looked at again.
    static ReplacingFile Create(const Folder& folder, const std::string& name,
                                const FinalName& looked);

    bool IsOpen() const { return file_.IsOpen(); }
    File& Output() { return file_; }
    // Closes the file and renames it over its final name; false when either failed (the
    // temporary file is removed then, LastError tells why).
    bool Commit();
    // Closes and removes the temporary file; the final name keeps what it held.
    void Discard();

private:
    File file_;
    // The folder's own handle, kept open for the rename: none once discarded.
    std::shared_ptr<const SystemHandle> folder_;
    std::string folderPath_;
    std::string name_;
    int slot_ = -1; // in the table of pending files
    std::string temporary_;
};

// Removes every temporary file not yet committed or discarded, and closes the table: a later
// Create fails, so that no file is made after the clean-up of a signal. Safe in a signal handler.
void RemovePendingFiles();
// On SIGINT, SIGTERM and SIGHUP (Ctrl-C and Ctrl-Break on Windows): removes the pending
// temporary files and ends the process with 128 + the signal's number, at once, or where a file
// and the table of pending files are changing together, as soon as that change is done.
void ExitCleanlyOnSignals();

} // namespace platform

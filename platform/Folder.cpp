#include "Folder.h"
#include "FolderSystem.h"
#include "Hex.h"

#include <atomic>
#include <utility>
#include <vector>

// The parts of the safe writing that are the same on every system.
namespace platform {

namespace sys = folder_system;

namespace {

// The temporary files not yet committed or discarded, for removal on a signal: a slot is taken
// while its file is made, and held once the system has noted where the file is.
constexpr int kFree = 0, kTaken = 1, kHeld = 2;
std::atomic<int> gPending[sys::kPendingSlots];
std::atomic<unsigned> gCounter{0};

} // namespace

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept
{
    if (this != &other) {
        Discard();
        file_ = std::move(other.file_);
        folder_ = std::move(other.folder_);
        folderPath_ = std::move(other.folderPath_);
        name_ = std::move(other.name_);
        slot_ = std::exchange(other.slot_, -1);
        temporary_ = std::move(other.temporary_);
    }
    return *this;
}

ReplacingFile ReplacingFile::Create(const Folder& folder, const std::string& name)
{
    FinalName looked;
    if (folder.IsOpen() && sys::IsOneName(name) && !sys::Replaceable(folder, name))
        looked.refusal = LastError();
    return Create(folder, name, looked);
}

ReplacingFile ReplacingFile::Create(const Folder& folder, const std::string& name,
                                    const FinalName& looked)
{
    ReplacingFile file;
    if (!folder.IsOpen() || !sys::IsOneName(name)) {
        sys::SetError(sys::kNoSuchName);
        return file;
    }
    if (looked.refusal != 0) {
        sys::SetError(looked.refusal);
        return file;
    }

    const sys::SignalsHeld held;
    int slot = 0;
    for (int expected = kFree; slot < sys::kPendingSlots; ++slot, expected = kFree)
        if (gPending[slot].compare_exchange_strong(expected, kTaken)) break;
    // Created exclusively: an existing name (a link planted there among them) is never opened.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary =
            ".kiss-" + Hex(sys::ProcessId(), 8) + "-" + Hex(gCounter++, 8) + ".tmp";
        const std::intptr_t handle = sys::CreateNew(folder.Handle(), folder.Path(), temporary);
        if (handle != -1) {
            file.file_ = File(handle);
            file.folder_ = folder.handle_; // the folder stays open while the file is pending
            file.folderPath_ = folder.Path();
            file.name_ = name;
            file.temporary_ = temporary;
            if (slot < sys::kPendingSlots) { // a full table only loses the clean-up on a signal
                const bool noted =
                    sys::NotePending(slot, folder.Handle(), folder.Path(), temporary);
                gPending[slot].store(noted ? kHeld : kFree);
                if (noted) file.slot_ = slot;
            }
            return file;
        }
        if (LastError() != sys::kNameTaken) break;
    }
    const int error = LastError();
    if (slot < sys::kPendingSlots) gPending[slot].store(kFree);
    sys::SetError(error);
    return file;
}

bool ReplacingFile::Commit()
{
    if (!IsOpen()) {
        sys::SetError(sys::kNotOpen);
        return false;
    }
    bool done = file_.Close();
    int error = LastError();
    if (done) {
        const sys::SignalsHeld held;
        done = sys::RenameOver(folder_->Get(), folderPath_, temporary_, name_);
        error = LastError();
        if (done) temporary_.clear();
    }
    Discard();
    sys::SetError(error);
    return done;
}

void ReplacingFile::Discard()
{
    if (!folder_) return;
    file_.Close();
    {
        const sys::SignalsHeld held;
        if (!temporary_.empty()) sys::Remove(folder_->Get(), folderPath_, temporary_);
        if (slot_ >= 0) gPending[slot_].store(kFree);
    }
    folder_.reset(); // once no slot names it: a signal's clean-up never uses a closed handle
    slot_ = -1;
    temporary_.clear();
}

Folder MakeFolders(const std::string& path, bool& made)
{
    const auto isSeparator = [](char c) { return c == '/' || c == kSeparator; };
    std::string existing = path;
    std::vector<std::string> missing; // last first
    while (existing.size() > 1 && isSeparator(existing.back()))
        existing.pop_back();
    while (!existing.empty() && !Exists(existing)) {
        std::size_t cut = existing.size();
        while (cut > 0 && !isSeparator(existing[cut - 1]))
            --cut;
        missing.push_back(existing.substr(cut));
        existing.resize(cut);
        while (existing.size() > 1 && isSeparator(existing.back()))
            existing.pop_back();
    }
    made = false;
    Folder folder = Folder::Open(existing.empty() ? "." : existing);
    for (auto name = missing.rbegin(); name != missing.rend() && folder.IsOpen(); ++name) {
        if (*name == "." || *name == "..") { // no such folder to make
            sys::SetError(sys::kNoSuchName);
            return Folder();
        }
        folder = folder.Enter(*name);
        made = true;
    }
    return folder;
}

void RemovePendingFiles()
{
    for (int slot = 0; slot < sys::kPendingSlots; ++slot)
        if (gPending[slot].load() == kHeld) sys::RemovePending(slot);
}

} // namespace platform

#include "Folder.h"
#include "FolderSystem.h"
#include "Hex.h"

#include <atomic>
#include <chrono>
#include <thread>
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
// Set once the clean-up has begun: no file is created after it, which it could not remove.
std::atomic<bool> gClosed{false};

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

    // Each attempt's file is made and noted in the table with signals held. A clean-up that has
    // begun closed the table and waits for a slot taken, maybe having stopped another thread
    // inside the allocator: nothing here allocates while the slot is taken.
    const sys::SignalsHeld held;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary =
            ".kiss-" + Hex(sys::ProcessId(), 8) + "-" + Hex(gCounter++, 8) + ".tmp";
        int slot = 0;
        for (int expected = kFree; slot < sys::kPendingSlots; ++slot, expected = kFree)
            if (gPending[slot].compare_exchange_strong(expected, kTaken)) break;
        // A full table only loses the clean-up on a signal.
        const bool inTable = slot < sys::kPendingSlots;
        std::intptr_t handle = -1;
        if (!gClosed.load()) // created exclusively: an existing name (a planted link) never opened
            handle = sys::CreateNew(folder.Handle(), folder.Path(), temporary);
        else
            sys::SetError(sys::kNotOpen);
        const int error = LastError();
        const bool noted = handle != -1 && inTable &&
                           sys::NotePending(slot, folder.Handle(), folder.Path(), temporary);
        if (inTable) gPending[slot].store(noted ? kHeld : kFree);
        if (handle != -1) {
            file.file_ = File(handle);
            file.folder_ = folder.handle_; // the folder stays open while the file is pending
            file.folderPath_ = folder.Path();
            file.name_ = name;
            file.temporary_ = temporary;
            file.slot_ = noted ? slot : -1;
            return file;
        }
        sys::SetError(error);
        if (error != sys::kNameTaken) break;
    }
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
    // Closed first, then each file being made is waited for (a second at most): none is made
    // after this, and none is missed half made.
    gClosed.store(true);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    const auto anyTaken = [] {
        for (const std::atomic<int>& slot : gPending)
            if (slot.load() == kTaken) return true;
        return false;
    };
    while (anyTaken() && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    for (int slot = 0; slot < sys::kPendingSlots; ++slot)
        if (gPending[slot].load() == kHeld) sys::RemovePending(slot);
}

} // namespace platform

#pragma once

#include "Folder.h"

#include <cstdint>
#include <string>

// What the safe writing of Folder.cpp asks of each system (Folder_posix.cpp, Folder_win32.cpp).
// Internal to platform/. A file in a folder is given as the folder's handle and its path: each
// system names it through the one it can.
namespace platform::folder_system {

// Error numbers: a name that is not one name in the folder, a ReplacingFile not open, and a
// temporary name already taken.
extern const int kNoSuchName, kNotOpen, kNameTaken;
void SetError(int error); // what LastError() gives next
unsigned ProcessId();     // asked of the system once

// Not empty, and no separator or NUL: a name in the folder itself.
bool IsOneName(const std::string& name);
// False (LastError set) when the final name holds what is never replaced, such as a folder.
bool Replaceable(const Folder& folder, const std::string& name);
// A new file under name, open for writing; never an existing name, nor a link's target. -1 on
// failure (kNameTaken when the name exists).
std::intptr_t CreateNew(std::intptr_t folder, const std::string& path, const std::string& name);
bool RenameOver(std::intptr_t folder, const std::string& path, const std::string& from,
                const std::string& to);
void Remove(std::intptr_t folder, const std::string& path, const std::string& name);

// The pending table's slots keep, without allocating, where their temporary file is: NotePending
// is false when it does not fit, RemovePending removes the file and is async-signal-safe.
inline constexpr int kPendingSlots = 16;
bool NotePending(int slot, std::intptr_t folder, const std::string& path, const std::string& name);
void RemovePending(int slot);

// Held while the pending table and the files change together, so that a signal's clean-up never
// sees half a change: a signal that comes meanwhile is acted on when the last one held goes.
// Nothing but a counter in memory, no system call (and nothing to hold where the handler runs
// on a thread of its own).
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;
};

} // namespace platform::folder_system

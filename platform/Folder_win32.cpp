#include "Folder.h"
#include "SystemPath_win32.h"

#include <atomic>
#include <cwchar>
#include <iterator>
#include <utility>
#include <windows.h>

namespace platform {

namespace {

constexpr int kFree = 0, kTaken = 1, kHeld = 2;

// The temporary files not yet committed or discarded, for removal by the console's control
// handler: each slot holds a whole path that fits without allocating.
struct Pending {
    std::atomic<int> state{kFree};
    wchar_t path[1024] = {};
};
Pending gPending[16];
std::atomic<unsigned> gCounter{0};

bool IsOneName(const std::string& name)
{
    return !name.empty() && name.find_first_of("/\\:") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string Hex(unsigned value)
{
    char text[9];
    for (int i = 7; i >= 0; --i, value >>= 4)
        text[i] = "0123456789abcdef"[value & 15];
    text[8] = 0;
    return text;
}

// A folder that is no reparse point (a link or a junction would lead elsewhere).
bool IsPlainFolder(const std::string& path)
{
    const DWORD a = ::GetFileAttributesW(SystemPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

HANDLE OpenFolderHandle(const std::string& path)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    return ::CreateFileW(SystemPath(path).c_str(), 0, share, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

void Folder::Close(std::intptr_t handle)
{
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

Folder Folder::Open(const std::string& path)
{
    Folder folder;
    if (path.empty() || path.find('\0') != std::string::npos) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return folder;
    }
    const HANDLE h = OpenFolderHandle(path);
    if (h == INVALID_HANDLE_VALUE) {
        // A missing folder is a missing path to every file written in it, as on other systems.
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) ::SetLastError(ERROR_PATH_NOT_FOUND);
        return folder;
    }
    folder.handle_ = reinterpret_cast<std::intptr_t>(h);
    folder.path_ = path;
    return folder;
}

Folder Folder::Enter(const std::string& name) const
{
    Folder sub;
    if (!IsOpen() || !IsOneName(name)) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return sub;
    }
    const std::string path = path_ + '\\' + name;
    ::CreateDirectoryW(SystemPath(path).c_str(), nullptr);
    if (!IsPlainFolder(path)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return sub;
    }
    const HANDLE h = OpenFolderHandle(path);
    if (h == INVALID_HANDLE_VALUE) return sub;
    sub.handle_ = reinterpret_cast<std::intptr_t>(h);
    sub.path_ = path;
    return sub;
}

std::optional<FileIdentity> Folder::Identity() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsOpen() || !::GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

ReplacingFile ReplacingFile::Create(const Folder& folder, const std::string& name)
{
    ReplacingFile file;
    if (!folder.IsOpen() || !IsOneName(name)) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return file;
    }
    const std::string final = folder.Path() + '\\' + name;
    const DWORD a = ::GetFileAttributesW(SystemPath(final).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
        (a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return file;
    }
    int slot = 0;
    for (int expected = kFree; slot < 16; ++slot, expected = kFree)
        if (gPending[slot].state.compare_exchange_strong(expected, kTaken)) break;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = ".kiss-" + Hex(::GetCurrentProcessId()) + "-" +
                                      Hex(gCounter++) + ".tmp";
        const std::wstring path = SystemPath(folder.Path() + '\\' + temporary);
        // Created new: an existing name (a link planted there among them) is never opened.
        const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file.file_ = File(reinterpret_cast<std::intptr_t>(h));
            file.folder_ = 0;
            file.folderPath_ = folder.Path();
            file.name_ = name;
            file.temporary_ = temporary;
            if (slot < 16 && path.size() < std::size(gPending[slot].path)) {
                std::wmemcpy(gPending[slot].path, path.c_str(), path.size() + 1);
                gPending[slot].state.store(kHeld);
                file.slot_ = slot;
            } else if (slot < 16) {
                gPending[slot].state.store(kFree);
            }
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    const DWORD error = ::GetLastError();
    if (slot < 16) gPending[slot].state.store(kFree);
    ::SetLastError(error);
    return file;
}

bool ReplacingFile::Commit()
{
    if (!IsOpen()) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    bool done = file_.Close();
    DWORD error = ::GetLastError();
    if (done) {
        const std::wstring from = SystemPath(folderPath_ + '\\' + temporary_);
        const std::wstring to = SystemPath(folderPath_ + '\\' + name_);
        // Replaces a link under the final name itself, never the file it leads to.
        done = ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        error = ::GetLastError();
        if (done) temporary_.clear();
    }
    Discard();
    ::SetLastError(error);
    return done;
}

void ReplacingFile::Discard()
{
    if (folder_ < 0) return;
    file_.Close();
    if (!temporary_.empty()) ::DeleteFileW(SystemPath(folderPath_ + '\\' + temporary_).c_str());
    if (slot_ >= 0) gPending[slot_].state.store(kFree);
    folder_ = slot_ = -1;
    temporary_.clear();
}

void RemovePendingFiles()
{
    for (Pending& p : gPending)
        if (p.state.load() == kHeld) ::DeleteFileW(p.path);
}

namespace {
BOOL WINAPI ExitOnControl(DWORD event)
{
    RemovePendingFiles();
    // Ctrl-C as SIGINT (2), Ctrl-Break and closing the console as SIGTERM (15).
    ::ExitProcess(event == CTRL_C_EVENT ? 130 : 143);
    return TRUE;
}
} // namespace

void ExitCleanlyOnSignals() { ::SetConsoleCtrlHandler(ExitOnControl, TRUE); }

} // namespace platform

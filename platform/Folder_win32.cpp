#include "Folder.h"
#include "FolderSystem.h"
#include "SystemPath_win32.h"

#include <atomic>
#include <cwchar>
#include <iterator>
#include <windows.h>

namespace platform {

namespace {

// Where each pending slot's temporary file is, for the console's control handler: a whole path.
wchar_t gPendingPath[folder_system::kPendingSlots][1024];

std::wstring SystemPathIn(const std::string& folder, const std::string& name)
{
    return SystemPath(folder + '\\' + name);
}

// flags: FILE_FLAG_OPEN_REPARSE_POINT opens a link or junction itself, not where it leads.
HANDLE OpenFolderHandle(const std::string& path, DWORD flags = 0)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    return ::CreateFileW(SystemPath(path).c_str(), 0, share, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

} // namespace

namespace folder_system {

const int kNoSuchName = ERROR_PATH_NOT_FOUND, kNotOpen = ERROR_INVALID_HANDLE,
          kNameTaken = ERROR_FILE_EXISTS;

void SetError(int error)
{
    ::SetLastError(static_cast<DWORD>(error));
}

unsigned ProcessId()
{
    return ::GetCurrentProcessId();
}

// As the system reads the bytes: in code page 932 the 0x5C that ends "表" separates nothing.
bool IsOneName(const std::string& name)
{
    return !name.empty() && name.find('\0') == std::string::npos &&
           AnsiToWide(name).find_first_of(L"/\\:") == std::wstring::npos;
}

bool Replaceable(const Folder& folder, const std::string& name)
{
    const std::wstring path = SystemPathIn(folder.Path(), name);
    const DWORD a = ::GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return true;
    bool replaceable =
        (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
    // A name that reaches a file stored under another (its 8.3 alias, the same in other case)
    // would replace that file, which was never named.
    WIN32_FIND_DATAW found;
    if (const HANDLE h = ::FindFirstFileW(path.c_str(), &found); h != INVALID_HANDLE_VALUE) {
        ::FindClose(h);
        replaceable = replaceable && AnsiToWide(name) == found.cFileName;
    }
    if (!replaceable) ::SetLastError(ERROR_ACCESS_DENIED);
    return replaceable;
}

std::intptr_t CreateNew(std::intptr_t, const std::string& path, const std::string& name)
{
    const HANDLE h = ::CreateFileW(SystemPathIn(path, name).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return reinterpret_cast<std::intptr_t>(h); // INVALID_HANDLE_VALUE is -1
}

bool RenameOver(std::intptr_t, const std::string& path, const std::string& from,
                const std::string& to)
{
    // Replaces a link under the final name itself, never the file it leads to.
    return ::MoveFileExW(SystemPathIn(path, from).c_str(), SystemPathIn(path, to).c_str(),
                         MOVEFILE_REPLACE_EXISTING) != 0;
}

void Remove(std::intptr_t, const std::string& path, const std::string& name)
{
    ::DeleteFileW(SystemPathIn(path, name).c_str());
}

bool NotePending(int slot, std::intptr_t, const std::string& path, const std::string& name)
{
    const std::wstring whole = SystemPathIn(path, name);
    if (whole.size() >= std::size(gPendingPath[slot])) return false;
    std::wmemcpy(gPendingPath[slot], whole.c_str(), whole.size() + 1);
    return true;
}

void RemovePending(int slot)
{
    ::DeleteFileW(gPendingPath[slot]);
}

// The console's control handler runs on a thread of its own: no signal to hold back.
SignalsHeld::SignalsHeld() = default;
SignalsHeld::~SignalsHeld() = default;

} // namespace folder_system

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
    folder.handle_ = std::make_shared<SystemHandle>(reinterpret_cast<std::intptr_t>(h));
    folder.path_ = path;
    return folder;
}

Folder Folder::Enter(const std::string& name) const
{
    Folder sub;
    if (!IsOpen() || !folder_system::IsOneName(name)) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return sub;
    }
    const std::string path = path_ + '\\' + name;
    ::CreateDirectoryW(SystemPath(path).c_str(), nullptr);
    // What is there is opened itself and must be a folder that is no reparse point: a link or a
    // junction would lead the files elsewhere.
    const HANDLE h = OpenFolderHandle(path, FILE_FLAG_OPEN_REPARSE_POINT);
    if (h == INVALID_HANDLE_VALUE) return sub;
    sub.handle_ = std::make_shared<SystemHandle>(reinterpret_cast<std::intptr_t>(h));
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD a = ::GetFileInformationByHandle(h, &info) ? info.dwFileAttributes : 0;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0 || (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        sub = Folder();
        ::SetLastError(ERROR_ACCESS_DENIED);
        return sub;
    }
    sub.path_ = path;
    return sub;
}

// Files are named by path here: the identity as IdentityOf gives it, the refusal as Replaceable.
FinalName Folder::LookAt(const std::string& name) const
{
    FinalName looked;
    if (!IsOpen() || !folder_system::IsOneName(name)) return looked;
    looked.identity = IdentityOf(path_ + '\\' + name);
    if (!folder_system::Replaceable(*this, name)) looked.refusal = ERROR_ACCESS_DENIED;
    return looked;
}

std::optional<FileIdentity> Folder::Identity() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsOpen() || !::GetFileInformationByHandle(reinterpret_cast<HANDLE>(Handle()), &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
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

void ExitCleanlyOnSignals()
{
    ::SetConsoleCtrlHandler(ExitOnControl, TRUE);
}

} // namespace platform

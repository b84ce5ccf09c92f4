#include "File.h"
#include "SystemPath_win32.h"

#include <algorithm>
#include <filesystem>
#include <windows.h>

namespace platform {

std::wstring AnsiToWide(const std::string& text)
{
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    wide.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size)));
    return wide;
}

std::wstring SystemPath(const std::string& path)
{
    const std::wstring wide = AnsiToWide(path);
    if (wide.size() < MAX_PATH - 12 || wide.starts_with(L"\\\\?\\")) return wide;
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return wide; // the system will give its own error
    full.resize(length);
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC" + full.substr(1); // \\server\share
    return L"\\\\?\\" + full;
}

std::string NarrowPath(const std::wstring& path)
{
    const int size = static_cast<int>(path.size());
    const int bytes =
        ::WideCharToMultiByte(CP_ACP, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, path.data(), size, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

std::string FinalPath(HANDLE handle)
{
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = 0;
    while ((n = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                            FILE_NAME_NORMALIZED)) >= path.size())
        path.resize(n + 1); // n: the size needed, its terminating NUL included
    path.resize(n);
    if (path.starts_with(L"\\\\?\\UNC\\")) return "\\" + NarrowPath(path.substr(7));
    if (path.starts_with(L"\\\\?\\")) path.erase(0, 4); // the long-path prefix
    return NarrowPath(path);
}

namespace {
HANDLE AsHandle(std::intptr_t h)
{
    return reinterpret_cast<HANDLE>(h);
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// A path the system would cut at a NUL byte fails as a missing file.
bool CutByNul(const std::string& path)
{
    if (path.find('\0') == std::string::npos) return false;
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return true;
}
} // namespace

File File::OpenForReading(const std::string& path)
{
    if (CutByNul(path)) return File();
    // Shared with writers: a file another program holds open is still read, as on other systems.
    HANDLE h =
        ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return File();
    if (::GetFileType(h) != FILE_TYPE_DISK) { // a pipe or a device is no file to read
        ::CloseHandle(h);
        ::SetLastError(ERROR_ACCESS_DENIED);
        return File();
    }
    return File(reinterpret_cast<std::intptr_t>(h));
}

// The system keeps no path inside a folder by itself here: the caller opens by path and looks.
File File::OpenForReadingBeneath(std::intptr_t, const std::string&)
{
    return File();
}

File File::CreateForWriting(const std::string& path)
{
    if (CutByNul(path)) return File();
    HANDLE h = ::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return File();
    return File(reinterpret_cast<std::intptr_t>(h));
}

std::ptrdiff_t File::Read(void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(AsHandle(handle_.Get()), bytes + done, chunk, &got, nullptr)) return -1;
        if (got == 0) break;
        done += got;
    }
    return static_cast<std::ptrdiff_t>(done);
}

std::ptrdiff_t File::Write(const void* buffer, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(AsHandle(handle_.Get()), bytes + done, chunk, &put, nullptr))
            return done > 0 ? static_cast<std::ptrdiff_t>(done) : -1;
        if (put == 0) break;
        done += put;
    }
    return static_cast<std::ptrdiff_t>(done);
}

std::int64_t File::Size() const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(AsHandle(handle_.Get()), &size)) return -1;
    return size.QuadPart;
}

bool File::IsCharacterDevice() const
{
    return ::GetFileType(AsHandle(handle_.Get())) == FILE_TYPE_CHAR;
}

bool CloseSystemHandle(std::intptr_t handle)
{
    return ::CloseHandle(AsHandle(handle)) != 0;
}

int LastError()
{
    return static_cast<int>(::GetLastError());
}

ErrorKind ClassifyError(int error, const std::string&)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return ErrorKind::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
        return ErrorKind::PathNotFound;
    case ERROR_TOO_MANY_OPEN_FILES:
        return ErrorKind::TooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
        return ErrorKind::AccessDenied;
    default:
        return ErrorKind::Other;
    }
}

bool IsDirectory(const std::string& path)
{
    if (CutByNul(path)) return false;
    const DWORD a = ::GetFileAttributesW(SystemPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const std::string& path)
{
    if (CutByNul(path)) return false;
    return ::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The attributes of a link are its own: a link counts wherever it leads.
bool NameExists(const std::string& path)
{
    return Exists(path);
}

bool ChangeDirectory(const std::string& path)
{
    return !CutByNul(path) && ::SetCurrentDirectoryW(SystemPath(path).c_str()) != 0;
}

std::vector<std::string> ListDirectory(const std::string& path)
{
    std::vector<std::string> names;
    if (CutByNul(path)) return names;
    // "*" in the folder: the folder's own name would find the folder, not what it holds.
    const std::string pattern =
        path.empty() ? "*" : path + (IsSeparator(path.back()) ? "*" : "\\*");
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(SystemPath(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = NarrowPath(data.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

bool IsTerminal(int stream)
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
                            &mode) != 0;
}

bool WriteStandardStream(int stream, const std::string& text)
{
    const HANDLE h = ::GetStdHandle(stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (DWORD mode = 0; ::GetConsoleMode(h, &mode)) {
        const int size = static_cast<int>(text.size());
        std::wstring wide(text.size(), L'\0'); // never more UTF-16 units than UTF-8 bytes
        wide.resize(static_cast<std::size_t>(
            ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), size)));
        for (std::size_t done = 0; done < wide.size();) {
            DWORD put = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
            if (!::WriteConsoleW(h, wide.data() + done, chunk, &put, nullptr) || put == 0)
                return false;
            done += put;
        }
        return true;
    }
    for (std::size_t done = 0; done < text.size();) {
        DWORD put = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
        if (!::WriteFile(h, text.data() + done, chunk, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

void StartDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string command = "\"" + program + "\"";
    for (const auto& a : arguments)
        command += " \"" + a + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                         nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    if (CutByNul(path)) return std::nullopt;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE h = CreateFileW(SystemPath(path).c_str(), 0, share, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL got = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!got) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

std::optional<std::string> File::ResolvedPath() const
{
    std::string resolved = FinalPath(AsHandle(handle_.Get()));
    if (resolved.empty()) return std::nullopt;
    return resolved;
}

std::optional<std::string> ResolvedPath(const std::string& path)
{
    if (CutByNul(path)) return std::nullopt;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE h = CreateFileW(SystemPath(path).c_str(), 0, share, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string resolved = FinalPath(h);
    CloseHandle(h);
    if (resolved.empty()) return std::nullopt;
    return resolved;
}

FolderLock::FolderLock(const std::string& path)
{
    // The lock is a named object for the folder's identity, whatever path spells it, gone with
    // its last handle. The folder's own handle cannot be exclusive: a handle that takes delete
    // access away from others fails while the folder is any process's current folder.
    const auto identity = IdentityOf(path);
    if (!identity) return;
    const std::wstring name = L"Global\\kissconv-folder-" + std::to_wstring(identity->device) +
                              L"-" + std::to_wstring(identity->number);
    const HANDLE h = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (h == nullptr) return;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(h);
        busy_ = true;
        return;
    }
    handle_.Reset(reinterpret_cast<std::intptr_t>(h));
}

void OpenInTextEditor(const std::string& path)
{
    std::error_code error; // an absolute path, as the POSIX side gives
    const std::string absolute = std::filesystem::absolute(path, error).string();
    StartDetached("notepad.exe", {error ? path : absolute});
}

} // namespace platform

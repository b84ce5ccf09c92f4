#include "File.h"

#include <algorithm>
#include <filesystem>
#include <windows.h>

namespace platform {

namespace {
HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

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
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return File();
    if (::GetFileType(h) != FILE_TYPE_DISK) { // a pipe or a device is no file to read
        ::CloseHandle(h);
        ::SetLastError(ERROR_ACCESS_DENIED);
        return File();
    }
    return File(reinterpret_cast<std::intptr_t>(h));
}

File File::CreateForWriting(const std::string& path)
{
    if (CutByNul(path)) return File();
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
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
        if (!::ReadFile(AsHandle(handle_), bytes + done, chunk, &got, nullptr)) return -1;
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
        if (!::WriteFile(AsHandle(handle_), bytes + done, chunk, &put, nullptr))
            return done > 0 ? static_cast<std::ptrdiff_t>(done) : -1;
        if (put == 0) break;
        done += put;
    }
    return static_cast<std::ptrdiff_t>(done);
}

std::int64_t File::Size() const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(AsHandle(handle_), &size)) return -1;
    return size.QuadPart;
}

bool File::IsCharacterDevice() const { return ::GetFileType(AsHandle(handle_)) == FILE_TYPE_CHAR; }

bool File::Close()
{
    if (handle_ == kInvalid) return true;
    HANDLE h = AsHandle(handle_);
    handle_ = kInvalid;
    return ::CloseHandle(h) != 0;
}

int LastError() { return static_cast<int>(::GetLastError()); }

std::string ErrorText(int error) { return "Windows error " + std::to_string(error); }

ErrorKind ClassifyError(int error, const std::string&)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return ErrorKind::FileNotFound;
    case ERROR_PATH_NOT_FOUND: return ErrorKind::PathNotFound;
    case ERROR_TOO_MANY_OPEN_FILES: return ErrorKind::TooManyOpenFiles;
    case ERROR_ACCESS_DENIED: return ErrorKind::AccessDenied;
    default: return ErrorKind::Other;
    }
}

bool IsDirectory(const std::string& path)
{
    if (CutByNul(path)) return false;
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const std::string& path)
{
    if (CutByNul(path)) return false;
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectory(const std::string& path)
{
    if (CutByNul(path)) return false;
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0 || IsDirectory(path);
}

std::vector<std::string> ListDirectory(const std::string& path)
{
    std::vector<std::string> names;
    if (CutByNul(path)) return names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((path.empty() ? std::string(".") : path + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

void StartDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string command = "\"" + program + "\"";
    for (const auto& a : arguments) command += " \"" + a + "\"";
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
    const HANDLE h = CreateFileA(path.c_str(), 0, share, nullptr, OPEN_EXISTING,
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
    char path[MAX_PATH * 4];
    const DWORD n = ::GetFinalPathNameByHandleA(AsHandle(handle_), path, sizeof path,
                                                FILE_NAME_NORMALIZED);
    if (n == 0 || n >= sizeof path) return std::nullopt;
    std::string resolved(path, n);
    if (resolved.starts_with("\\\\?\\")) resolved.erase(0, 4); // the long-path prefix
    return resolved;
}

std::optional<std::string> ResolvedPath(const std::string& path)
{
    if (CutByNul(path)) return std::nullopt;
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    if (error) return std::nullopt;
    return resolved.string();
}

FolderLock::FolderLock(const std::string& path)
{
    if (CutByNul(path)) return;
    // The lock is a handle with delete access that does not share it: a second lock is refused
    // with a sharing violation, while listing the folder and writing inside it (which share
    // delete access, or do not open the folder at all) go on.
    const HANDLE h = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        handle_ = reinterpret_cast<std::intptr_t>(h);
        return;
    }
    busy_ = GetLastError() == ERROR_SHARING_VIOLATION;
}

FolderLock::~FolderLock()
{
    if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

void OpenInTextEditor(const std::string& path)
{
    std::error_code error; // an absolute path, as the POSIX side gives
    const std::string absolute = std::filesystem::absolute(path, error).string();
    StartDetached("notepad.exe", {error ? path : absolute});
}

} // namespace platform

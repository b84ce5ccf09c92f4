#include "File.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

namespace platform {

namespace {

// A path the system would cut at a NUL byte fails as a missing file.
bool CutByNul(const std::string& path)
{
    if (path.find('\0') == std::string::npos) return false;
    errno = ENOENT;
    return true;
}

// The size of a descriptor opened for reading when it is a regular file. Anything else is closed
// (-1): a folder fails with "is a directory", a FIFO, device or socket with "permission denied".
// O_NONBLOCK stays on a file kept: it changes nothing for a regular file's reads.
std::int64_t RegularFileSize(int fd)
{
    struct stat st {};
    const bool known = ::fstat(fd, &st) == 0;
    if (known && S_ISREG(st.st_mode)) return static_cast<std::int64_t>(st.st_size);
    ::close(fd);
    errno = known && S_ISDIR(st.st_mode) ? EISDIR : EACCES;
    return -1;
}

} // namespace

File File::OpenForReading(const std::string& path)
{
    if (CutByNul(path)) return File();
    // Without blocking: a FIFO in a file's place must fail at once, not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const std::int64_t size = fd < 0 ? -1 : RegularFileSize(fd);
    return size < 0 ? File() : File(fd, size);
}

File File::OpenForReadingBeneath(std::intptr_t folder, const std::string& relative)
{
#if defined(__linux__) && defined(SYS_openat2)
    static std::atomic<bool> missing{false}; // a system without openat2 is asked once
    if (CutByNul(relative) || missing.load()) return File();
    open_how how{};
    how.flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    how.resolve = RESOLVE_BENEATH; // no ".." above the folder, no absolute path or link
    const auto fd = static_cast<int>(
        ::syscall(SYS_openat2, static_cast<int>(folder), relative.c_str(), &how, sizeof how));
    if (fd < 0 && errno == ENOSYS) missing.store(true);
    const std::int64_t size = fd < 0 ? -1 : RegularFileSize(fd);
    return size < 0 ? File() : File(fd, size);
#else
    (void)folder;
    (void)relative;
    return File();
#endif
}

File File::CreateForWriting(const std::string& path)
{
    if (CutByNul(path)) return File();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return File();
    return File(fd);
}

std::ptrdiff_t File::Read(void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(static_cast<int>(handle_.Get()), bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(done);
}

std::ptrdiff_t File::Write(const void* buffer, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(static_cast<int>(handle_.Get()), bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? static_cast<std::ptrdiff_t>(done) : -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(done);
}

std::int64_t File::Size() const
{
    struct stat st {};
    if (::fstat(static_cast<int>(handle_.Get()), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool File::IsCharacterDevice() const
{
    struct stat st {};
    return ::fstat(static_cast<int>(handle_.Get()), &st) == 0 && S_ISCHR(st.st_mode);
}

bool CloseSystemHandle(std::intptr_t handle)
{
    return ::close(static_cast<int>(handle)) == 0;
}

int LastError()
{
    return errno;
}

ErrorKind ClassifyError(int error, const std::string& path)
{
    switch (error) {
    case ENOENT: {
        const auto slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        return IsDirectory(folder) ? ErrorKind::FileNotFound : ErrorKind::PathNotFound;
    }
    case ENOTDIR:
    case ENAMETOOLONG:
        return ErrorKind::PathNotFound;
    case EMFILE:
    case ENFILE:
        return ErrorKind::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ErrorKind::AccessDenied;
    default:
        return ErrorKind::Other;
    }
}

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat st {};
    if (CutByNul(path) || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<std::string> File::ResolvedPath() const
{
#ifdef __linux__
    // The system's own name for the open file, without walking its path again.
    const std::string link = "/proc/self/fd/" + std::to_string(handle_.Get());
    std::string target(256, '\0');
    ssize_t n = 0;
    while ((n = ::readlink(link.c_str(), target.data(), target.size())) >= 0 &&
           static_cast<std::size_t>(n) == target.size())
        target.resize(target.size() * 2);
    if (n > 0 && target[0] == '/') return target.substr(0, static_cast<std::size_t>(n));
#endif
    return std::nullopt;
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
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        handle_.Reset(fd);
        return;
    }
    busy_ = errno == EWOULDBLOCK;
    ::close(fd);
}

bool IsDirectory(const std::string& path)
{
    if (CutByNul(path)) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
    if (CutByNul(path)) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool NameExists(const std::string& path)
{
    if (CutByNul(path)) return false;
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool ChangeDirectory(const std::string& path)
{
    return !CutByNul(path) && ::chdir(path.c_str()) == 0;
}

std::vector<std::string> ListDirectory(const std::string& path)
{
    std::vector<std::string> names;
    if (CutByNul(path)) return names;
    DIR* dir = ::opendir(path.empty() ? "." : path.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool WriteStandardStream(int stream, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(stream, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR) return false;
        done += n < 0 ? 0 : static_cast<std::size_t>(n);
    }
    return true;
}

bool IsTerminal(int stream)
{
    return ::isatty(stream) == 1;
}

void StartDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    // Everything the child needs is prepared before fork: after it only exec and _exit run.
    std::vector<std::string> storage;
    storage.reserve(arguments.size() + 1);
    storage.push_back(program);
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Fork twice so the program is adopted by init and never becomes our zombie; we wait only
    // for the short-lived middle process, never for the program itself.
    const pid_t middle = ::fork();
    if (middle < 0) return;
    if (middle == 0) {
        ::setsid();
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) {
                ::dup2(null, STDIN_FILENO);
                ::dup2(null, STDOUT_FILENO);
                ::dup2(null, STDERR_FILENO);
            }
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
}

void OpenInTextEditor(const std::string& path)
{
    // Absolute: a relative name starting with "-" or holding ":" would be read as an option or an
    // address.
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(path, error).string();
#ifdef __APPLE__
    StartDetached("open", {"-t", error ? path : absolute});
#else
    StartDetached("xdg-open", {error ? path : absolute});
#endif
}

} // namespace platform

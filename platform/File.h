#pragma once

#include "Handle.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The small operating-system layer: raw files, directories and starting a detached program.
// Paths are byte strings handed to the system unchanged. A path holding a NUL byte names no file
// (the system would read it only up to the NUL, which is another file): every operation on it
// fails as on a missing file. Failures are reported through return values and LastError(); the
// layers above turn them into their own exceptions.
namespace platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

class ReplacingFile;

// An open file. Invalid when the open failed.
class File {
public:
    File() = default;

    // Opens an existing regular file for reading at its first byte, without blocking. A folder
    // fails with the system's "is a directory" error, a FIFO, device or socket with "permission
    // denied": only a regular file is a file to read.
    static File OpenForReading(const std::string& path);
    // The same for a path relative to an open folder (Folder::Handle), opened only where the
    // system itself keeps every step of it, links followed, inside that folder. Not open on any
    // failure, and where the system cannot do that: the caller then opens the file by its path
    // and looks where it lies.
    static File OpenForReadingBeneath(std::intptr_t folder, const std::string& relative);
    // Creates the file, or empties an existing one, and opens it for writing only.
    static File CreateForWriting(const std::string& path);

    bool IsOpen() const { return handle_.IsValid(); }
    // Reads up to size bytes; returns the number read (0 at the end), or -1 on failure.
    std::ptrdiff_t Read(void* buffer, std::size_t size);
    // Writes up to size bytes; returns the number written, or -1 on failure.
    std::ptrdiff_t Write(const void* buffer, std::size_t size);
    // The file's size in bytes, or -1 on failure.
    std::int64_t Size() const;
    // The size OpenForReading saw as it checked the file, without asking again; Size() for a
    // file opened otherwise or where the opening saw none.
    std::int64_t SizeWhenOpened() const { return openedSize_ >= 0 ? openedSize_ : Size(); }
    bool IsCharacterDevice() const;
    // The absolute path of the open file, links resolved; nothing where the system cannot tell.
    std::optional<std::string> ResolvedPath() const;
    // Closes the file; false when the system reported a failure (the handle is gone either way).
    bool Close() { return !handle_.IsValid() || CloseSystemHandle(handle_.Release()); }

private:
    friend class ReplacingFile;
    explicit File(std::intptr_t handle, std::int64_t openedSize = -1)
        : handle_(handle), openedSize_(openedSize)
    {
    }
    SystemHandle handle_;
    std::int64_t openedSize_ = -1;
};

// The error number of a write that the device took only in part (a full disk).
#ifdef _WIN32
inline constexpr int kDiskFullError = 112; // ERROR_DISK_FULL
#else
inline constexpr int kDiskFullError = 28; // ENOSPC
#endif

// The system's error number of the last failed operation on this thread.
int LastError();

// Error numbers by meaning, so callers can select their messages portably.
enum class ErrorKind { FileNotFound, PathNotFound, TooManyOpenFiles, AccessDenied, Other };
// path: the path whose operation failed; a missing file and a missing folder are told apart by it.
ErrorKind ClassifyError(int error, const std::string& path);
// The same in English words for messages ("no such file", "the disk is full"), path as above.
std::string ErrorText(int error, const std::string& path);

bool IsDirectory(const std::string& path);
bool Exists(const std::string& path);
// Whether a folder holds an entry under path's last name: a link counts, wherever it leads.
bool NameExists(const std::string& path);
// Makes path the process's current folder; false when it cannot (LastError tells why).
bool ChangeDirectory(const std::string& path);
// Names in a folder, without "." and "..". Empty when the folder cannot be read.
std::vector<std::string> ListDirectory(const std::string& path);

// A file's identity on its system: two paths name one file when their identities are equal.
struct FileIdentity {
    std::uint64_t device = 0, number = 0;
    auto operator<=>(const FileIdentity&) const = default;
};
// The identity of the file a path names, links followed; nothing when no file is there.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The absolute path of the file a path names once every link on it is followed; nothing when no
// file is there.
std::optional<std::string> ResolvedPath(const std::string& path);

// An exclusive lock on a folder itself (no lock file), held while the object lives. Busy() tells
// that another holder has it; a folder that cannot be opened is not locked and not busy.
class FolderLock {
public:
    explicit FolderLock(const std::string& path);
    bool Busy() const { return busy_; }

private:
    SystemHandle handle_; // the lock goes with the handle
    bool busy_ = false;
};

// Writes UTF-8 text whole to standard output (1) or standard error (2); false when that failed.
// A Windows console is given the characters through its wide interface, shown right whatever its
// code page; anything else (a file, a pipe, a terminal elsewhere) gets the bytes unchanged.
bool WriteStandardStream(int stream, const std::string& text);
// Whether standard output (1) or standard error (2) is a terminal or console, where text may be
// rewritten in place.
bool IsTerminal(int stream);

// Starts program with the arguments, detached: no shell, not waited for, no result reported.
void StartDetached(const std::string& program, const std::vector<std::string>& arguments);
// Opens a text file in the desktop's text editor, detached.
void OpenInTextEditor(const std::string& path);

} // namespace platform

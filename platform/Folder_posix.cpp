#include "Folder.h"
#include "FolderSystem.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Where each pending slot's temporary file is: a folder descriptor and a name that fits.
std::atomic<int> gPendingFolder[folder_system::kPendingSlots];
char gPendingName[folder_system::kPendingSlots][40];

// How many SignalsHeld are alive, and the ending signal that came meanwhile (0: none).
std::atomic<int> gHeld{0}, gHeldSignal{0};

} // namespace

namespace folder_system {

const int kNoSuchName = ENOENT, kNotOpen = EBADF, kNameTaken = EEXIST;

void SetError(int error)
{
    errno = error;
}

unsigned ProcessId()
{
    // A forked child that made files would take its parent's names, which exist: it would try
    // the next ones, as with any name already taken.
    static const auto id = static_cast<unsigned>(::getpid());
    return id;
}

bool IsOneName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool Replaceable(const Folder& folder, const std::string& name)
{
    struct stat st {};
    if (::fstatat(static_cast<int>(folder.Handle()), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        return true;
    errno = S_ISDIR(st.st_mode) ? EISDIR : EACCES; // never opened: a FIFO would block
    return false;
}

std::intptr_t CreateNew(std::intptr_t folder, const std::string&, const std::string& name)
{
    return ::openat(static_cast<int>(folder), name.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool RenameOver(std::intptr_t folder, const std::string&, const std::string& from,
                const std::string& to)
{
    const int dir = static_cast<int>(folder);
    return ::renameat(dir, from.c_str(), dir, to.c_str()) == 0;
}

void Remove(std::intptr_t folder, const std::string&, const std::string& name)
{
    ::unlinkat(static_cast<int>(folder), name.c_str(), 0);
}

bool NotePending(int slot, std::intptr_t folder, const std::string&, const std::string& name)
{
    if (name.size() >= sizeof gPendingName[slot]) return false;
    std::memcpy(gPendingName[slot], name.c_str(), name.size() + 1);
    gPendingFolder[slot].store(static_cast<int>(folder));
    return true;
}

void RemovePending(int slot)
{
    ::unlinkat(gPendingFolder[slot].load(), gPendingName[slot], 0);
}

SignalsHeld::SignalsHeld()
{
    gHeld.fetch_add(1);
}

SignalsHeld::~SignalsHeld()
{
    if (gHeld.fetch_sub(1) == 1)
        if (const int signal = gHeldSignal.exchange(0)) ::raise(signal); // its handler acts now
}

} // namespace folder_system

Folder Folder::Open(const std::string& path)
{
    Folder folder;
    if (path.find('\0') != std::string::npos) {
        errno = ENOENT;
        return folder;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return folder;
    folder.handle_ = std::make_shared<SystemHandle>(fd);
    folder.path_ = path;
    return folder;
}

Folder Folder::Enter(const std::string& name) const
{
    Folder sub;
    if (!IsOpen() || !folder_system::IsOneName(name)) {
        errno = ENOENT;
        return sub;
    }
    const int dir = static_cast<int>(Handle());
    if (::mkdirat(dir, name.c_str(), 0777) != 0 && errno != EEXIST) return sub;
    // No link is followed: one in the folder's place would lead the files out of the output.
    const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return sub;
    sub.handle_ = std::make_shared<SystemHandle>(fd);
    sub.path_ = path_ + '/' + name;
    return sub;
}

FinalName Folder::LookAt(const std::string& name) const
{
    FinalName looked;
    const int dir = static_cast<int>(Handle());
    struct stat st {};
    if (!IsOpen() || !folder_system::IsOneName(name) ||
        ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return looked;
    if (S_ISDIR(st.st_mode))
        looked.refusal = EISDIR;
    else if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        looked.refusal = EACCES; // never opened: a FIFO would block
    // Only a link asks the system again, for the file it leads to.
    if (S_ISLNK(st.st_mode) && ::fstatat(dir, name.c_str(), &st, 0) != 0) return looked;
    looked.identity =
        FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return looked;
}

std::optional<FileIdentity> Folder::Identity() const
{
    struct stat st {};
    if (!IsOpen() || ::fstat(static_cast<int>(Handle()), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

namespace {
void ExitOnSignal(int signal)
{
    if (gHeld.load() > 0) { // half a change: the last SignalsHeld raises it again
        gHeldSignal.store(signal);
        return;
    }
    RemovePendingFiles();
    ::_exit(128 + signal);
}
} // namespace

void ExitCleanlyOnSignals()
{
    struct sigaction action {};
    action.sa_handler = ExitOnSignal;
    action.sa_flags = SA_RESTART; // a system call the held signal came in goes on
    sigemptyset(&action.sa_mask);
    for (const int s : kEndingSignals) {
        struct sigaction was {};
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        if (sigaction(s, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
            sigaction(s, &action, nullptr);
    }
}

} // namespace platform

#include "Folder.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

constexpr int kFree = -1, kTaken = -2;

// The temporary files not yet committed or discarded, for removal from a signal handler: a
// folder descriptor (kFree when the slot is unused) and a name that fits without allocating.
struct Pending {
    std::atomic<int> folder{kFree};
    char name[40] = {};
};
Pending gPending[16];
std::atomic<unsigned> gCounter{0};

// The signals that end a run early are held back while the table and the files change together.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (const int s : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

private:
    sigset_t old_;
};

bool IsOneName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos &&
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

} // namespace

void Folder::Close(std::intptr_t handle)
{
    ::close(static_cast<int>(handle));
}

Folder Folder::Open(const std::string& path)
{
    Folder folder;
    if (path.find('\0') != std::string::npos) {
        errno = ENOENT;
        return folder;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return folder;
    folder.handle_ = fd;
    folder.path_ = path;
    return folder;
}

Folder Folder::Enter(const std::string& name) const
{
    Folder sub;
    if (!IsOpen() || !IsOneName(name)) {
        errno = ENOENT;
        return sub;
    }
    const int dir = static_cast<int>(handle_);
    if (::mkdirat(dir, name.c_str(), 0777) != 0 && errno != EEXIST) return sub;
    // No link is followed: one in the folder's place would lead the files out of the output.
    const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return sub;
    sub.handle_ = fd;
    sub.path_ = path_ + '/' + name;
    return sub;
}

std::optional<FileIdentity> Folder::Identity() const
{
    struct stat st {};
    if (!IsOpen() || ::fstat(static_cast<int>(handle_), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

ReplacingFile ReplacingFile::Create(const Folder& folder, const std::string& name)
{
    ReplacingFile file;
    if (!folder.IsOpen() || !IsOneName(name)) {
        errno = ENOENT;
        return file;
    }
    const int dir = static_cast<int>(folder.Handle());
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode) &&
        !S_ISLNK(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EACCES; // never opened: a FIFO would block
        return file;
    }
    const int own = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return file;

    const SignalsHeld held;
    int slot = 0;
    for (int expected = kFree; slot < 16; ++slot, expected = kFree)
        if (gPending[slot].folder.compare_exchange_strong(expected, kTaken)) break;
    // Created exclusively: an existing name (a link planted there among them) is never opened.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary =
            ".kiss-" + Hex(static_cast<unsigned>(::getpid())) + "-" + Hex(gCounter++) + ".tmp";
        const int fd = ::openat(dir, temporary.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file.file_ = File(fd);
            file.folder_ = own;
            file.folderPath_ = folder.Path();
            file.name_ = name;
            file.temporary_ = temporary;
            if (slot < 16) { // a full table only loses the clean-up on a signal
                std::memcpy(gPending[slot].name, temporary.c_str(), temporary.size() + 1);
                gPending[slot].folder.store(own);
                file.slot_ = slot;
            }
            return file;
        }
        if (errno != EEXIST) break;
    }
    const int error = errno;
    if (slot < 16) gPending[slot].folder.store(kFree);
    ::close(own);
    errno = error;
    return file;
}

bool ReplacingFile::Commit()
{
    if (!IsOpen()) {
        errno = EBADF;
        return false;
    }
    bool done = file_.Close();
    int error = errno;
    if (done) {
        const SignalsHeld held;
        done = ::renameat(static_cast<int>(folder_), temporary_.c_str(),
                          static_cast<int>(folder_), name_.c_str()) == 0;
        error = errno;
        if (done) temporary_.clear();
    }
    Discard();
    errno = error;
    return done;
}

void ReplacingFile::Discard()
{
    if (folder_ < 0) return;
    file_.Close();
    const SignalsHeld held;
    if (!temporary_.empty()) ::unlinkat(static_cast<int>(folder_), temporary_.c_str(), 0);
    if (slot_ >= 0) gPending[slot_].folder.store(kFree);
    ::close(static_cast<int>(folder_));
    folder_ = slot_ = -1;
    temporary_.clear();
}

void RemovePendingFiles()
{
    for (Pending& p : gPending) {
        const int folder = p.folder.load();
        if (folder >= 0) ::unlinkat(folder, p.name, 0);
    }
}

namespace {
void ExitOnSignal(int signal)
{
    RemovePendingFiles();
    ::_exit(128 + signal);
}
} // namespace

void ExitCleanlyOnSignals()
{
    struct sigaction action {};
    action.sa_handler = ExitOnSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction was {};
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        if (sigaction(s, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
            sigaction(s, &action, nullptr);
    }
}

} // namespace platform

#include "platform/File.h"
#include "platform/Folder.h"
#include "support/Test.h"

#include <cerrno>
#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

using namespace platform;
using K = ErrorKind;

#ifdef _WIN32 // the system's own numbers: 2 file not found, 3 path not found, 4 too many open files, 5 access denied
constexpr int kNoFile = 2, kNoPath = 3, kTooMany = 4, kDenied = 5, kIsFolder = 5;
const std::string kNull = "NUL";
#else
constexpr int kNoFile = ENOENT, kNoPath = ENOENT, kTooMany = EMFILE, kDenied = EACCES, kIsFolder = EISDIR;
const std::string kNull = "/dev/null";
#endif

TEST(File, FilesFoldersErrorsAndPrograms)
{
    TempDir dir;
    const std::string path = dir / "f", folder = dir.Path().string();
    WriteFile(path, std::string(100, 'x'));
    char b[4] = {};
    File out = File::CreateForWriting(path), in = File::OpenForReading(path); // emptied at once
    File null = File::OpenForReading(kNull);
    // clang-format off
    const std::int64_t calls[][2] = { // in this order: what each returns, what it should
        {out.Size(), 0}, {out.Write("abc", 3), 3}, {out.Close(), 1}, {in.Size(), 3}, {in.Read(b, 4), 3}, {in.Read(b, 4), 0}, {in.IsCharacterDevice(), 0},
        {null.IsOpen(), 0}, {LastError(), kDenied}, {File::OpenForReading(folder).IsOpen(), 0},
        {LastError(), kIsFolder}, {File::CreateForWriting(folder).IsOpen(), 0}, {IsDirectory(folder), 1}, {IsDirectory(path), 0},
        {in.ResolvedPath().value_or("") == ResolvedPath(path), 1}, {Folder::Open(folder).Identity() == IdentityOf(folder), 1}};
    const std::tuple<K, std::string, std::vector<int>> kinds[] = { // system errors by path; "." exists
        {K::FileNotFound, path + "x", {kNoFile}}, {K::FileNotFound, "x", {kNoFile}}, {K::PathNotFound, path + "x/x", {kNoPath}},
        {K::Other, "x", {kDiskFullError, 0}}, {K::TooManyOpenFiles, "x", {kTooMany}}, {K::AccessDenied, "x", {kDenied, kIsFolder}},
#ifndef _WIN32
        {K::PathNotFound, path + "/x", {ENOTDIR, ENAMETOOLONG}}, {K::Other, "x", {EIO}}, {K::TooManyOpenFiles, "x", {ENFILE}}, {K::AccessDenied, "x", {EPERM, EROFS}}
#endif
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(calls); ++i)
        EXPECT_EQ(calls[i][0], calls[i][1]) << "call " << i;
    EXPECT_EQ(std::string(b, 3), "abc");
    for (const auto& [kind, where, errors] : kinds)
        for (const int error : errors)
            EXPECT_EQ(ClassifyError(error, where), kind) << error << " " << where;
#ifndef _WIN32 // Windows has no device that refuses every write, no file number 0 and no touch program
    File full = File::CreateForWriting("/dev/full");
    EXPECT_EQ((std::pair{full.Write("abc", 3), LastError()}), std::pair(std::ptrdiff_t{-1}, kDiskFullError));
    const int input = ::dup(0); // a program started without standard input gets file number 0
    ::close(0);
    EXPECT_TRUE(File::CreateForWriting(path).IsOpen());
    EXPECT_TRUE(File::OpenForReading(path).IsOpen());
    ::dup2(input, 0);
    ::close(input);
    StartDetached("touch", {dir / "made by touch"}); // one argument, spaces and all: no shell
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // and no child of ours left behind
    for (int i = 0; i < 500 && !Exists(dir / "made by touch"); ++i)
        ::usleep(10000);
    EXPECT_TRUE(Exists(dir / "made by touch"));
#endif
}

#ifndef _WIN32 // Windows removes no file that is still open
TEST(Folder, PendingFilesInTheTableAreRemovedOnASignal)
{
    TempDir dir;
    const Folder folder = Folder::Open(dir.Path().string());
    EXPECT_TRUE(ReplacingFile::Create(folder, "a").Commit()); // the first slot, free again
    std::vector<ReplacingFile> files(17);
    for (ReplacingFile& file : files)
        file = ReplacingFile::Create(folder, "b");
    fs::create_directory(dir / "sub"); // a name is one name: never a way into a folder
    EXPECT_EQ(std::pair(ReplacingFile::Create(folder, "sub/c").IsOpen(), folder.Enter("sub/.").IsOpen()),
              std::pair(false, false));
    RemovePendingFiles(); // and no file is made after it, which it could not remove
    EXPECT_FALSE(ReplacingFile::Create(folder, "c").IsOpen());
    EXPECT_EQ(ListDirectory(folder.Path()).size(), 3u); // "a", "sub" and the 17th, past the table's 16
}

// A signal may come at any moment of making, writing, renaming or removing a file, mostly as a system call returns:
// whatever it cuts into, the file it ends on is removed (exit status 143). Each child is ended at another moment.
TEST(Folder, ASignalAtAnyMomentLeavesNoTemporaryFile)
{
    TempDir dir;
    for (int round = 0; round < 40; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ExitCleanlyOnSignals();
            const Folder folder = Folder::Open(dir.Path().string());
            for (int i = 0; i < 200000; ++i) {
                ReplacingFile file = ReplacingFile::Create(folder, "f" + std::to_string(i % 4));
                file.Output().Write("data", 4);
                if (i == 0) (void)!::write(ready[1], "r", 1);
                if (i % 3 != 0) file.Commit(); // else discarded as it goes
            }
            ::_exit(0); // the signal never came
        }
        char byte = 0;
        EXPECT_EQ(::read(ready[0], &byte, 1), 1);
        ::usleep(static_cast<useconds_t>(100 + 97 * round));
        ::kill(child, SIGTERM);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 143) << round << ": " << status;
        ::close(ready[0]);
        ::close(ready[1]);
    }
    for (const std::string& name : ListDirectory(dir.Path().string()))
        EXPECT_FALSE(name.starts_with(".kiss-")) << name;
}
#endif

#ifdef _WIN32
// A name that reaches a file stored under another, its 8.3 alias or the same in other case, would replace that file.
TEST(Folder, ANameReachingAFileOfAnotherNameReplacesNothing)
{
    TempDir dir;
    WriteFile(dir / "longname-precious.bmp", "precious");
    wchar_t alias[MAX_PATH] = {};
    ::GetShortPathNameW((dir.Path() / "longname-precious.bmp").wstring().c_str(), alias, MAX_PATH);
    const std::string shortName = fs::path(alias).filename().string();
    if (shortName.empty() || shortName == "longname-precious.bmp") GTEST_SKIP() << "no 8.3 names here";
    const Folder folder = Folder::Open(dir.Path().string());
    for (const auto& [name, replaces] :
         {std::pair{shortName, false}, {"LONGNAME-precious.bmp", false}, {"longname-precious.bmp", true}}) {
        ReplacingFile file = ReplacingFile::Create(folder, name);
        EXPECT_EQ(file.IsOpen() && file.Output().Write("new", 3) == 3 && file.Commit(), replaces) << name;
        EXPECT_EQ(ReadText(dir / "longname-precious.bmp"), replaces ? "new" : "precious") << name;
    }
}
#endif

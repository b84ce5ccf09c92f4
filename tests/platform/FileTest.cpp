#include "platform/File.h"
#include "support/Test.h"

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using K = ErrorKind;

TEST(File, FilesFoldersErrorsAndPrograms)
{
    TempDir dir;
    const std::string path = dir / "f", folder = dir.Path().string(), link = dir / "link";
    WriteFile(path, Bytes(100, 'x'));
    fs::create_symlink(dir / "nowhere", link);
    char b[4] = {};
    File out = File::CreateForWriting(path), in = File::OpenForReading(path); // emptied at once
    File null = File::OpenForReading("/dev/null"), full = File::CreateForWriting("/dev/full");
    // clang-format off
    const std::int64_t calls[][2] = { // in this order: what each returns, what it should
        {out.Size(), 0}, {out.Write("abc", 3), 3}, {out.Close(), 1}, {in.Size(), 3}, {in.Read(b, 4), 3}, {in.Read(b, 4), 0}, {in.IsCharacterDevice(), 0},
        {null.IsOpen(), 0}, {LastError(), EACCES}, {full.Write("abc", 3), -1}, {LastError(), kDiskFullError}, {File::OpenForReading(folder).IsOpen(), 0},
        {LastError(), EISDIR}, {File::CreateForWriting(folder).IsOpen(), 0}, {MakeDirectory(dir / "d"), 1}, {IsDirectory(dir / "d"), 1}, {MakeDirectory(dir / "d"), 1},
        {MakeDirectory(path), 0}, {LastError(), EEXIST}, {MakeDirectory(link), 0}, {LastError(), EEXIST}, {MakeDirectory(path + "/d"), 0}, {LastError(), ENOTDIR}, // made or there
        {MakeDirectory(dir / "no/d"), 0}, {LastError(), ENOENT}, {MakeDirectory(path + '\0'), 0}, {LastError(), ENOENT}};
    const std::tuple<K, std::string, std::vector<int>> kinds[] = { // system errors by path; "." exists
        {K::FileNotFound, path + "x", {ENOENT}}, {K::FileNotFound, "x", {ENOENT}}, {K::PathNotFound, path + "x/x", {ENOENT}},
        {K::PathNotFound, path + "/x", {ENOTDIR, ENAMETOOLONG}}, {K::Other, "x", {EIO, ENOSPC, 0}}, {K::TooManyOpenFiles, "x", {EMFILE, ENFILE}},
        {K::AccessDenied, "x", {EACCES, EPERM, EROFS, EISDIR}}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(calls); ++i)
        EXPECT_EQ(calls[i][0], calls[i][1]) << "call " << i;
    EXPECT_EQ(std::string(b, 3), "abc");
    const int input = ::dup(0); // a program started without standard input gets file number 0
    ::close(0);
    EXPECT_TRUE(File::CreateForWriting(path).IsOpen());
    EXPECT_TRUE(File::OpenForReading(path).IsOpen());
    ::dup2(input, 0);
    ::close(input);
    for (const auto& [kind, where, errors] : kinds)
        for (const int error : errors)
            EXPECT_EQ(ClassifyError(error, where), kind) << error << " " << where;
    StartDetached("touch", {dir / "made by touch"}); // one argument, spaces and all: no shell
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // and no child of ours left behind
    for (int i = 0; i < 500 && !Exists(dir / "made by touch"); ++i)
        ::usleep(10000);
    EXPECT_TRUE(Exists(dir / "made by touch"));
}

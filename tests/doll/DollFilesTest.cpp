#include "doll/DollFiles.h"

#include "support/Test.h"

#include <algorithm>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

// A folder's walk under small limits (how deep below the folder, how many entries listed): the files it gives and
// what it notes. The rows' outcomes do not depend on the order a folder lists its names in.
TEST(DollFiles, WalksAFolderWithinItsLimits)
{
    const std::tuple<int, std::size_t, std::vector<std::string>, std::vector<std::string>> rows[] = {
        {0, 10, {"a.txt"}, {}}, // beside the configuration: no subfolder, and nothing to say
        {1, 10, {"a.txt", "s/b.txt"}, {"not looked at: the folders more than 1 below the configuration's"}},
        {2, 10, {"a.txt", "s/b.txt", "s/t/c.txt"}, {}},
        {2, 4, {"a.txt", "s/b.txt"}, {"not looked at: the entries of the doll's folder past the first 4"}},
    };
    TempDir dir;
    fs::create_directories(dir / "s/t");
    for (const char* name : {"a.txt", "s/b.txt", "s/t/c.txt"})
        WriteFile(dir / name, "");
    for (const auto& [depth, most, files, notes] : rows) {
        std::vector<std::string> noted, found;
        for (const std::string& file : FilesInFolder(dir.Path().string(), depth, most, noted))
            found.push_back(fs::path(file).generic_string());
        std::ranges::sort(found);
        EXPECT_EQ(std::pair(found, noted), std::pair(files, notes)) << depth << " " << most;
    }
}

#ifndef _WIN32
// Folders thousands deep, made and removed from the folder above (their paths pass the system's limit), on /dev/shm
// where there is one (a disk may take seconds to remove them): --check's walk stops at its depth and says so, once,
// in time and memory that do not grow with the depth.
TEST(DollFiles, WalksAFolderThousandsDeepInLittleTimeAndMemory)
{
    TempDir scratch;
    const fs::path shm = "/dev/shm", doll = (fs::is_directory(shm) ? shm : scratch.Path()) /
                                            ("kisstest-deep-" + std::to_string(::getpid()));
    fs::create_directory(doll);
    WriteFile(doll / "doll.cnf", "");
    const std::string name(20, 'd');
    for (int fd = ::open(doll.c_str(), O_RDONLY), depth = 0, next; fd >= 0; fd = next, ++depth) {
        next = depth < 2000 && ::mkdirat(fd, name.c_str(), 0700) == 0 ? ::openat(fd, name.c_str(), O_RDONLY) : -1;
        ::close(fd);
    }
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    const auto start = ProcessorTime();
    std::vector<std::string> notes;
    const auto files = OpenDoll(doll / "doll.cnf", scratch.Prefix())->Files(DollFiles::Reach::Below, notes);
    const auto spent = ProcessorTime() - start;
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(RunProcess("/bin/rm", {"-rf", doll.string()}, scratch.Path().string()).status, 0);
    EXPECT_EQ(std::pair(files, notes),
              std::pair(std::vector<std::string>{(doll / "doll.cnf").string()},
                        std::vector<std::string>{"not looked at: the folders more than 32 below the configuration's"}));
    EXPECT_LT(spent, std::chrono::milliseconds(500));
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 32 * 1024); // KiB
}
#endif

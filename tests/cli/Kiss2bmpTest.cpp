// kiss2bmp through its process: exit statuses, messages, and the sample doll against its
// committed golden output.
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out, err;
};

// Runs a program with the arguments in the given folder, capturing both output streams.
Result RunProgram(const std::string& program, const std::vector<std::string>& arguments,
           const TempDir& scratch, const std::string& workingDirectory = ".")
{
    const std::string outPath = scratch / ".stdout", errPath = scratch / ".stderr";
    const std::string shell = "cd \"$0\" && exec \"$@\" >\"" + outPath + "\" 2>\"" + errPath + "\"";
    std::vector<std::string> args = {"/bin/sh", "-c", shell, workingDirectory, program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    Result r;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) return r;
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadText(outPath);
    r.err = ReadText(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return r;
}

const std::string kTool = KISS2BMP_PATH;
const fs::path kSource = KISS_SOURCE_DIR;
const std::string kSample = (kSource / "samples/pip/pip.cnf").string();

std::set<std::string> FilesIn(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), dir).string());
    return names;
}

TEST(Kiss2bmp, SampleDollConvertsToTheGoldenFilesInEverySet)
{
    for (const char* set : {"0", "1", "2"}) {
        SCOPED_TRACE(set);
        TempDir out;
        const Result r = RunProgram(kTool, {"--set", set, kSample, out.Path().string()}, out);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "palettes: 2\ncels: 5\nreport: " + (out / "pip.txt") + "\n");
        EXPECT_EQ(r.err, "");

        const fs::path golden = kSource / "tests/cli/golden" / (std::string("set") + set);
        ASSERT_EQ(FilesIn(out.Path()), FilesIn(golden));
        for (const std::string& name : FilesIn(golden))
            EXPECT_EQ(ReadFile(out / name), ReadFile((golden / name).string())) << name;
    }
}

TEST(Kiss2bmp, SampleDollGeneratorReproducesTheCommittedSample)
{
    TempDir out;
    const Result r = RunProgram(MAKE_SAMPLE_DOLL_PATH, {out.Path().string()}, out);
    ASSERT_EQ(r.status, 0) << r.err;
    const fs::path committed = kSource / "samples/pip";
    ASSERT_EQ(FilesIn(out.Path()), FilesIn(committed));
    for (const std::string& name : FilesIn(committed))
        EXPECT_EQ(ReadFile(out / name), ReadFile((committed / name).string())) << name;
}

TEST(Kiss2bmp, OutputDefaultsToTheCurrentFolder)
{
    TempDir out;
    const Result r = RunProgram(kTool, {"--set=1", kSample}, out, out.Path().string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "palettes: 2\ncels: 5\nreport: ./pip.txt\n");
    EXPECT_TRUE(fs::exists(out.Path() / "hat.bmp"));
}

struct Refusal {
    std::vector<std::string> arguments;
    int status;
    std::string errStart; // the start of what stderr shows
};

TEST(Kiss2bmp, RefusesBadUseAndReportsFailedRuns)
{
    TempDir out;
    const std::string dir = out.Path().string();
    const std::string usage = "Usage: kiss2bmp";
    const std::vector<Refusal> cases = {
        {{}, 2, "kiss2bmp: no configuration file given\n" + usage},
        {{kSample, dir, "extra"}, 2, "kiss2bmp: too many arguments\n"},
        {{"--bogus", kSample}, 2, "kiss2bmp: unknown option --bogus\n"},
        {{"--set"}, 2, "kiss2bmp: --set needs a set number\n"},
        {{"--set", "10", kSample, dir}, 2, "kiss2bmp: the set number must be 0 to 9, not '10'\n"},
        {{"--set", "-1", kSample, dir}, 2, "kiss2bmp: the set number must be 0 to 9, not '-1'\n"},
        {{"--set", "x", dir + "/missing.cnf", dir}, 1, "ﾌｧｲﾙが見つかりません.\n"},
        {{dir + "/missing.cnf", dir}, 1, "ﾌｧｲﾙが見つかりません.\n"},
        {{kSample, dir + "/no/such/folder"}, 1, "不正なﾌｧｲﾙ名です.\n"},
    };
    for (const Refusal& c : cases) {
        const Result r = RunProgram(kTool, c.arguments, out);
        EXPECT_EQ(r.status, c.status) << c.errStart;
        EXPECT_EQ(r.err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(r.out, "");
    }
    // Usage errors are refused before the run: only the failed runs left their (empty) report.
    EXPECT_EQ(FilesIn(out.Path()), (std::set<std::string>{"missing.txt"}));
    EXPECT_EQ(ReadText(out / "missing.txt"), "");
}

TEST(Kiss2bmp, SetTextThatIsNoNumberFailsInTheRunLikeTheWindow)
{
    for (const std::string set : {"x", "", "1.5"}) {
        TempDir out;
        const Result r = RunProgram(kTool, {"--set", set, kSample, out.Path().string()}, out);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "'" + set + "' は整数ではありません.\n");
        EXPECT_EQ(FilesIn(out.Path()), (std::set<std::string>{"pip.txt"}));
    }
}

TEST(Kiss2bmp, SignsAndLeadingZerosAreAcceptedAsInTheWindow)
{
    TempDir out;
    const Result r = RunProgram(kTool, {"--set", "+02", kSample, out.Path().string()}, out);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(out / "pip.txt"),
              ReadFile((kSource / "tests/cli/golden/set2/pip.txt").string()));
}

TEST(Kiss2bmp, HelpAndVersion)
{
    TempDir out;
    const Result help = RunProgram(kTool, {"--help"}, out);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: kiss2bmp [--set N] [--open] CONFIG.cnf [OUTPUT_DIR]\n", 0), 0u);
    const Result version = RunProgram(kTool, {"--version"}, out);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kiss2bmp ", 0), 0u);
}

// The two dolls made by KiSS artists, where this checkout has them beside it.
TEST(Kiss2bmp, ConvertsRealDollsInEverySet)
{
    const fs::path dolls = KISS_SHARED_DIR "/dolls";
    if (!fs::is_directory(dolls)) GTEST_SKIP() << "no real dolls at " << dolls;
    for (const char* cnf : {"washua/washu.cnf", "boredom/boredom.cnf"}) {
        for (int set = 0; set < 10; ++set) {
            SCOPED_TRACE(std::string(cnf) + " set " + std::to_string(set));
            TempDir out;
            const Result r = RunProgram(kTool, {"--set", std::to_string(set), (dolls / cnf).string(),
                                         out.Path().string()}, out);
            ASSERT_EQ(r.status, 0) << r.err;
            // Every report line names an image that is there, and every image has its line.
            const std::string report = ReadText(out / (fs::path(cnf).stem().string() + ".txt"));
            std::set<std::string> named = {fs::path(cnf).stem().string() + ".txt"};
            for (std::size_t at = 0; (at = report.find("VALUE=\"", at)) != std::string::npos;) {
                at += 7;
                named.insert(report.substr(at, report.find(',', at) - at) + ".bmp");
            }
            EXPECT_EQ(FilesIn(out.Path()), named);
            if (set == 0) {
                EXPECT_GT(named.size(), 10u);
            }
        }
    }
}

} // namespace

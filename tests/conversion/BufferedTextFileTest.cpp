#include "conversion/BufferedTextFile.h"

#include "support/Test.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using Lines = std::vector<std::string>;

static Lines ReadAll(const std::string& path)
{
    BufferedTextFile file;
    Lines lines;
    for (file.OpenForReading(path); !file.AtEnd() && lines.size() < 10000;)
        lines.push_back(file.ReadLine());
    EXPECT_EQ(file.ReadLine(), ""); // at the end: nothing, and no move
    return lines;
}

TEST(BufferedTextFile, LineReadingAndWritingIn128ByteBlocks)
{
    TempDir dir;
    const std::string x127(127, 'x'), x128(128, 'y'),
        deep = dir / (std::string(200, 'a') + "/" + std::string(200, 'b'));
    // clang-format off
    const std::pair<std::string, Lines> rows[] = {
        {"a\r\nb", {"a", "b"}}, {"a\rb", {"a", "b"}}, {"a\nb\r\n", {"a\nb"}}, {"a\r\r\nb", {"a", "", "b"}}, {"a\x1a\r\nb", {"a"}},
        {"\x1a" "abc", {}}, {"\r\r", {"", ""}}, {"", {}}, {"a\0b\r\n\x83\x41\xff"s, {"a\0b"s, "\x83\x41\xff"}},
        // The 128-byte buffer's edge: a CR as its last byte with the LF in the next block, a line end or a Ctrl-Z as
        // the first byte of the next block, a line over two blocks.
        {x127 + "\r\nnext", {x127, "next"}}, {x128 + "\r\nnext", {x128, "next"}}, {x127 + "\r" + x128 + "\r", {x127, x128}},
        {x128 + "\x1a" + "hidden", {x128}}, {x128 + x128 + "\r\n" + x127, {x128 + x128, x127}},
    };
    // clang-format on
    fs::create_directories(deep); // a path longer than 259 bytes is used whole
    for (const auto& [bytes, lines] : rows) {
        WriteFile(deep + "/t", bytes);
        EXPECT_EQ(ReadAll(deep + "/t"), lines) << &bytes - &rows[0].first;
    }
    BufferedTextFile file; // one that failed to open reads nothing, as one never opened
    EXPECT_EQ(MessageOf([&] { file.OpenForReading(dir / "no/doll.cnf"); }), "不正なﾌｧｲﾙ名です");
#ifdef _WIN32
    EXPECT_EQ(MessageOf([&] { file.AtEnd(); }), "I/O ｴﾗｰ (6)"); // ERROR_INVALID_HANDLE
#else
    EXPECT_EQ(MessageOf([&] { file.AtEnd(); }), "I/O ｴﾗｰ (9)"); // EBADF
    file.OpenForReading("/proc/self/mem");                      // nothing is mapped at the start of our address space
    EXPECT_EQ(MessageOf([&] { file.AtEnd(); }), "I/O ｴﾗｰ (5)");
#endif
    // Writing goes out in 128-byte blocks, and a flush only moves bytes to a device.
    WriteFile(dir / "report.txt", std::string(500, '#'));
    BufferedTextFile report, full, cut;
    report.CreateForWriting(dir / "report.txt");
    EXPECT_EQ(ReadText(dir / "report.txt"), ""); // truncated at once
    std::string expected;
    for (int i = 100; i < 119; ++i, report.Flush()) { // a file on disk: a flush moves nothing
        report.WriteText("line " + std::to_string(i));
        report.WriteLineEnd();
        expected += "line " + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(ReadText(dir / "report.txt"), expected.substr(0, 128));
    report.Close();
    EXPECT_EQ(ReadText(dir / "report.txt"), expected);
#ifndef _WIN32
    full.CreateForWriting("/dev/full"); // a device that refuses every write shows when bytes really go out
    full.WriteText("abc");
    EXPECT_EQ(MessageOf([&] { full.Flush(); }), "I/O ｴﾗｰ (28)");
    full.WriteText(std::string(127, 'a'));
    EXPECT_EQ(MessageOf([&] { full.WriteText("b"); }), "I/O ｴﾗｰ (28)");
    rlimit limit{}; // a file size limit cuts a block short: the disk is as good as full
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{100, limit.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    cut.CreateForWriting(dir / "cut.txt");
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_EQ(MessageOf([&] { cut.WriteText(std::string(128, 'c')); }), "I/O ｴﾗｰ (28)");
    BufferedTextFile kept; // a replacing file cut short at its close keeps what reached the disk under its name
    kept.CreateReplacing(platform::Folder::Open(dir.Path().string()), "kept.txt", dir / "kept.txt");
    kept.WriteText(std::string(120, 'k'));
    EXPECT_EQ(MessageOf([&] { kept.Close(); }), "I/O ｴﾗｰ (28)");
    EXPECT_EQ(ReadText(dir / "kept.txt"), std::string(100, 'k'));
    setrlimit(RLIMIT_FSIZE, &limit);
#endif // Windows has no such device
}

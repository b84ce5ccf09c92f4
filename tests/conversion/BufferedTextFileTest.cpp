#include "conversion/BufferedTextFile.h"
#include "conversion/TextErrors.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

Lines ReadAll(const std::string& path) {
    BufferedTextFile file;
    file.OpenForReading(path);
    Lines lines;
    while (!file.AtEnd() && lines.size() < 10000)
        lines.push_back(file.ReadLine());
    EXPECT_EQ(file.ReadLine(), ""); // at the end: nothing, and no move
    EXPECT_TRUE(file.AtEnd());
    file.Close();
    return lines;
}

TEST(BufferedTextFile, LineReading) {
    const std::string x127(127, 'x'), x128(128, 'y'), x1000(1000, 'z');
    struct Row {
        std::string bytes;
        Lines lines;
    };
    // clang-format off
    const Row rows[] = {
        {"a\r\nb", {"a", "b"}}, {"a\rb", {"a", "b"}}, {"a\nb\r\n", {"a\nb"}}, {"a\r\r\nb", {"a", "", "b"}},
        {"a\x1a\r\nb", {"a"}}, {"a\r\n\x1a\r\nb", {"a"}}, {"\x1a" "abc", {}}, {"a", {"a"}},
        {"a\r\n", {"a"}}, {"\r\n", {""}}, {"\r\r", {"", ""}}, {"", {}},
        {"a\0b\r\n\x83\x41\xff"s, {"a\0b"s, "\x83\x41\xff"}}, {x1000 + "\r\nq", {x1000, "q"}},
        // The 128-byte buffer's edge: a CR as its last byte with the LF in the next block,
        // a line end and a Ctrl-Z as the first byte of the next block.
        {x127 + "\r\nnext", {x127, "next"}}, {x128 + "\r\nnext", {x128, "next"}},
        {x127 + "\r" + x128 + "\r", {x127, x128}}, {x128 + "\x1a" + "hidden", {x128}},
        {x128 + x128 + "\r\n" + x127, {x128 + x128, x127}},
    };
    // clang-format on
    TempDir dir;
    int n = 0;
    for (const Row& r : rows) {
        const std::string path = dir / ("t" + std::to_string(n++));
        WriteFile(path, r.bytes);
        EXPECT_EQ(ReadAll(path), r.lines) << "row " << n;
    }
}

TEST(BufferedTextFile, WritingGoesOutIn128ByteBlocks) {
    TempDir dir;
    const std::string path = dir / "report.txt";
    WriteFile(path, std::string(500, '#'));
    BufferedTextFile file;
    file.CreateForWriting(path);
    EXPECT_EQ(ReadText(path), ""); // truncated at once, before any block is written

    std::string expected;
    for (int i = 0; i < 19; ++i) { // 19 x (8 + 2) + 10 = 200 bytes
        const std::string piece = "line " + std::to_string(100 + i);
        file.WriteText(piece);
        file.WriteLineEnd();
        file.Flush(); // a file on disk: nothing moves
        expected += piece + "\r\n";
    }
    file.WriteText("0123456789");
    expected += "0123456789";
    ASSERT_EQ(expected.size(), 200u);
    EXPECT_EQ(ReadText(path), expected.substr(0, 128));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadText(path), expected);
}

template <class Action> void ExpectInOutError(Action action, const std::string& message, int code) {
    try {
        action();
        ADD_FAILURE() << "no error, expected " << message;
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), message);
        EXPECT_EQ(e.ErrorCode(), code);
    }
}

TEST(BufferedTextFile, FlushOnACharacterDeviceHandsTheBytesOn) {
    BufferedTextFile null;
    null.CreateForWriting("/dev/null");
    null.WriteText("abc");
    null.Flush();
    null.Close();

    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    BufferedTextFile full; // a device that refuses every write shows when bytes really go out
    full.CreateForWriting("/dev/full");
    full.WriteText("abc");
    ExpectInOutError([&] { full.Flush(); }, "I/O ｴﾗｰ (" + std::to_string(ENOSPC) + ")", ENOSPC);
    full.WriteText(std::string(127, 'a'));
    ExpectInOutError([&] { full.WriteText("b"); }, "I/O ｴﾗｰ (" + std::to_string(ENOSPC) + ")",
                     ENOSPC);
}

TEST(BufferedTextFile, OpenErrors) {
    TempDir dir;
    WriteFile(dir / "plain", "x");
    const std::string longName(300, 'n');
    struct Row {
        std::string path;
        bool forWriting;
        std::string message;
        int code;
    };
    const Row rows[] = {
        {dir / "missing.cnf", false, "ﾌｧｲﾙが見つかりません", ENOENT},
        {dir / "no/doll.cnf", false, "不正なﾌｧｲﾙ名です", ENOENT},
        {dir / "no/doll.txt", true, "不正なﾌｧｲﾙ名です", ENOENT},
        {dir / "plain/doll.cnf", false, "不正なﾌｧｲﾙ名です", ENOTDIR},
        {dir / longName, false, "不正なﾌｧｲﾙ名です", ENAMETOOLONG},
        {dir.Path().string(), false, "ﾌｧｲﾙへのｱｸｾｽが拒否されました", EISDIR},
        {dir.Path().string(), true, "ﾌｧｲﾙへのｱｸｾｽが拒否されました", EISDIR},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        BufferedTextFile file;
        ExpectInOutError(
            [&] { r.forWriting ? file.CreateForWriting(r.path) : file.OpenForReading(r.path); },
            r.message, r.code);
        EXPECT_FALSE(file.IsOpen());
    }
    if (geteuid() != 0) { // the superuser is never refused
        std::filesystem::permissions(dir / "plain", std::filesystem::perms::none);
        BufferedTextFile file;
        ExpectInOutError([&] { file.OpenForReading(dir / "plain"); },
                         "ﾌｧｲﾙへのｱｸｾｽが拒否されました", EACCES);
    }
}

TEST(BufferedTextFile, PathsLongerThan259BytesAreUsedWhole) {
    TempDir dir;
    std::string path = dir.Path().string();
    for (int i = 0; i < 6; ++i) {
        path += "/" + std::string(50, static_cast<char>('a' + i));
        std::filesystem::create_directory(path);
    }
    path += "/doll.cnf";
    ASSERT_GT(path.size(), 300u);
    WriteFile(path, "%doll.kcf\r\n");
    EXPECT_EQ(ReadAll(path), Lines{"%doll.kcf"});
}

TEST(BufferedTextFile, AReadFailureRaisesWithTheSystemsNumber) {
    // Reading the first bytes of our own address space fails: nothing is mapped there.
    BufferedTextFile file;
    try {
        file.OpenForReading("/proc/self/mem");
    } catch (const EInOutError&) {
        GTEST_SKIP() << "no /proc/self/mem";
    }
    ExpectInOutError([&] { file.AtEnd(); }, "I/O ｴﾗｰ (" + std::to_string(EIO) + ")", EIO);
}

} // namespace

#include "platform/File.h"
#include "platform/Exception.h"
#include "support/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using platform::ErrorKind;
using platform::File;

TEST(File, AFolderDoesNotOpenAsAFile) {
    TempDir dir;
    File f = File::OpenForReading(dir.Path().string());
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(platform::LastError(), EISDIR);
    EXPECT_FALSE(File::CreateForWriting(dir.Path().string()).IsOpen());
}

TEST(File, CreateTruncatesAndReadDeliversEverything) {
    TempDir dir;
    const std::string path = dir / "f.txt";
    WriteFile(path, Bytes(100, 'x'));
    {
        File f = File::CreateForWriting(path);
        ASSERT_TRUE(f.IsOpen());
        EXPECT_EQ(f.Size(), 0);
        EXPECT_FALSE(f.IsCharacterDevice());
        EXPECT_EQ(f.Write("abc", 3), 3);
        char byte = 0;
        EXPECT_EQ(f.Read(&byte, 1), -1); // opened for writing only
        EXPECT_TRUE(f.Close());
        EXPECT_FALSE(f.IsOpen());
    }
    File f = File::OpenForReading(path);
    ASSERT_TRUE(f.IsOpen());
    EXPECT_EQ(f.Size(), 3);
    char buffer[8] = {};
    EXPECT_EQ(f.Read(buffer, sizeof buffer), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(f.Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(f.Write("z", 1), -1); // opened for reading only

    File moved = std::move(f);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
}

TEST(File, CharacterDevice) {
    File in = File::OpenForReading("/dev/null");
    ASSERT_TRUE(in.IsOpen());
    EXPECT_TRUE(in.IsCharacterDevice());
    char byte = 0;
    EXPECT_EQ(in.Read(&byte, 1), 0);
    File out = File::CreateForWriting("/dev/null");
    ASSERT_TRUE(out.IsOpen());
    EXPECT_TRUE(out.IsCharacterDevice());
    EXPECT_EQ(out.Write("abc", 3), 3);
}

TEST(File, ClassifyError) {
    TempDir dir;
    WriteFile(dir / "file", "x");
    struct Row {
        int error;
        std::string path;
        ErrorKind kind;
    };
    // clang-format off
    const Row rows[] = {
        {ENOENT, dir / "missing.cnf", ErrorKind::FileNotFound},
        {ENOENT, dir / "no/missing.cnf", ErrorKind::PathNotFound},
        {ENOENT, "missing-here.cnf", ErrorKind::FileNotFound}, // the current folder exists
        {ENOTDIR, dir / "file/x", ErrorKind::PathNotFound}, {ENAMETOOLONG, "x", ErrorKind::PathNotFound},
        {EMFILE, "x", ErrorKind::TooManyOpenFiles}, {ENFILE, "x", ErrorKind::TooManyOpenFiles},
        {EACCES, "x", ErrorKind::AccessDenied}, {EPERM, "x", ErrorKind::AccessDenied},
        {EROFS, "x", ErrorKind::AccessDenied}, {EISDIR, "x", ErrorKind::AccessDenied},
        {EIO, "x", ErrorKind::Other}, {ENOSPC, "x", ErrorKind::Other}, {0, "x", ErrorKind::Other},
    };
    // clang-format on
    for (const Row& r : rows)
        EXPECT_EQ(platform::ClassifyError(r.error, r.path), r.kind) << r.error << " " << r.path;
}

TEST(Exception, FormatMessageFillsItsOnePlace) {
    EXPECT_EQ(FormatMessage("ﾌｧｲﾙ %s は開けません", "C:\\a b"), "ﾌｧｲﾙ C:\\a b は開けません");
    EXPECT_EQ(FormatMessage("I/O ｴﾗｰ (%d)", "28"), "I/O ｴﾗｰ (28)");
    EXPECT_EQ(FormatMessage("'%s' は整数ではありません", "%d"), "'%d' は整数ではありません");
    EXPECT_EQ(FormatMessage("no mark", "x"), "no mark");
    EXPECT_STREQ(EOutOfMemory().what(), "ﾒﾓﾘが足りません");
}

} // namespace

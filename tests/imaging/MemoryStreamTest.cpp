#include "KissBytes.h"

#include "imaging/StreamErrors.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {

using kissbytes::StreamOf;

Bytes Content(const MemoryStream& s) {
    return Bytes(s.Data(), s.Data() + s.Size());
}

template <class E> std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "(no error)";
}

TEST(MemoryStream, ReadsCopyWhatIsThereAndLeaveTheRestUntouched) {
    MemoryStream s = StreamOf({1, 2, 3, 4, 5});
    std::uint8_t d[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(s.Read(d, 3), 3u);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Read(d, 4), 2u); // only two left
    EXPECT_EQ(Bytes(d, d + 4), (Bytes{4, 5, 3, 0xEE}));
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.Read(d, 4), 0u);
    s.Seek(100);
    EXPECT_EQ(s.Read(d, 4), 0u);
    EXPECT_EQ(Bytes(d, d + 4), (Bytes{4, 5, 3, 0xEE}));
    s.Seek(-5);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, WritesLengthenAndSetSizeDiscards) {
    MemoryStream s = StreamOf({1, 2, 3, 4, 5});
    s.Seek(3);
    const std::uint8_t w[] = {7, 8, 9};
    s.Write(w, 3);
    EXPECT_EQ(Content(s), (Bytes{1, 2, 3, 7, 8, 9}));
    s.Seek(8);
    s.Write(w, 1); // a gap before the write reads as 0
    EXPECT_EQ(Content(s), (Bytes{1, 2, 3, 7, 8, 9, 0, 0, 7}));
    s.SetSize(3);
    EXPECT_EQ(Content(s), (Bytes{0, 0, 0}));
    EXPECT_EQ(s.Position(), 0);

    for (const std::int64_t size : {std::int64_t{-1}, MemoryStream::kMaxSize + 1}) {
        EXPECT_EQ(MessageOf<EStreamMemoryError>([&] { s.SetSize(size); }),
                  "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました");
        s.SetSize(2);
        EXPECT_EQ(Content(s), (Bytes{0, 0}));
    }
    s.Seek(MemoryStream::kMaxSize);
    EXPECT_EQ(MessageOf<EStreamMemoryError>([&] { s.Write(w, 1); }),
              "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました");
}

TEST(MemoryStream, LoadAndSaveFiles) {
    TempDir dir;
    const std::string in = dir / "in.cel", out = dir / "out.bin", empty = dir / "empty";
    WriteFile(in, Bytes{9, 8, 7, 6});
    WriteFile(empty, Bytes{});
    WriteFile(out, Bytes(300, 0x55));

    MemoryStream s = StreamOf({1, 2, 3, 4, 5, 6, 7, 8});
    s.Seek(6);
    s.LoadFromFile(in);
    EXPECT_EQ(Content(s), (Bytes{9, 8, 7, 6}));
    EXPECT_EQ(s.Position(), 0);
    s.SaveToFile(out); // replaces the longer file wholly
    EXPECT_EQ(ReadFile(out), (Bytes{9, 8, 7, 6}));
    s.LoadFromFile(empty);
    EXPECT_EQ(s.Size(), 0);

    const std::string missing = dir / "missing.cel", folder = dir.Path().string();
    for (const std::string& path : {missing, folder})
        EXPECT_EQ(MessageOf<EFileOpenError>([&] { s.LoadFromFile(path); }),
                  "ﾌｧｲﾙ " + path + " は開けません");
    const std::string unmade = dir / "no/out.bin";
    EXPECT_EQ(MessageOf<EFileCreateError>([&] { s.SaveToFile(unmade); }),
              "ﾌｧｲﾙ " + unmade + " を作成できません");
}

TEST(MemoryStream, AWriteThatTheDeviceRefusesRaises) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const MemoryStream s = StreamOf({1, 2, 3});
    EXPECT_EQ(MessageOf<EStreamWriteError>([&] { s.SaveToFile("/dev/full"); }),
              "ｽﾄﾘｰﾑへの書き込みｴﾗｰ");
}

} // namespace

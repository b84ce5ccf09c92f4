#include "archives/Archive.h"
#include "archives/HeaderBytes.h"
#include "support/Test.h"

#include <cctype>
#include <clocale>
#include <map>
#include <numeric>

namespace {

using Reader = std::vector<ArchiveMember> (*)(const std::string&, const std::string&);
using Files = std::map<std::string, std::string>; // name: bytes
const Reader Lzh = ReadLzh, Zip = ReadZip;
const std::string kArchives = KISS_SOURCE_DIR "/samples/archives/", kDoll = KISS_SOURCE_DIR "/samples/pip/";

// clang-format off
int Same(int c) { return c; }
std::string Cased(std::string text, int (*to)(int)) { for (char& c : text) c = char(to(c)); return text; }
std::string Sample(const std::string& name) { return ReadText(kArchives + name); }
Files Folder(const fs::path& folder, const std::string& prefix = "", int (*to)(int) = Same, const fs::path& leftOut = "")
{ Files files; for (const auto& file : fs::directory_iterator(folder)) if (file.path().filename() != leftOut) files[prefix + Cased(file.path().filename().string(), to)] = ReadText(file.path()); return files; }
Files Read(Reader read, const std::string& bytes) { Files f; for (auto& [n, d] : read(bytes, "a")) EXPECT_TRUE(f.emplace(n, d).second) << n; return f; }

// A level 0 header of a stored member stating an unpacked size, then its data (its CRC: 0, that of no data).
std::string Header(const std::string& name, std::uint32_t stated, const std::string& data = "", std::string method = "-lh0-")
{
    const auto u32 = [](std::size_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string h = method + u32(data.size()) + u32(stated) + u32(0) + " "s + '\0' + char(name.size()) + name + "\0\0"s;
    return char(h.size()) + std::string(1, char(std::accumulate(h.begin(), h.end(), 0))) + h + data;
}
// clang-format on

TEST(Archives, HoldTheSampleDollAsStoredAndKeepShiftJisAndUtf8NamesInAnyLocale)
{
    // clang-format off
    const std::tuple<std::string, Reader, std::string, int (*)(int), std::string> rows[] = { // archive, reader, folder, case, left out
        {"pip-lh5-level0.lzh", Lzh, "pip/", Same, ""}, {"pip-lh5-level1.lzh", Lzh, "PIP/", ::toupper, ""},
        {"pip-lh5-level2.lzh", Lzh, "pip/", Same, ""}, {"pip-lh0.lzh", Lzh, "", Same, "back.cel"}, {"pip.zip", Zip, "pip/", Same, ""}};
    // clang-format on
    for (const auto& [archive, read, folder, to, leftOut] : rows)
        EXPECT_EQ(Read(read, Sample(archive)), Folder(kDoll, folder, to, leftOut)) << archive;
    const std::string hat = ReadText(kDoll + "hat.cel"), hair = ReadText(kDoll + "hair.cel"),
                      kcf = ReadText(kDoll + "pip.kcf");
#ifdef _WIN32
    const char* const locales[] = {"Japanese_Japan.932", "C"};
#else
    const char* const locales[] = {"C.UTF-8", "C"};
#endif
    for (const char* locale : locales) { // "表" is 0x95 0x5C in Shift-JIS; the 0x5C of one name is a separator
        ASSERT_TRUE(std::setlocale(LC_ALL, locale)) << locale;
        EXPECT_EQ(
            Read(Lzh, Sample("sjis-5c.lzh")),
            (Files{{"\x95\x5c/\x95\x5c.CEL", hat}, {"\x95\x5c/\x95\x5cx.CEL", hair}, {"\x95\x5c/\x95\x5cy.CEL", kcf}}));
        EXPECT_EQ(Read(Zip, Sample("sjis-utf8.zip")), (Files{{"\x95\x5c.CEL", hat}, {"あ/表.cel", hair}}));
    }
}

TEST(Archives, RefuseDamageLimitsAndNamesOutside)
{
    const std::string lh0 = Sample("pip-lh0.lzh"), lh5 = Sample("pip-lh5-level2.lzh"), zip = Sample("pip.zip");
    const std::size_t local = zip.find("pip/pip.cnf") - 30, central = zip.rfind("pip/pip.cnf") - 46; // its two headers
    const auto zipWith = [&](const std::vector<std::pair<std::size_t, std::string>>& parts) {
        std::string patched = zip;
        for (const auto& [at, part] : parts)
            patched.replace(at, part.size(), part);
        return patched;
    };
    const std::string unreadable = "書庫 a を読めません", outside = " は書庫の外を指します", xIs = "書庫 a のﾌｧｲﾙ x ";
    const std::string cnf = "書庫 a のﾌｧｲﾙ pip/pip.cnf ", x = Header("x", 0), big = Header("x", 64 << 20);
    const HeaderBytes header("\x01\x02\x03", EArchiveError("e")); // little-endian fields inside the bytes, or none
    EXPECT_EQ(std::tuple(header.Field(0, 3), header.Field(3, 0), MessageOf([&] { header.Field(2, 2); }),
                         MessageOf([&] { header.Part(4, 0); })),
              std::tuple(std::uint64_t{0x030201}, std::uint64_t{0}, "e"s, "e"s));
    // clang-format off
    const std::tuple<Reader, std::string, std::string> rows[] = {
        {Lzh, Sample("bad-crc.lzh"), "書庫 a のﾌｧｲﾙ body.cel はCRCが一致しません"}, {Lzh, "", unreadable},
        {Lzh, lh0.substr(0, 20), unreadable}, {Lzh, zip, unreadable}, {Lzh, lh0.substr(0, lh0.size() - 1) + "x", unreadable},
        {Lzh, lh0.substr(0, 100), "書庫 a のﾌｧｲﾙ pip.cnf は途中で切れています"}, {Lzh, lh0.substr(0, lh0.size() - 2), "書庫 a のﾌｧｲﾙ shirt.cel は途中で切れています"},
        {Lzh, lh5.substr(0, lh5.size() - 10), "書庫 a のﾌｧｲﾙ pip/pip.kcf は途中で切れています"}, {Lzh, Header("x\0y"s, 0), unreadable},
        {Lzh, Header("..\\x", 0) + "\0"s, "書庫 a のﾌｧｲﾙ名 ../x" + outside}, {Lzh, Header("\\x", 0), "書庫 a のﾌｧｲﾙ名 /x" + outside},
        {Lzh, Header("d:x", 0), "書庫 a のﾌｧｲﾙ名 d:x" + outside}, {Lzh, Header("x\xff..", 0), "書庫 a のﾌｧｲﾙ名 x/.." + outside},
        {Lzh, Header("\x81\\..", 0) + "\0"s, "(no error)"}, // 0x81 leads a Shift-JIS character: its 0x5C is no separator
        {Lzh, Header("x", 0, "", "-lh9-"), xIs + "の圧縮方式 -lh9- には対応していません"},
        {Lzh, Header("x", (64 << 20) + 1), xIs + "は大きすぎます (最大 64 MiB)"}, {Lzh, big, xIs + "は途中で切れています"},
        {Lzh, Repeat(big, 17), "書庫 a は展開すると大きすぎます (最大 1 GiB)"}, {Lzh, Repeat(big, 16), xIs + "は途中で切れています"},
        {Lzh, Repeat(x, 65537), "書庫 a のﾌｧｲﾙが多すぎます (最大 65536)"}, {Lzh, Repeat(x, 65536) + "\0"s, "(no error)"}, {Lzh, "\0"s, "(no error)"},
        {Zip, lh0, unreadable}, {Zip, zip.substr(0, zip.size() - 1), unreadable}, {Zip, zipWith({{central, "PK\1\3"}}), unreadable},
        {Zip, zipWith({{central + 42, "\xff\xff"s}}), unreadable}, // a local header past the end
        {Zip, zip + std::string(0x10000, '\0'), unreadable}, // the end record is followed by no more than a 64 KiB comment
        {Zip, zipWith({{local + 30, "pip/../../x"}, {central + 46, "pip/../../x"}}), "書庫 a のﾌｧｲﾙ名 pip/../../x" + outside},
        {Zip, zipWith({{local + 30, "/pip/pip.cn"}, {central + 46, "/pip/pip.cn"}}), "書庫 a のﾌｧｲﾙ名 /pip/pip.cn" + outside},
        {Zip, zipWith({{central + 24, "\x01\0\0\x04"s}}), cnf + "は大きすぎます (最大 64 MiB)"}, // unpacked size
        {Zip, zipWith({{central + 24, "\xd4\x02"s}}), cnf + "は途中で切れています"}, {Zip, zipWith({{central + 16, "x"}}), cnf + "はCRCが一致しません"}, // 724: one too many
        {Zip, zipWith({{local + 8, "\x11"}, {central + 10, "\x11"}}), cnf + "の圧縮方式 17 には対応していません"},
        {Zip, zipWith({{local + 6, "\x01"}, {central + 8, "\x01"}}), cnf + "の圧縮方式 8 (暗号化) には対応していません"}};
    // clang-format on
    for (const auto& [read, bytes, message] : rows)
        EXPECT_EQ(MessageOf<EArchiveError>([&read = read, &bytes = bytes] { read(bytes, "a"); }), message)
            << bytes.size() << " bytes";
}

TEST(Archives, RealDollsAreTheirUnpackedFolders)
{
    const fs::path dolls = KISS_SOURCE_DIR "/../shared/dolls";
    if (!fs::is_directory(dolls)) GTEST_SKIP() << "no real dolls at " << dolls;
    for (const auto& archive : fs::directory_iterator(dolls)) {
        if (archive.path().extension() != ".lzh") continue;
        Files read;
        for (const auto& [name, data] : Read(Lzh, ReadText(archive.path())))
            read[Cased(name, ::tolower)] = data; // stored in capitals, unpacked in lower case
        EXPECT_EQ(read, Folder(fs::path(archive.path()).replace_extension())) << archive.path();
    }
}

} // namespace

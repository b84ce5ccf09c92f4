#include "archives/Archive.h"
#include "archives/Crc.h"
#include "archives/HeaderBytes.h"
#include "support/Test.h"

#include <cctype>
#include <clocale>
#include <iostream>
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

std::string U16(std::size_t v) { return {char(v), char(v >> 8)}; }
std::string U32(std::size_t v) { return U16(v) + U16(v >> 16); }
// A level 0 header of a stored member stating an unpacked size, then its data (its CRC: 0, that of no data, unless given).
std::string Header(const std::string& name, std::uint32_t stated, const std::string& data = "", std::string method = "-lh0-", std::uint32_t crc = 0)
{
    const std::string h = method + U32(data.size()) + U32(stated) + U32(0) + " "s + '\0' + char(name.size()) + name + U16(crc);
    return char(h.size()) + std::string(1, char(std::accumulate(h.begin(), h.end(), 0))) + h + data;
}
// A level 2 header as a viewer writes it, then its data, stored: the CRC of the whole header (extended header 0), the
// file name (1) and the folder (2, none when empty, 0xFF after each), by default an -lhd- member; the data's own CRC.
std::string Level2(const std::string& name, const std::string& data, const std::string& folder = "", std::string method = "-lhd-")
{
    const std::string path = folder.empty() ? "" : folder + "\xff";
    std::string h = method + U32(data.size()) + U32(data.size()) + U32(0) + " \x02"s + U16(LhaCrc(data)) + "M" + U16(5) + "\0\0\0"s +
                    U16(3 + name.size()) + "\x01" + name + U16(3 + path.size()) + "\x02" + path + U16(0);
    h = U16(h.size() + 2) + h;
    return h.replace(27, 2, U16(LhaCrc(h))) + data;
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
        {Lzh, lh0.substr(0, 20), unreadable}, {Lzh, zip, unreadable}, {Lzh, zip.substr(0, 30), unreadable},
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

// Members as viewers write them: an -lhd- member (a folder's mark) with a file name and data is a file, stored, its CRC
// checked; liblhasa refuses its header and ends its list there as at the archive's end, so it is read here and liblhasa
// goes on after it. After the last member: the end mark, or bytes that begin no header (padding); a header there that
// cannot be read is damage, though Debian's lha lists the members before it and says nothing.
TEST(Archives, ReadLhdMembersWithDataAsStoredFilesAndRefuseDamageAfterTheLastMember)
{
    // clang-format off
    const auto flip = [](std::string bytes, std::size_t at) { bytes[at] ^= 1; return bytes; };
    const std::string cnf = "%a.kcf\r\n#0 a.cel\r\n", cel = "cel bytes", lhd = Level2("x.cnf", cnf), x = Header("x", 0), lh0 = Sample("pip-lh0.lzh");
    const std::string level0 = Header("a.cel", cel.size(), cel, "-lhd-", LhaCrc(cel)), unreadable = "書庫 a を読めません";
    const Files lhdRead{{"x.cnf", cnf}};
    const std::tuple<std::string, std::string, Files> rows[] = { // archive, message, members
        {lhd + "\0"s, "(no error)", lhdRead}, {lhd, "(no error)", lhdRead}, // liblhasa reads nothing of it
        {x + lhd + Header("y", 0) + "\0"s, "(no error)", {{"x", ""}, {"x.cnf", cnf}, {"y", ""}}}, // liblhasa on after it
        {lhd + Level2("a.cel", cel) + x, "(no error)", {{"x.cnf", cnf}, {"a.cel", cel}, {"x", ""}}},
        {Level2("a.cel", cel, "d\xff" "e") + "\0"s, "(no error)", {{"d/e/a.cel", cel}}}, // one liblhasa reads, in a folder
        {level0 + "\0"s, "(no error)", {{"a.cel", cel}}},
        {Level2("", "", "d") + Header("d\\y", 0) + Level2("z", "") + "\0"s, "(no error)", {{"d/y", ""}}}, // folders
        {Level2("", "data", "d") + "\0"s, "(no error)", {}}, // a folder's data, as lha skips it
        {flip(lhd, lhd.size() - 1) + "\0"s, "書庫 a のﾌｧｲﾙ x.cnf はCRCが一致しません", {}},
        {lhd.substr(0, lhd.size() - 1), "書庫 a のﾌｧｲﾙ x.cnf は途中で切れています", {}},
        {Level2("x\xff..", cnf), "書庫 a のﾌｧｲﾙ名 x/.. は書庫の外を指します", {}},
        {Level2("x.cnf", cnf, "", "-lh9-"), "書庫 a のﾌｧｲﾙ x.cnf の圧縮方式 -lh9- には対応していません", {}},
        {flip(lhd, 31), unreadable, {}}, {flip(level0, 1), unreadable, {}}, {lhd.substr(0, 30), unreadable, {}}, // header CRC, checksum
        {lhd + Header("y", 0, "", "-xyz-"), unreadable, {}}, // a method liblhasa would look past for an archive's start
        {lh0.substr(0, lh0.size() - 1) + std::string(100, '\x1a'), "(no error)", Read(Lzh, lh0)},
        {flip(x + x + "\0"s, x.size() + 1), unreadable, {}}}; // the second header's checksum
    // clang-format on
    for (const auto& [bytes, message, members] : rows) {
        Files read;
        EXPECT_EQ(MessageOf<EArchiveError>([&bytes = bytes, &read] { read = Read(Lzh, bytes); }), message)
            << bytes.size();
        EXPECT_EQ(read, members) << bytes.size() << " bytes";
    }
}

// The shared dolls and test sets are their unpacked folders (names stored in capitals, unpacked in lower case), but for
// the members Debian's lha leaves packed: each -lhd- member with data, and in uk_arithmetic.lzh what follows its first.
TEST(Archives, RealDollsAreTheirUnpackedFolders)
{
    const fs::path shared = KISS_SOURCE_DIR "/../shared";
    std::error_code error; // a set that is not there: no archives
    // clang-format off
    using Sizes = std::map<std::string, std::size_t>;
    const std::map<std::string, Sizes> leftPacked = { // archive: member, size
        {"uk_arithmetic.lzh", {{"fkiss5.cnf", 6870}, {"back.kcf", 83}}},
        {"uk_balls.LZH", {{"ball.gif", 1992}, {"ball.kcf", 800}, {"ballg.cel", 1328}, {"ballg.gif", 1971}, {"ballg.kcf", 800},
                          {"ballr.cel", 1328}, {"ballr.gif", 1971}, {"ballr.kcf", 800}, {"balls.cnf", 42972}, {"readme.txt", 178}}}};
    // clang-format on
    for (const std::string set : {"dolls", "kiss-tests"}) {
        if (!fs::is_directory(shared / set)) std::cout << "[  SKIPPED ] no " << set << " at " << (shared / set) << "\n";
        for (const auto& archive : fs::directory_iterator(shared / set, fs::directory_options::none, error)) {
            if (Cased(archive.path().extension().string(), ::tolower) != ".lzh") continue;
            const auto left = leftPacked.find(archive.path().filename().string());
            Sizes sizes = left != leftPacked.end() ? left->second : Sizes{}, readSizes;
            Files read;
            for (const auto& [name, data] : Read(Lzh, ReadText(archive.path())))
                readSizes[Cased(name, ::tolower)] = (read[Cased(name, ::tolower)] = data).size();
            const fs::path folder = fs::path(archive.path()).replace_extension();
            bool same = true; // the bytes of each unpacked file
            for (const auto& [name, data] : fs::is_directory(folder) ? Folder(folder, "", ::tolower) : Files{}) {
                sizes[name] = data.size();
                same = same && read[name] == data;
            }
            EXPECT_EQ(readSizes, sizes) << archive.path();
            EXPECT_TRUE(same) << archive.path();
        }
    }
}

} // namespace

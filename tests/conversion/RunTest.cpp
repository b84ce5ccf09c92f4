// The conversion run as a table: each row prepares a copy of the sample doll beside an output folder, with decoys
// above, beside and inside it, and runs it once. Every row checks the exact message, which files the run made or
// changed (every other file stays as it was, byte for byte), the report, that the editor starts only after success,
// and that every image it left is a whole BMP. A few rows also run through kiss2bmp. Ids match the README's table.
#include "archives/Archive.h"
#include "conversion/ConvertConfiguration.h"
#include "platform/File.h"
#include "platform/Folder.h"

#include "support/RecordingControls.h"
#include "support/Test.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const std::string kSample = KISS_SOURCE_DIR "/samples/pip/";

// clang-format off
struct Scene {
    Scene()
    {
        fs::create_directories(out), fs::copy(fs::path(kSample).parent_path(), doll), // no "/" after a folder to copy: MinGW fails it
            fs::copy_file(kSample + "body.cel", root + "work/evil.cel");
        for (const char* decoy : {"above.txt", "work/evil.bmp", "work/out/keep.dat", "work/out/other.bmp"}) WriteFile(root + decoy, decoy);
    }
    ~Scene() { for (auto& undo : atEnd) undo(); }
    void Put(const std::string& name, const std::string& bytes) const { WriteFile(doll + name, bytes); }
    // Every file and folder under the root, named relative to the output folder, with its bytes; links with their target.
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(root))
            files[e.path().lexically_relative(out).generic_string() + (e.is_directory() && !e.is_symlink() ? "/" : "")] = e.is_symlink()
                ? "-> " + fs::read_symlink(e.path()).string() // FIFOs are not opened: that would wait for a writer
                : e.is_regular_file() ? (std::ostringstream() << std::ifstream(e.path(), std::ios::binary).rdbuf()).str() : "";
        return files;
    }

    TempDir temp;
    std::string root = temp.Prefix(), doll = root + "work/doll/", out = root + "work/out", config = doll + "pip.cnf", setText = "0", skip;
    std::vector<std::function<void()>> atEnd;
    int signal = 0; // raised once the set is read, with the run's handlers in place
    std::function<void()> duringRun;
};

using Prepare = std::function<void(Scene&)>;
std::string Sample(const std::string& name) { return ReadText(kSample + name); }
Prepare Cnf(const std::string& text) { return [=](Scene& s) { s.Put("pip.cnf", text); }; }
Prepare Edit(const std::string& from, const std::string& to) // in the sample's configuration
{ return [=](Scene& s) { std::string t = Sample("pip.cnf"); s.Put("pip.cnf", t.replace(t.find(from), from.size(), to)); }; }
Prepare Put(const std::string& name, const std::string& bytes) { return [=](Scene& s) { s.Put(name, bytes); }; }
Prepare Patch(const std::string& name, std::size_t at, const std::string& b) { return [=](Scene& s) { s.Put(name, Sample(name).replace(at, b.size(), b)); }; }
Prepare Folder(const std::string& path) { return [=](Scene& s) { fs::create_directory(s.root + path); }; }
Prepare Link(const std::string& name, const std::string& target) { return [=](Scene& s) { fs::create_symlink(s.root + target, s.out + "/" + name); }; }
Prepare Remove(const std::string& name) { return [=](Scene& s) { fs::remove(s.doll + name); }; }
Prepare SetText(const std::string& text) { return [=](Scene& s) { s.setText = text; }; }
Prepare Both(Prepare a, Prepare b) { return [=](Scene& s) { a(s), b(s); }; }
// The doll folder as it stands, zipped (names in sorted order) into work/doll.zip, which becomes the input: ARCHIVE or ARCHIVE/MEMBER.
Prepare Zipped(const std::string& member = "") { return [=](Scene& s) {
    if (!kReadsArchives) return void(s.skip = "this build reads no archives");
    std::vector<std::string> args = {"-q", "-X", s.root + "work/doll.zip"};
    for (const auto& e : fs::directory_iterator(s.doll)) args.push_back(e.path().filename().string());
    std::sort(args.begin() + 3, args.end()), RunProcess("/usr/bin/zip", args, s.root + "work", s.doll);
    s.config = s.root + "work/doll.zip" + (member.empty() ? "" : "/" + member); }; }
Prepare Archive(const std::string& name, const std::string& member) { return [=](Scene& s) { // one of our committed archives
    if (!kReadsArchives) return void(s.skip = "this build reads no archives");
    fs::copy_file(KISS_SOURCE_DIR "/samples/archives/" + name, s.root + "work/" + name), s.config = s.root + "work/" + name + "/" + member; }; }
const std::string kSjis = "\x95\x5C", kUtf8 = "\xE8\xA1\xA8"; // one character, its second byte a backslash, and in UTF-8
#ifndef _WIN32
Prepare Old(const std::string& name) { return [=](Scene& s) { WriteFile(s.out + "/" + name, "old"); }; } // must stay whole
Prepare Fifo(const std::string& path) { return [=](Scene& s) { ::mkfifo((s.root + path).c_str(), 0600); }; }
Prepare Signal(int number) { return Both(Old("pip.txt"), [=](Scene& s) { s.signal = number; }); }
#endif
// The size a BMP's header gives; "BM" and a size field that matches, or no BMP.
std::size_t U32(const std::string& b, std::size_t at) { return b.size() >= 6 && b.starts_with("BM") ? (b[at] & 255) | (b[at + 1] & 255) << 8 | (b[at + 2] & 255) << 16 | (b[at + 3] & 255u) << 24 : 0; }
std::string Grey(int level) { return std::string(3, static_cast<char>(level)) + '\0'; }
// Colour table entry i of an image the run wrote, as blue, green, red, 0 (a grey by default).
std::string Entry(const Scene& s, const std::string& image, int i) { return ReadText(s.out + "/" + image).substr(54 + 4 * i, 4); }
std::string Open(const std::string& n) { return "ﾌｧｲﾙ {doll}" + n + " は開けません"; }
std::string Outside(const std::string& n) { return "ｾﾙ " + n + " は出力ﾌｫﾙﾀﾞの外を指すため変換できません"; }

// Report lines from "index value" pieces separated by "|".
std::string Report(const std::string& pieces)
{
    std::string text, piece;
    for (std::istringstream in(pieces); std::getline(in, piece, '|');) text += "<PARAM NAME=\"image" + piece.replace(piece.find(' '), 1, "\" VALUE=\"") + "\">\r\n";
    return text;
}

const std::string
    kBody = "0 body,1,0,32,30", kTwo = kBody + "|1 hair,2,40,36,30", kThree = kTwo + "|2 shirt,3,0,32,54", kAll = kThree + "|4 back,0,0,0,0",
    kLater = kAll.substr(kBody.size()), kImages = "back.bmp body.bmp hair.bmp pip.txt shirt.bmp",
    kBig(1 << 20, 'B'), kMemory = "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました", kBadName = "不正なﾌｧｲﾙ名です",
    kDenied = "ﾌｧｲﾙへのｱｸｾｽが拒否されました", kWrite = "ｽﾄﾘｰﾑへの書き込みｴﾗｰ", kNone = "(no report)";

const auto kGolden = [](const Scene& s, const RecordingControls&) { // the same bytes as from the doll's folder
    for (const std::string name : {"back.bmp", "body.bmp", "hair.bmp", "shirt.bmp", "pip.txt"})
        EXPECT_EQ(ReadText(s.out + "/" + name), ReadText(KISS_SOURCE_DIR "/tests/cli/golden/set0/" + name)) << name; };

struct Row { // message: "" for success, {doll}, {out} and {root} standing for the folders; changed: what the run made
    const char* id; Prepare prepare; std::string message, changed, report; // or changed, relative to out; report: kNone
    std::function<void(const Scene&, const RecordingControls&)> check = nullptr;
};
void PrintTo(const Row& r, std::ostream* os) { *os << r.id; }

std::vector<Row> Rows()
{
    std::string deep, made, names; // 300 folders deep, written in upper case
    for (int i = 0; i < 300; ++i)
        deep += "d/", made += deep + " ";
    for (int i = 0; i < 256; ++i)
        names += (i ? "|" : "") + std::to_string(i) + " " + std::regex_replace(deep, std::regex("/"), "\\") + "body,1,0,-1,-1";
    std::string cels, positions, lines; // objects 0 to 255, each at its own place, and places past the table
    for (int i = 0; i < 300; ++i) {
        cels += i < 256 ? "#" + std::to_string(i) + " BODY.CEL\r\n" : "", positions += " " + std::to_string(i) + ",1";
        lines += i < 256 ? (i ? "|" : "") + std::to_string(i) + " body," + std::to_string(i) + ",0," + std::to_string(i) + ",1" : "";
    }
    std::vector<Row> rows = {
        {"SampleDoll", [](Scene&) {}, "", kImages, kAll, [](const Scene& s, const RecordingControls& c) {
             EXPECT_EQ(c.log, (std::vector<std::string>{"pal 2", "cel 5", "set?", "edit " + s.out + Native("/pip.txt")})); }},
        {"EmptyConfiguration", Cnf(""), "", "pip.txt", ""},
        {"ConfigurationWithoutCels", Cnf("%PIP.KCF\r\n$0 1,1\r\n"), "", "pip.txt", "", [](const Scene& s, const RecordingControls& c) {
             EXPECT_EQ(c.log, std::vector<std::string>{"edit " + s.out + Native("/pip.txt")}); }}, // no count shown, no set read
        {"ExistingReportIsEmptied", Both(Cnf(""), [](Scene& s) { WriteFile(s.out + "/pip.txt", "old"); }), "", "pip.txt", ""},
        {"ConfigurationCutInsideACelName", Cnf(Sample("pip.cnf").substr(0, Sample("pip.cnf").find("HAIR.C") + 6)), Open("HAIR.C"),
         "body.bmp pip.txt", "0 body,1,0,-1,-1"},
        {"EmptyCel", Put("body.cel", ""), "", kImages, kAll, [](const Scene& s, const RecordingControls&) {
             EXPECT_EQ(fs::file_size(s.out + "/body.bmp"), 1078u); }},
        {"CelCutInsideItsHeader", Put("hair.cel", Sample("hair.cel").substr(0, 20)), "", kImages, kAll},
        {"EmptyPalette", Put("pip.kcf", ""), "", kImages, kAll, [](const Scene& s, const RecordingControls&) {
             for (int i : {0, 159, 160, 255}) EXPECT_EQ(Entry(s, "body.bmp", i), Grey(i < 160 ? 0 : i)) << i; }}, // its 160 colours black
        {"PaletteCutInsideAColour", Put("clothes.kcf", Sample("clothes.kcf").substr(0, 33)), "", kImages, kAll},
        {"CelOf65535By65535Pixels", Put("body.cel", "\xFF\xFF\xFF\xFF"), kMemory, "pip.txt", ""},
        {"HeadedCelWithHugeSizeAndOffsets", Patch("hair.cel", 8, Repeat("\xFF", 8)), kMemory, "body.bmp pip.txt", kBody},
        {"PaletteOf65535Groups", Patch("clothes.kcf", 10, "\xFF\xFF"), "", kImages, kAll},
        {"PaletteOf65535ColoursIn65535Groups", Patch("clothes.kcf", 8, "\xFF\xFF\xFF\xFF"), "", kImages, kAll},
        {"CommentLineOf1MB", [](Scene& s) { s.Put("pip.cnf", ";" + kBig + "\r\n" + Sample("pip.cnf")); }, "", kImages, kAll},
        {"SetLineOf8MB", [](Scene& s) { Edit("32,54 *", "32,54 *" + Repeat(" 7,7", 1 << 21))(s); }, "", kImages, kAll}, // linear: positions past 255 dropped
        {"CelNameOf1MB", [](Scene& s) { Edit("#1 BODY.CEL", "#1 " + kBig + ".CEL")(s); }, Open(kBig + ".CEL"), "pip.txt", ""},
        {"TenThousandCommentLines", Cnf(Repeat(";\r\n", 10000) + Sample("pip.cnf")), "", kImages, kAll},
        {"TenThousandCelLines", Cnf(Repeat("#1 BODY.CEL *0\r\n", 10000)), "ｾﾙ行が多すぎます (最大 256)", "pip.txt", ""},
        {"TenThousandContinuationLines", Cnf(Sample("pip.cnf") + Repeat(" 1,1\r\n", 10000)), "", kImages, kAll},
        {"TwoHundredFiftySixCelsAndPositions", Cnf("%PIP.KCF\r\n" + cels + "$0" + positions), "", "body.bmp pip.txt", lines},
        {"SixteenPaletteAndSetLines", Cnf(Repeat("%PIP.KCF\r\n", 16) + Repeat("$0 1,1\r\n", 15) + "$15\r\n#0 BODY.CEL *15\r\n"), "",
         "body.bmp pip.txt", "0 body,0,0,1,1"},
        {"SeventeenPaletteLines", Cnf(Repeat("%PIP.KCF\r\n", 17)), "ﾊﾟﾚｯﾄ行が多すぎます (最大 16)", "pip.txt", ""},
        {"SeventeenSetLines", Cnf(Repeat("$0\r\n", 17)), "ｾｯﾄ行が多すぎます (最大 16)", "pip.txt", ""},
        {"TwoHundredFiftySixCelsThreeHundredFoldersDeep", [deep](Scene& s) { // each write looks at its folders once, not at every kept listing
             fs::create_directories(s.doll + deep), fs::rename(s.doll + "body.cel", s.doll + deep + "body.cel");
             s.Put("pip.cnf", "%PIP.KCF\r\n" + Repeat("#1 " + std::regex_replace(deep, std::regex("d/"), "D\\") + "BODY.CEL\r\n", 256)); },
         "", made + deep + "body.bmp pip.txt", names},
        {"NulBytesInAComment", Edit("; old-form", std::string("; \0\0old-form", 12)), "", kImages, kAll},
        {"NulByteInsideACelName", Both(Put("KEEP.DAT", Sample("body.cel")), Edit("#1 BODY.CEL", std::string("#1 KEEP.DAT\0.CEL", 16))),
         Open(std::string("KEEP.DAT\0.CEL", 13)), "pip.txt", ""}, // cut at the NUL it would write out/keep.dat
        {"CtrlZAfterTheSecondCel", Edit("#3 SHIRT.CEL", "\x1a#3"), "", "body.bmp hair.bmp pip.txt", "0 body,1,0,-1,-1|1 hair,2,40,-1,-1"},
        {"CelNameWithDotDot", Edit("#1 BODY.CEL", "#1 ..\\EVIL.CEL"), Outside("..\\EVIL.CEL"), "pip.txt", ""},
        {"CelNameWithDotDotAfterAFolder", Edit("#1 BODY.CEL", "#1 SUB/../../EVIL.CEL"), Outside("SUB/../../EVIL.CEL"), "pip.txt", ""},
        {"AbsoluteCelName", [](Scene& s) { Edit("#1 BODY.CEL", "#1 " + s.root + "work/evil.cel")(s); }, Outside("{root}work/evil.cel"), "pip.txt", ""},
        {"ControlBytesInACelName", Edit("#1 BODY.CEL", "#1 \x1b[2J.CEL"), Open("\x1b[2J.CEL"), "pip.txt", ""}, // \x1B on stderr
        {"CelNameWithADrive", Edit("#1 BODY.CEL", "#1 C:EVIL.CEL"), Outside("C:EVIL.CEL"), "pip.txt", ""},
        {"PaletteNameWithDotDot", Both(Edit("%PIP.KCF", "%..\\EVIL.KCF"), [](Scene& s) { fs::copy_file(kSample + "pip.kcf", s.root + "work/evil.kcf"); }),
         Open("../evil.kcf"), "pip.txt", ""}, // read out of the doll's folder
        {"CelLinkedFromOutsideTheDollFolder", Both(Remove("body.cel"), [](Scene& s) { fs::create_symlink(s.root + "work/evil.cel", s.doll + "body.cel"); }),
         Open("body.cel"), "pip.txt", ""},
        {"CelLinkedInsideTheDollFolder", Both(Remove("body.cel"), [](Scene& s) { fs::create_symlink("hair.cel", s.doll + "body.cel"); }), "", kImages, kAll},
        {"NamesOfOneImageInOtherCasesAndExtensions", Both(Put("body.old", Sample("hair.cel")),
             Cnf("%PIP.KCF\r\n#1 BODY.CEL\r\n#2 body.cel\r\n#3 Body.Old\r\n$0 * 1,1 2,2 3,3\r\n")), "", "body.bmp pip.txt",
         "0 body,1,0,1,1|1 body,2,0,2,2|2 body,3,0,3,3", [](const Scene& s, const RecordingControls&) { // the last one wins
             EXPECT_EQ(ReadText(s.out + "/body.bmp"), ReadText(KISS_SOURCE_DIR "/tests/cli/golden/set0/hair.bmp")); }},
        {"CelInASubfolderWrittenInAnotherCase", Both(Folder("work/doll/Parts"), Both(Edit("#1 BODY.CEL", "#1 PARTS\\BODY.CEL"),
             [](Scene& s) { fs::rename(s.doll + "body.cel", s.doll + "Parts/Body.Cel"); })), "",
         "back.bmp hair.bmp parts/ parts/body.bmp pip.txt shirt.bmp", "0 parts\\body,1,0,32,30" + kLater},
        {"PaletteNamedLikeAnImageTheRunWrote", Both(Cnf("%PIP.KCF\r\n%BACK.BMP\r\n#0 BACK.CEL\r\n#1 BODY.CEL *1\r\n$0 0,0 1,1\r\n"),
             [](Scene& s) { s.out = s.doll.substr(0, s.doll.size() - 1); }), "", "back.bmp body.bmp pip.txt", "0 back,0,0,0,0|1 body,1,0,1,1"},
        {"ConfigurationNamedLikeTheReport", [](Scene& s) { s.out = s.doll.substr(0, s.doll.size() - 1), fs::rename(s.config, s.doll + "pip.txt"), s.config = s.doll + "pip.txt"; },
         "ﾌｧｲﾙ {doll}pip.txt は変換の入力ﾌｧｲﾙ {doll}pip.txt と同じため書き込めません", "", kNone},
        {"ImageNamedLikeAPaletteOfTheRun", Both(Both(Put("body.bmp", Sample("pip.kcf")), Edit("%PIP.KCF", "%BODY.BMP")), [](Scene& s) {
             s.out = s.doll.substr(0, s.doll.size() - 1); }), "ﾌｧｲﾙ {doll}body.bmp は変換の入力ﾌｧｲﾙ {doll}body.bmp と同じため書き込めません", "pip.txt", ""},
        {"ImageNameOfAnExistingFolder", Folder("work/out/body.bmp"), "ﾌｧｲﾙ {out}/body.bmp を作成できません", "pip.txt", ""},
        {"TwoFilesMatchOneNameWithoutRegardToCase", Put("Body.Cel", ""), Open("BODY.CEL"), "pip.txt", ""},
        {"CelNamedLikeTheReport", Both(Put("pip.txt", Sample("body.cel")), Edit("#1 BODY.CEL", "#1 PIP.TXT")), "",
         "back.bmp hair.bmp pip.bmp pip.txt shirt.bmp", "0 pip,1,0,32,30" + kLater},
        {"MissingConfiguration", [](Scene& s) { s.config = s.doll + "none.cnf"; }, "ﾌｧｲﾙが見つかりません", "none.txt", kNone},
        {"ConfigurationInAMissingFolder", [](Scene& s) { s.config = s.root + "none/pip.cnf"; }, kBadName, "pip.txt", ""},
        {"MissingCel", Remove("hair.cel"), Open("HAIR.CEL"), "body.bmp pip.txt", kBody},
        {"MissingPalette", Remove("clothes.kcf"), Open("CLOTHES.KCF"), "body.bmp hair.bmp pip.txt", kTwo},
        // A palette index without a "%" line, or past the table, names the doll's folder.
        {"PaletteIndexWithoutAPaletteLine", Edit("#1 BODY.CEL *0", "#1 BODY.CEL *5"), Open(""), "pip.txt", ""},
        {"PaletteIndexPastTheTable", Edit("#1 BODY.CEL *0", "#1 BODY.CEL *16"), Open(""), "pip.txt", ""},
        {"EmptyCelName", Edit("#1 BODY.CEL *0 :0 1 2      ; old form, four bits a pixel", "#1"), Open(""), "pip.txt", ""},
        {"ObjectNumberPastTheTable", Edit("#1 BODY", "#256 BODY"), "ｵﾌﾞｼﾞｪｸﾄ番号 256 は範囲外です (0 から 255)", "pip.txt", ""},
        {"SetOutOfRange", SetText("12"), "ｾｯﾄ番号 12 は範囲外です (0 から 9)", "pip.txt", ""},
        {"SetTextWithABlank", SetText("1 "), "'1 ' は整数ではありません", "pip.txt", ""},
        {"SetTextEmpty", SetText(""), "'' は整数ではありません", "pip.txt", ""},
        {"FolderInPlaceOfTheConfiguration", Both(Remove("pip.cnf"), Folder("work/doll/pip.cnf")), kDenied, "pip.txt", ""},
        {"FolderInPlaceOfACel", Both(Remove("body.cel"), Folder("work/doll/body.cel")), Open("body.cel"), "pip.txt", ""},
        {"FolderInPlaceOfTheReport", Folder("work/out/pip.txt"), kDenied, "", kNone},
        {"MissingOutputFolder", [](Scene& s) { s.out = s.root + "work/gone"; }, kBadName, "", kNone, [](const Scene&, const RecordingControls& c) {
             EXPECT_TRUE(c.log.empty()); }},
        {"AnotherRunIntoTheSameFolder", [](Scene& s) { s.atEnd.push_back([lock = std::make_shared<platform::FolderLock>(s.out)] {}); },
         "出力ﾌｫﾙﾀﾞ {out} には他の変換が書き込み中です", "", kNone},
        {"FileInPlaceOfTheOutputFolder", [](Scene& s) { s.out = s.root + "above.txt"; }, kBadName, "", kNone},
        {"OutputFolderRemovedDuringTheRun", [](Scene& s) { s.duringRun = [&s] { fs::remove_all(s.out); }; },
         "ﾌｧｲﾙ {out}/body.bmp を作成できません", "./ keep.dat other.bmp", kNone},
        {"LinkInPlaceOfTheReport", Link("pip.txt", "above.txt"), "", kImages, kAll}, // replaced, not written through
        {"LinkInPlaceOfAnImage", Link("body.bmp", "work/evil.bmp"), "", kImages, kAll},
        {"HardLinkInPlaceOfAnImage", [](Scene& s) { fs::create_hard_link(s.root + "work/evil.bmp", s.out + "/body.bmp"); }, "", kImages, kAll},
        {"LinkInPlaceOfASubfolder", Both(Link("parts", "work"), Both(Both(Folder("work/doll/parts"), Edit("#1 BODY.CEL", "#1 PARTS\\BODY.CEL")),
             [](Scene& s) { fs::rename(s.doll + "body.cel", s.doll + "parts/body.cel"); })), "ﾌｧｲﾙ {out}/parts/body.bmp を作成できません", "pip.txt", ""},
        {"ZipOfTheDoll", Zipped(), "", kImages, kNone, kGolden}, // its only configuration
        {"LhaLevel0", Archive("pip-lh5-level0.lzh", "pip/pip.cnf"), "", kImages, kAll, kGolden},
        {"LhaLevel1InCapitals", Archive("pip-lh5-level1.lzh", "PIP/PIP.CNF"), "", "PIP.txt back.bmp body.bmp hair.bmp shirt.bmp", kAll},
        {"LhaLevel2", Archive("pip-lh5-level2.lzh", "pip/pip.cnf"), "", kImages, kAll, kGolden},
        {"ZipOfOurOwn", Archive("pip.zip", "pip/pip.cnf"), "", kImages, kAll, kGolden},
        {"StoredLhaWithoutACel", Archive("pip-lh0.lzh", "pip.cnf"), "ﾌｧｲﾙ {root}work/pip-lh0.lzh/BACK.CEL は開けません",
         "body.bmp hair.bmp pip.txt shirt.bmp", kThree},
        {"ArchiveWithABadCrc", Archive("bad-crc.lzh", "pip.cnf"), "書庫 {root}work/bad-crc.lzh のﾌｧｲﾙ body.cel はCRCが一致しません", "", kNone},
        {"ArchiveCutShort", Both(Archive("pip-lh5-level2.lzh", "pip/pip.cnf"), [](Scene& s) { fs::resize_file(s.root + "work/pip-lh5-level2.lzh", 700); }),
         "書庫 {root}work/pip-lh5-level2.lzh のﾌｧｲﾙ pip/hat.cel は途中で切れています", "", kNone},
        {"ZipWithoutACel", Both(Remove("hair.cel"), Zipped("pip.cnf")), "ﾌｧｲﾙ {root}work/doll.zip/HAIR.CEL は開けません", "body.bmp pip.txt", kBody},
        {"ZipWithTwoConfigurations", Both(Put("two.cnf", ""), Zipped()), "書庫 {root}work/doll.zip には構成ﾌｧｲﾙが複数あります (pip.cnf, two.cnf)", "", kNone},
        {"ConfigurationChosenInAZip", Both(Put("two.cnf", "%PIP.KCF\r\n#1 BODY.CEL\r\n"), Zipped("two.cnf")), "", "body.bmp two.txt", "0 body,1,0,-1,-1"},
        {"ConfigurationMissingFromAZip", Zipped("none.cnf"), "ﾌｧｲﾙが見つかりません", "none.txt", ""},
        {"ZipWithANameOutsideIt", Both(Edit("#1 BODY.CEL", "#1 ..\\BODY.CEL"), Zipped("pip.cnf")), Outside("..\\BODY.CEL"), "pip.txt", ""},
        {"ShiftJisNameWithABackslashByteInAZip", Both(Both(Edit("#1 BODY.CEL", "#1 " + kSjis + ".CEL"), [](Scene& s) {
             fs::rename(s.doll + "body.cel", s.doll + kSjis + ".cel"); }), Zipped("pip.cnf")), "", "back.bmp hair.bmp pip.txt shirt.bmp " + kUtf8 + ".bmp",
         "0 " + kSjis + ",1,0,32,30" + kLater}, // one name, not a folder; the image in UTF-8, the report as written
        {"ShiftJisNameFoundUnderItsUtf8Spelling", Both(Edit("#1 BODY.CEL", "#1 " + kSjis + ".CEL"), [](Scene& s) {
             fs::rename(s.doll + "body.cel", s.doll + kUtf8 + ".Cel"); }), "", "back.bmp hair.bmp pip.txt shirt.bmp " + kUtf8 + ".bmp",
         "0 " + kSjis + ",1,0,32,30" + kLater},
    };
#ifndef _WIN32 // FIFOs, devices, permissions root ignores, file size limits, signals, mounts
    rows.insert(rows.end(), {
        {"FifoInPlaceOfTheConfiguration", Both(Remove("pip.cnf"), [](Scene& s) { ::mkfifo(s.config.c_str(), 0600); }), kDenied, "pip.txt", ""},
        {"DeviceAsTheConfiguration", Both(Remove("pip.cnf"), [](Scene& s) { fs::create_symlink("/dev/zero", s.config); }), kDenied, "pip.txt", ""},
        {"FifoInPlaceOfACel", Both(Remove("body.cel"), [](Scene& s) { ::mkfifo((s.doll + "body.cel").c_str(), 0600); }), Open("body.cel"),
         "pip.txt", ""},
        {"CelWithoutReadPermission", [](Scene& s) {
             if (::geteuid() == 0) s.skip = "root is not stopped by permissions; FolderInPlaceOfACel covers it";
             fs::permissions(s.doll + "body.cel", fs::perms::none); }, Open("body.cel"), "pip.txt", ""},
        {"FifoInPlaceOfTheReport", Fifo("work/out/pip.txt"), kDenied, "", kNone},
        {"FifoInPlaceOfAnImage", Fifo("work/out/body.bmp"), "ﾌｧｲﾙ {out}/body.bmp を作成できません", "pip.txt", ""},
        {"ImageWriteFailsPartWay", Both(Old("back.bmp"), [](Scene& s) { s.duringRun = [&s] { // files may grow to 5000 bytes; back.bmp has 10678
             rlimit was{}, limit{}; ::getrlimit(RLIMIT_FSIZE, &was), limit = {5000, was.rlim_max}, std::signal(SIGXFSZ, SIG_IGN), ::setrlimit(RLIMIT_FSIZE, &limit);
             s.atEnd.push_back([was] { ::setrlimit(RLIMIT_FSIZE, &was); }); }; }), kWrite, "body.bmp hair.bmp pip.txt shirt.bmp", kThree}, // back.bmp whole, no temporary left
        {"InterruptedBySigint", Signal(SIGINT), "", "", kNone}, {"InterruptedBySigterm", Signal(SIGTERM), "", "", kNone},
        {"InterruptedBySighup", Signal(SIGHUP), "", "", kNone}, // the previous report whole, its temporary file removed
        {"FullDisk", [](Scene& s) { // a small memory file system filled to the last byte
             if (::geteuid() != 0 || ::mount("tmpfs", s.out.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
                 return void(s.skip = "cannot mount a tmpfs here; ImageWriteFailsPartWay covers a failed write");
             s.atEnd.push_back([out = s.out] { ::umount2(out.c_str(), MNT_DETACH); }); std::FILE* f = std::fopen((s.out + "/filler").c_str(), "wb");
             while (std::fwrite(kBig.data(), 1, 512, f) == 512 && std::fflush(f) == 0) {} std::fclose(f); }, kWrite, "pip.txt", ""}, // the image that would not fit is not begun
    });
#endif
    return rows;
}

const std::set<std::string> kThroughKiss2bmp = {"SampleDoll", "CelNameWithDotDot", "ControlBytesInACelName",
    "MissingConfiguration", "MissingOutputFolder", "SetTextEmpty", "LinkInPlaceOfTheReport", "FifoInPlaceOfTheReport", "AnotherRunIntoTheSameFolder", "FifoInPlaceOfACel", "ConfigurationNamedLikeTheReport", "ZipOfTheDoll", "ArchiveWithABadCrc"}; // clang-format on

#ifdef _WIN32 // scenes a Windows folder cannot hold (the rows needing POSIX calls are left out of Rows())
const std::string kNoLinks = "symbolic links need a privilege there, and Wine has none";
const std::map<std::string, std::string> kNotOnWindows = {
    {"CelLinkedFromOutsideTheDollFolder", kNoLinks},
    {"CelLinkedInsideTheDollFolder", kNoLinks},
    {"LinkInPlaceOfTheReport", kNoLinks},
    {"LinkInPlaceOfAnImage", kNoLinks},
    {"LinkInPlaceOfASubfolder", kNoLinks},
    {"TwoFilesMatchOneNameWithoutRegardToCase", "names there are case-blind: Body.Cel is body.cel"},
    {"ShiftJisNameFoundUnderItsUtf8Spelling", "names there are in the ANSI code page, not UTF-8"},
    {"ShiftJisNameWithABackslashByteInAZip", "this build reads no archives"},
    {"ArchiveCutShort", "this build reads no archives"},
    {"OutputFolderRemovedDuringTheRun", "a folder holding an open file cannot be removed there"},
    {"TwoHundredFiftySixCelsThreeHundredFoldersDeep", "MinGW's std::filesystem cannot list folders past MAX_PATH"}};
#endif

class RunTable : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        if (kNotOnWindows.count(GetParam().id)) GTEST_SKIP() << kNotOnWindows.at(GetParam().id);
#endif
        GetParam().prepare(s);
        if (!s.skip.empty()) GTEST_SKIP() << s.skip;
        before = s.Snapshot();
    }
    std::string Expand(std::string text) // {doll}, {out} and {root} in a message
    {
        for (const auto& [mark, value] : {std::pair{"{doll}", s.doll}, {"{out}", s.out}, {"{root}", s.root}})
            while (text.find(mark) != std::string::npos)
                text.replace(text.find(mark), std::string(mark).size(), value);
        return text;
    }
    // clang-format off
    void CheckAfter(const std::string& message)
    {
        EXPECT_EQ(Native(message), Native(Expand(GetParam().message)));
        auto after = s.Snapshot(), both = before;
        both.insert(after.begin(), after.end());
        std::string changed;
        for (const auto& [name, bytes] : both)
            if (!before.count(name) || !after.count(name) || before[name] != after[name]) {
                changed += (changed.empty() ? "" : " ") + name;
                EXPECT_TRUE(!name.ends_with(".bmp") || !after.count(name) || message == kWrite || after[name].size() == U32(after[name], 2))
                    << name << " is cut"; // a failed write may cut one
            }
        EXPECT_EQ(changed, GetParam().changed);
        if (GetParam().report != kNone) { EXPECT_EQ(ReadText(ReportPathFor(s.config, s.out)), Report(GetParam().report)); }
    }
    // clang-format on

    Scene s;
    std::map<std::string, std::string> before;
};

TEST_P(RunTable, InProcess)
{
    RecordingControls controls(s.setText);
    if (const int signal = s.signal) { // the run's process ends at once with 128 + the signal
        controls.onSetRead = [signal] { std::raise(signal); };
        const auto run = [&] { platform::ExitCleanlyOnSignals(), ConvertConfiguration(s.config, s.out, controls); };
        EXPECT_EXIT(run(), ::testing::ExitedWithCode(128 + signal), "");
        return CheckAfter("");
    }
    controls.onSetRead = s.duringRun;
    const auto start = std::chrono::steady_clock::now();
    const std::string message = MessageOf([&] { ConvertConfiguration(s.config, s.out, controls); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    CheckAfter(message == "(no error)" ? "" : message);
    EXPECT_EQ(std::ranges::count_if(controls.log, [](auto& e) { return e.starts_with("edit "); }),
              message == "(no error)");
    EXPECT_TRUE(message != "(no error)" || (Native(controls.log.back()).starts_with(Native("edit " + s.out + "/")) &&
                                            controls.log.back().ends_with(".txt"))); // the editor comes last
    if (GetParam().check) GetParam().check(s, controls);
}

using RunThroughKiss2bmp = RunTable;
TEST_P(RunThroughKiss2bmp, ExitStatusAndMessage)
{
    const auto r = RunProcess(KISS2BMP_PATH, {"--set=" + s.setText, s.config, s.out}, s.root);
    auto message = Expand(GetParam().message), shown = message;
    for (auto at = shown.find('\x1b'); at != std::string::npos; at = shown.find('\x1b'))
        shown.replace(at, 1, "\\x1B");
    EXPECT_EQ(std::tuple(r.status, Native(r.err), r.out.empty()),
              std::tuple(message.empty() ? 0 : 1, message.empty() ? "" : Native(shown) + ".\n", !message.empty()));
    CheckAfter(message);
}

std::vector<Row> Pick(bool process)
{
    std::vector<Row> rows = Rows();
    std::erase_if(rows, [&](const Row& row) { return process && !kThroughKiss2bmp.count(row.id); });
    return rows;
}
const auto kName = [](const auto& info) { return std::string(info.param.id); };
INSTANTIATE_TEST_SUITE_P(Run, RunTable, ::testing::ValuesIn(Pick(false)), kName);
INSTANTIATE_TEST_SUITE_P(Run, RunThroughKiss2bmp, ::testing::ValuesIn(Pick(true)), kName);

} // namespace

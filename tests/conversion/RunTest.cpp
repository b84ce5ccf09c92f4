// The conversion run as a table: each row prepares a copy of the sample doll beside an output folder, with decoys
// above, beside and inside it, and runs it once. Every row checks the exact message, which files the run made or
// changed (every other file stays as it was, byte for byte), the report, that the editor starts only after success,
// and that every image it left is a whole BMP. A few rows also run through kiss2bmp. Ids match docs/tests.md's table.
#include "conversion/ConvertConfiguration.h"
#include "platform/File.h"
#include "platform/Folder.h"

#include "support/RecordingControls.h"
#include "support/Test.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <regex>
#include <sstream>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const std::string kSample = KISS_SOURCE_DIR "/samples/pip/", kGolden = KISS_SOURCE_DIR "/tests/cli/golden/set0/";
using Text = const std::string&;

struct Scene {
    Scene()
    {
        fs::create_directories(out);
        fs::copy(fs::path(kSample).parent_path(), doll); // no "/" after a folder to copy: MinGW fails it
        fs::copy_file(kSample + "body.cel", root + "work/evil.cel");
        for (const char* decoy : {"above.txt", "work/evil.bmp", "work/out/keep.dat", "work/out/other.bmp"})
            WriteFile(root + decoy, decoy);
    }
    void Put(Text name, Text bytes) const { WriteFile(doll + name, bytes); }
    std::string Made(Text name) const { return ReadText(out + "/" + name); }
    // Every file and folder under the root, named relative to the output folder.
    std::map<std::string, std::string> Snapshot() const { return FilesUnder(root, true, out); }
    // {doll}, {out} and {root} in a message
    std::string Expand(std::string text) const
    {
        for (const auto& [mark, value] : {std::pair{"{doll}", doll}, {"{out}", out}, {"{root}", root}})
            while (text.find(mark) != std::string::npos)
                text.replace(text.find(mark), std::string(mark).size(), value);
        return text;
    }

    TempDir temp;
    std::string root = temp.Prefix(), doll = root + "work/doll/", out = root + "work/out", config = doll + "pip.cnf";
    std::string setText = "0", skip;
    std::vector<std::shared_ptr<void>> held; // until the row ends: a lock, or an undoing as the deleter of nothing
    int signal = 0;                          // raised once the set is read, with the run's handlers in place
    std::function<void()> duringRun;
};

// What a row does to its scene before the run, in steps. Step names one: its arguments are kept until the row runs.
using Prepare = std::function<void(Scene&)>;
const auto Step = [](auto act) { return [=](auto... args) -> Prepare { return [=](Scene& s) { act(s, args...); }; }; };
const auto Steps = [](auto... steps) -> Prepare {
    return [all = std::vector<Prepare>{steps...}](Scene& s) { std::ranges::for_each(all, [&](auto& f) { f(s); }); };
};
const std::string kCnf = ReadText(kSample + "pip.cnf");
const auto Sample = [](Text name) { return ReadText(kSample + name); };
const Prepare kAsItIs = [](Scene&) {};
const auto Put = Step([](Scene& s, Text name, Text bytes) { s.Put(name, bytes); });
const auto Cnf = [](Text text) { return Put("pip.cnf", text); };
// The sample's configuration with its first "from" replaced, or cut after the first "text".
const auto Edit = [](Text from, Text to) { return Cnf(std::string(kCnf).replace(kCnf.find(from), from.size(), to)); };
const auto CutAfter = [](Text text) { return Cnf(kCnf.substr(0, kCnf.find(text) + text.size())); };
const auto CelName = [](Text name) { return Edit("#1 BODY.CEL", "#1 " + name); };
const auto PaletteName = [](Text name) { return Edit("%PIP.KCF", "%" + name); };
// Big texts are made when the row runs, not whenever the table is.
const auto Later = Step([](Scene& s, const std::function<Prepare()>& make) { make()(s); });
const auto Patch = [](Text name, int at, Text b) { return Put(name, Sample(name).replace(at, b.size(), b)); };
// In the doll's folder.
const auto Remove = Step([](Scene& s, Text name) { fs::remove(s.doll + name); });
const auto Rename = Step([](Scene& s, Text from, Text to) { fs::rename(s.doll + from, s.doll + to); });
// Paths from here on are relative to the root.
const auto Write = Step([](Scene& s, Text path, Text bytes) { WriteFile(s.root + path, bytes); });
const auto Folder = Step([](Scene& s, Text path) { fs::create_directories(s.root + path); });
const auto Cut = Step([](Scene& s, Text path, std::uintmax_t size) { fs::resize_file(s.root + path, size); });
// Links in the output folder to a path under the root.
const auto Link = Step([](Scene& s, Text name, Text to) { fs::create_symlink(s.root + to, s.out + "/" + name); });
const auto HardLink = Step([](Scene& s, Text name, Text to) { fs::create_hard_link(s.root + to, s.out + "/" + name); });
// A file of the doll's folder replaced by a link (to a path as written, "{root}" first for the root), folder or FIFO.
const auto DollLink = Step([](Scene& s, Text name, Text to) {
    fs::remove(s.doll + name);
    fs::create_symlink(to.starts_with("{root}") ? s.root + to.substr(6) : to, s.doll + name);
});
const auto DollFolder = [](Text name) { return Steps(Remove(name), Folder("work/doll/" + name)); };
// An old file in the output folder, which must stay whole.
const auto Old = [](Text name) { return Write("work/out/" + name, "old"); };
const auto SetText = Step([](Scene& s, Text text) { s.setText = text; });
const auto Config = Step([](Scene& s, Text path) { s.config = s.root + path; });
const auto Out = Step([](Scene& s, Text path) { s.out = s.root + path; });
const Prepare kOutIsTheDollFolder = Out("work/doll");
// The doll folder as it stands, zipped (names in sorted order, as std::filesystem spells them: UTF-8 on Windows) into
// work/doll.zip, which becomes the input: ARCHIVE or ARCHIVE/MEMBER.
const auto Zipped = Step([](Scene& s, Text member = "") {
    WriteFile(s.root + "work/doll.zip", ZipOf(s.doll));
    s.config = s.root + "work/doll.zip" + (member.empty() ? "" : "/" + member);
});
// One of our committed archives, copied into work/.
const auto Archive = Step([](Scene& s, Text name, Text member) {
    fs::copy_file(KISS_SOURCE_DIR "/samples/archives/" + name, s.root + "work/" + name);
    s.config = s.root + "work/" + name + "/" + member;
});
const Prepare AbsoluteBodyCel = [](Scene& s) { CelName(s.root + "work/evil.cel")(s); };
const Prepare LockTheOutputFolder = [](Scene& s) { s.held.push_back(std::make_shared<platform::FolderLock>(s.out)); };
const Prepare RemoveTheOutputFolderDuringTheRun = [](Scene& s) { s.duringRun = [&s] { fs::remove_all(s.out); }; };
#ifndef _WIN32
const auto Fifo = Step([](Scene& s, Text path) { ::mkfifo((s.root + path).c_str(), 0600); });
const auto DollFifo = [](Text name) { return Steps(Remove(name), Fifo("work/doll/" + name)); };
const auto Signal = [](int number) { return Steps(Old("pip.txt"), [=](Scene& s) { s.signal = number; }); };
const Prepare TakeReadPermission = [](Scene& s) {
    if (::geteuid() == 0) s.skip = "root is not stopped by permissions; FolderInPlaceOfACel covers it";
    fs::permissions(s.doll + "body.cel", fs::perms::none);
};
// Files may grow to 5000 bytes once the run is under way; back.bmp has 10678.
const Prepare LimitFileSizes = [](Scene& s) {
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, SIG_IGN);
    s.held.emplace_back(nullptr, [was](void*) { ::setrlimit(RLIMIT_FSIZE, &was); });
    s.duringRun = [limit = rlimit{5000, was.rlim_max}] { ::setrlimit(RLIMIT_FSIZE, &limit); };
};
// A small memory file system as the output folder, filled to the last byte.
const Prepare FillTheDisk = [](Scene& s) {
    if (::geteuid() != 0 || ::mount("tmpfs", s.out.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
        return void(s.skip = "cannot mount a tmpfs here; ImageWriteFailsPartWay covers a failed write");
    s.held.emplace_back(nullptr, [out = s.out](void*) { ::umount2(out.c_str(), MNT_DETACH); });
    std::ofstream filler(s.out + "/filler", std::ios::binary);
    while (filler << std::string(512, 'B') << std::flush) {
    }
};
#endif

const auto Open = [](Text n, Text in = "{doll}") { return "ﾌｧｲﾙ " + in + n + " は開けません"; };
const auto Outside = [](Text n) { return "ｾﾙ " + n + " は出力ﾌｫﾙﾀﾞの外を指すため変換できません"; };
const auto Same = [](Text n) {
    return "ﾌｧｲﾙ {doll}" + n + " は変換の入力ﾌｧｲﾙ {doll}" + n + " と同じため書き込めません";
};
const auto NotMade = [](Text n) { return "ﾌｧｲﾙ {out}/" + n + " を作成できません"; };
const auto InArchive = [](Text archive, Text n) { return "書庫 {root}work/" + archive + " のﾌｧｲﾙ " + n; };

// Report lines from "index value" pieces separated by "|".
std::string Report(Text pieces)
{
    std::string text, piece;
    for (std::istringstream in(pieces); std::getline(in, piece, '|');)
        text += "<PARAM NAME=\"image" + piece.replace(piece.find(' '), 1, "\" VALUE=\"") + "\">\r\n";
    return text;
}
// f(i, i in decimals) for i from 0 to n - 1, joined.
std::string Each(int n, const std::function<std::string(int, Text)>& f)
{
    std::string all;
    for (int i = 0; i < n; ++i)
        all += f(i, std::to_string(i));
    return all;
}

const std::string kBody = "0 body,1,0,32,30", kTwo = kBody + "|1 hair,2,40,36,30", kThree = kTwo + "|2 shirt,3,0,32,54";
const std::string kAll = kThree + "|4 back,0,0,0,0", kLater = kAll.substr(kBody.size()), kUnplaced = "0 body,1,0,-1,-1";
const std::string kImages = "back.bmp body.bmp hair.bmp pip.txt shirt.bmp", kNone = "(no report)";
const std::string kBig(1 << 20, 'B'), kMemory = "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました";
const std::string kBadName = "不正なﾌｧｲﾙ名です", kDenied = "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
const std::string kWrite = "ｽﾄﾘｰﾑへの書き込みｴﾗｰ", kTwoUnplaced = kUnplaced + "|1 hair,2,40,-1,-1";
const std::string kNoBody = "back.bmp hair.bmp pip.txt shirt.bmp ", kNoBack = "body.bmp hair.bmp pip.txt shirt.bmp";
// The report with the body cel under another name.
const auto BodyAs = [](Text name) { return "0 " + name + ",1,0,32,30" + kLater; };
// One character, its second byte a backslash, and in UTF-8; "ソフト", its first character's second byte one too.
const std::string kSjis = "\x95\x5C", kUtf8 = "\xE8\xA1\xA8", kSoft = "\x83\x5C\x83\x74\x83\x67";

using Check = std::function<void(const Scene&, const std::vector<std::string>& log)>;
using Log = const std::vector<std::string>&;
const Check SampleAsked = [](const Scene& s, Log log) {
    EXPECT_EQ(log, (std::vector<std::string>{"pal 2", "cel 5", "set?", "edit " + s.out + Native("/pip.txt")}));
};
// No count shown, no set read.
const Check OnlyEditorStarted = [](const Scene& s, Log log) {
    EXPECT_EQ(log, (std::vector{"edit " + s.out + Native("/pip.txt")}));
};
const Check NothingAsked = [](const Scene&, Log log) { EXPECT_TRUE(log.empty()); };
const Check BodyIsAnEmptyPicture = [](const Scene& s, Log) { EXPECT_EQ(fs::file_size(s.out + "/body.bmp"), 1078u); };
// A palette's 160 colours black, grey beyond: colour table entries as blue, green, red, 0.
const Check ColoursBlackThenGrey = [](const Scene& s, Log) {
    for (int i : {0, 159, 160, 255})
        EXPECT_EQ(s.Made("body.bmp").substr(54 + 4 * i, 4), std::string(3, char(i < 160 ? 0 : i)) + '\0') << i;
};
const Check LastOneWins = [](const Scene& s, Log) { EXPECT_EQ(s.Made("body.bmp"), ReadText(kGolden + "hair.bmp")); };
// hair.bmp's width in its header, 65557: the golden 27 and 65533 - its x offset (3).
const Check HairIs65533Wider = [](const Scene& s, Log) {
    EXPECT_EQ(s.Made("hair.bmp").substr(18, 4), "\x15\0\x01\0"s);
};
// The same bytes as from the doll's folder.
const Check Golden = [](const Scene& s, Log) {
    for (const std::string name : {"back.bmp", "body.bmp", "hair.bmp", "shirt.bmp", "pip.txt"})
        EXPECT_EQ(s.Made(name), ReadText(kGolden + name)) << name;
};

// message: "" on success, {doll}, {out}, {root} for the folders; changed: what the run made or changed in out.
struct Row {
    const char* id;
    Prepare prepare;
    std::string message, changed, report;
    Check check = nullptr;
    friend void PrintTo(const Row& r, std::ostream* os) { *os << r.id; }
};

std::vector<Row> Rows()
{
    // 256 cels 300 folders deep, the folders written in upper case: each write looks at its folders once, not at every
    // kept listing. The folders the run makes and the report.
    const std::string deep = Repeat("d/", 300),
                      deepCnf = "%PIP.KCF\r\n" + Repeat("#1 " + Repeat("D\\", 300) + "BODY.CEL\r\n", 256);
    const Prepare deepCels = Steps(Folder("work/doll/" + deep), Rename("body.cel", deep + "body.cel"), Cnf(deepCnf));
    const std::string deepFolders =
        Each(300, [&](int i, Text) { return deep.substr(0, 2 * i + 2) + " "; }) + deep + "body.bmp pip.txt";
    const std::string deepReport =
        Each(256, [](int, Text n) { return n + " " + Repeat("d\\", 300) + "body,1,0,-1,-1|"; });
    // Objects 0 to 255, each at its own place, and places past the table; the report.
    const std::string manyCels = "%PIP.KCF\r\n" + Each(256, [](int, Text n) { return "#" + n + " BODY.CEL\r\n"; }) +
                                 "$0" + Each(300, [](int, Text n) { return " " + n + ",1"; });
    const std::string manyReport = Each(256, [](int, Text n) { return n + " body," + n + ",0," + n + ",1|"; });
    // Texts: configurations and their parts.
    const std::string sixteen = Repeat("%PIP.KCF\r\n", 16) + Repeat("$0 1,1\r\n", 15) + "$15\r\n#0 BODY.CEL *15\r\n";
    const std::string allOnes = Repeat("\xFF", 8), nul = "KEEP.DAT\0.CEL"s;
    const std::string bodyLine = "#1 BODY.CEL *0 :0 1 2      ; old form, four bits a pixel";
    const std::string three = "%PIP.KCF\r\n#1 BODY.CEL\r\n#2 body.cel\r\n#3 Body.Old\r\n$0 * 1,1 2,2 3,3\r\n";
    const std::string backBmp = "%PIP.KCF\r\n%BACK.BMP\r\n#0 BACK.CEL\r\n#1 BODY.CEL *1\r\n$0 0,0 1,1\r\n";
    // Messages, files written, reports.
    const std::string objectRange = "ｵﾌﾞｼﾞｪｸﾄ番号 256 は範囲外です (0 から 255)";
    const std::string negative = "ｾﾙ HAIR.CEL のｵﾌｾｯﾄ (-3, -3) は負のためBMPﾌｧｲﾙにできません";
    const std::string badCrc = InArchive("bad-crc.lzh", "body.cel はCRCが一致しません");
    const std::string twoInZip = "書庫 {root}work/doll.zip には構成ﾌｧｲﾙが複数あります (pip.cnf, two.cnf)";
    const std::string noCnf = "書庫 {root}work/doll.zip には構成ﾌｧｲﾙがありません";
    const std::string noBack = Open("BACK.CEL", "{root}work/pip-lh0.lzh/");
    const std::string madeInParts = "back.bmp hair.bmp parts/ parts/body.bmp pip.txt shirt.bmp";
    const std::string capitals = "PIP.txt back.bmp body.bmp hair.bmp shirt.bmp";
    const std::string threeBodies = "0 body,1,0,1,1|1 body,2,0,2,2|2 body,3,0,3,3",
                      backAndBody = "0 back,0,0,0,0|1 body,1,0,1,1";
    // Preparations of several steps.
    const Prepare evilLink = DollLink("body.cel", "{root}work/evil.cel"),
                  twoCnf = Put("two.cnf", "%PIP.KCF\r\n#1 BODY.CEL\r\n");
    const Prepare evilPalette = Steps(PaletteName("..\\EVIL.KCF"), Write("work/evil.kcf", Sample("pip.kcf")));
    const Prepare threeNames = Steps(Put("body.old", Sample("hair.cel")), Cnf(three)); // the last one wins
    const Prepare inPartsCase =
        Steps(Folder("work/doll/Parts"), CelName("PARTS\\BODY.CEL"), Rename("body.cel", "Parts/Body.Cel"));
    const Prepare inParts =
        Steps(Folder("work/doll/parts"), CelName("PARTS\\BODY.CEL"), Rename("body.cel", "parts/body.cel"));
    const Prepare paletteLikeImage = Steps(Cnf(backBmp), kOutIsTheDollFolder);
    const Prepare cnfLikeReport = Steps(kOutIsTheDollFolder, Rename("pip.cnf", "pip.txt"), Config("work/doll/pip.txt"));
    const Prepare imageLikePalette =
        Steps(Put("body.bmp", Sample("pip.kcf")), PaletteName("BODY.BMP"), kOutIsTheDollFolder);
    const Prepare celLikeReport = Steps(Put("pip.txt", Sample("body.cel")), CelName("PIP.TXT"));
    const Prepare cutLzh = Steps(Archive("pip-lh5-level2.lzh", "pip/pip.cnf"), Cut("work/pip-lh5-level2.lzh", 700));
    const Prepare noHairInZip = Steps(Remove("hair.cel"), Zipped("pip.cnf"));
    const Prepare outsideInZip = Steps(CelName("..\\BODY.CEL"), Zipped("pip.cnf"));
    const Prepare sjisInZip = Steps(CelName(kSjis + ".CEL"), Rename("body.cel", kSjis + ".cel"), Zipped("pip.cnf"));
    const Prepare sjisAsUtf8 = Steps(CelName(kSjis + ".CEL"), Rename("body.cel", kUtf8 + ".Cel"));
    const Prepare softCnf = Rename("pip.cnf", kSoft + ".cnf"), backslashCnf = Rename("pip.cnf", "dolls\\pip.cnf");
    const std::string softImages = "back.bmp body.bmp hair.bmp shirt.bmp " + kSoft + ".txt";
    std::vector<Row> rows = {
        {"SampleDoll", kAsItIs, "", kImages, kAll, SampleAsked},
        {"EmptyConfiguration", Cnf(""), "", "pip.txt", ""},
        {"ConfigurationWithoutCels", Cnf("%PIP.KCF\r\n$0 1,1\r\n"), "", "pip.txt", "", OnlyEditorStarted},
        {"ExistingReportIsEmptied", Steps(Cnf(""), Old("pip.txt")), "", "pip.txt", ""},
        {"ConfigurationCutInsideACelName", CutAfter("HAIR.C"), Open("HAIR.C"), "body.bmp pip.txt", kUnplaced},
        {"EmptyCel", Put("body.cel", ""), "", kImages, kAll, BodyIsAnEmptyPicture},
        {"CelCutInsideItsHeader", Put("hair.cel", Sample("hair.cel").substr(0, 20)), "", kImages, kAll},
        {"EmptyPalette", Put("pip.kcf", ""), "", kImages, kAll, ColoursBlackThenGrey},
        {"PaletteCutInsideAColour", Put("clothes.kcf", Sample("clothes.kcf").substr(0, 33)), "", kImages, kAll},
        {"CelOf65535By65535Pixels", Put("body.cel", "\xFF\xFF\xFF\xFF"), kMemory, "pip.txt", ""},
        {"CelThatIsAGifFile", Put("body.cel", "GIF89a\x0F\x49"), "ｾﾙ BODY.CEL は GIF 画像ﾌｧｲﾙです", "pip.txt", ""},
        {"HeadedCelWithHugeSizeAndOffsets", Patch("hair.cel", 8, allOnes), kMemory, "body.bmp pip.txt", kBody},
        // Read unsigned as designed: offsets that fit keep their picture, negative ones that do not are named.
        {"HeadedCelWithAnXOffsetOf65533", Patch("hair.cel", 12, "\xFD\xFF"), "", kImages, kAll, HairIs65533Wider},
        {"HeadedCelWithNegativeOffsets", Patch("hair.cel", 12, "\xFD\xFF\xFD\xFF"), negative, "body.bmp pip.txt",
         kBody},
        {"PaletteOf65535Groups", Patch("clothes.kcf", 10, "\xFF\xFF"), "", kImages, kAll},
        {"PaletteOf65535ColoursIn65535Groups", Patch("clothes.kcf", 8, "\xFF\xFF\xFF\xFF"), "", kImages, kAll},
        {"CommentLineOf1MB", Later([] { return Cnf(";" + kBig + "\r\n" + kCnf); }), "", kImages, kAll},
        // Linear: positions past 255 dropped.
        {"SetLineOf8MB", Later([] { return Edit("32,54 *", "32,54 *" + Repeat(" 7,7", 1 << 21)); }), "", kImages, kAll},
        {"CelNameOf1MB", Later([] { return CelName(kBig + ".CEL"); }), Open(kBig + ".CEL"), "pip.txt", ""},
        {"TenThousandCommentLines", Cnf(Repeat(";\r\n", 10000) + kCnf), "", kImages, kAll},
        {"TenThousandCelLines", Cnf(Repeat("#1 BODY.CEL *0\r\n", 10000)), "ｾﾙ行が多すぎます (最大 256)", "pip.txt", ""},
        {"TenThousandContinuationLines", Cnf(kCnf + Repeat(" 1,1\r\n", 10000)), "", kImages, kAll},
        {"TwoHundredFiftySixCelsAndPositions", Cnf(manyCels), "", "body.bmp pip.txt", manyReport},
        {"SixteenPaletteAndSetLines", Cnf(sixteen), "", "body.bmp pip.txt", "0 body,0,0,1,1"},
        {"SeventeenPaletteLines", Cnf(Repeat("%PIP.KCF\r\n", 17)), "ﾊﾟﾚｯﾄ行が多すぎます (最大 16)", "pip.txt", ""},
        {"SeventeenSetLines", Cnf(Repeat("$0\r\n", 17)), "ｾｯﾄ行が多すぎます (最大 16)", "pip.txt", ""},
        {"TwoHundredFiftySixCelsThreeHundredFoldersDeep", deepCels, "", deepFolders, deepReport},
        {"NulBytesInAComment", Edit("; old-form", "; \0\0old-form"s), "", kImages, kAll},
        // Cut at the NUL it would write out/keep.dat.
        {"NulByteInsideACelName", Steps(Put("KEEP.DAT", Sample("body.cel")), CelName(nul)), Open(nul), "pip.txt", ""},
        {"CtrlZAfterTheSecondCel", Edit("#3 SHIRT.CEL", "\x1a#3"), "", "body.bmp hair.bmp pip.txt", kTwoUnplaced},
        {"CelNameWithDotDot", CelName("..\\EVIL.CEL"), Outside("..\\EVIL.CEL"), "pip.txt", ""},
        {"CelNameWithDotDotAfterAFolder", CelName("SUB/../../EVIL.CEL"), Outside("SUB/../../EVIL.CEL"), "pip.txt", ""},
        {"AbsoluteCelName", AbsoluteBodyCel, Outside("{root}work/evil.cel"), "pip.txt", ""},
        // \x1B on stderr.
        {"ControlBytesInACelName", CelName("\x1b[2J.CEL"), Open("\x1b[2J.CEL"), "pip.txt", ""},
        {"CelNameWithADrive", CelName("C:EVIL.CEL"), Outside("C:EVIL.CEL"), "pip.txt", ""},
        // Read out of the doll's folder.
        {"PaletteNameWithDotDot", evilPalette, Open("../evil.kcf"), "pip.txt", ""},
        {"CelLinkedFromOutsideTheDollFolder", evilLink, Open("body.cel"), "pip.txt", ""},
        {"CelLinkedInsideTheDollFolder", DollLink("body.cel", "hair.cel"), "", kImages, kAll},
        {"NamesOfOneImageInOtherCasesAndExtensions", threeNames, "", "body.bmp pip.txt", threeBodies, LastOneWins},
        {"CelInASubfolderWrittenInAnotherCase", inPartsCase, "", madeInParts, BodyAs("parts\\body")},
        {"PaletteNamedLikeAnImageTheRunWrote", paletteLikeImage, "", "back.bmp body.bmp pip.txt", backAndBody},
        {"ConfigurationNamedLikeTheReport", cnfLikeReport, Same("pip.txt"), "", kNone},
        {"ImageNamedLikeAPaletteOfTheRun", imageLikePalette, Same("body.bmp"), "pip.txt", ""},
        {"ImageNameOfAnExistingFolder", Folder("work/out/body.bmp"), NotMade("body.bmp"), "pip.txt", ""},
        {"TwoFilesMatchOneNameWithoutRegardToCase", Put("Body.Cel", ""), Open("BODY.CEL"), "pip.txt", ""},
        {"CelNamedLikeTheReport", celLikeReport, "", "back.bmp hair.bmp pip.bmp pip.txt shirt.bmp", BodyAs("pip")},
        {"MissingConfiguration", Config("work/doll/none.cnf"), "ﾌｧｲﾙが見つかりません", "none.txt", kNone},
        {"ConfigurationPathWrittenWithBackslashes", Config("work\\doll\\pip.cnf"), "", kImages, kNone},
        {"ConfigurationInAMissingFolder", Config("none/pip.cnf"), kBadName, "pip.txt", ""},
        {"MissingCel", Remove("hair.cel"), Open("HAIR.CEL"), "body.bmp pip.txt", kBody},
        {"MissingPalette", Remove("clothes.kcf"), Open("CLOTHES.KCF"), "body.bmp hair.bmp pip.txt", kTwo},
        // A palette index without a "%" line, or past the table, names the doll's folder.
        {"PaletteIndexWithoutAPaletteLine", Edit("#1 BODY.CEL *0", "#1 BODY.CEL *5"), Open(""), "pip.txt", ""},
        {"PaletteIndexPastTheTable", Edit("#1 BODY.CEL *0", "#1 BODY.CEL *16"), Open(""), "pip.txt", ""},
        {"EmptyCelName", Edit(bodyLine, "#1"), Open(""), "pip.txt", ""},
        {"ObjectNumberPastTheTable", Edit("#1 BODY", "#256 BODY"), objectRange, "pip.txt", ""},
        {"SetOutOfRange", SetText("12"), "ｾｯﾄ番号 12 は範囲外です (0 から 9)", "pip.txt", ""},
        {"SetTextWithABlank", SetText("1 "), "'1 ' は整数ではありません", "pip.txt", ""},
        {"SetTextEmpty", SetText(""), "'' は整数ではありません", "pip.txt", ""},
        {"FolderInPlaceOfTheConfiguration", DollFolder("pip.cnf"), kDenied, "pip.txt", ""},
        {"FolderInPlaceOfACel", DollFolder("body.cel"), Open("body.cel"), "pip.txt", ""},
        {"FolderInPlaceOfTheReport", Folder("work/out/pip.txt"), kDenied, "", kNone},
        {"MissingOutputFolder", Out("work/gone"), kBadName, "", kNone, NothingAsked},
        {"AnotherRunIntoTheSameFolder", LockTheOutputFolder, "出力ﾌｫﾙﾀﾞ {out} には他の変換が書き込み中です", "", kNone},
        {"FileInPlaceOfTheOutputFolder", Out("above.txt"), kBadName, "", kNone},
        {"OutputFolderRemovedDuringTheRun", RemoveTheOutputFolderDuringTheRun, NotMade("body.bmp"),
         "./ keep.dat other.bmp", kNone},
        // Replaced, not written through.
        {"LinkInPlaceOfTheReport", Link("pip.txt", "above.txt"), "", kImages, kAll},
        {"LinkInPlaceOfAnImage", Link("body.bmp", "work/evil.bmp"), "", kImages, kAll},
        {"HardLinkInPlaceOfAnImage", HardLink("body.bmp", "work/evil.bmp"), "", kImages, kAll},
        {"LinkInPlaceOfASubfolder", Steps(Link("parts", "work"), inParts), NotMade("parts/body.bmp"), "pip.txt", ""},
        // Its only configuration.
        {"ZipOfTheDoll", Zipped(), "", kImages, kNone, Golden},
        {"LhaLevel0", Archive("pip-lh5-level0.lzh", "pip/pip.cnf"), "", kImages, kAll, Golden},
        {"LhaLevel1InCapitals", Archive("pip-lh5-level1.lzh", "PIP/PIP.CNF"), "", capitals, kAll},
        {"LhaLevel2", Archive("pip-lh5-level2.lzh", "pip/pip.cnf"), "", kImages, kAll, Golden},
        {"ZipOfOurOwn", Archive("pip.zip", "pip/pip.cnf"), "", kImages, kAll, Golden},
        {"StoredLhaWithoutACel", Archive("pip-lh0.lzh", "pip.cnf"), noBack, kNoBack, kThree},
        {"ArchiveWithABadCrc", Archive("bad-crc.lzh", "pip.cnf"), badCrc, "", kNone},
        {"ArchiveCutShort", cutLzh, InArchive("pip-lh5-level2.lzh", "pip/hat.cel は途中で切れています"), "", kNone},
        {"ZipWithoutACel", noHairInZip, Open("HAIR.CEL", "{root}work/doll.zip/"), "body.bmp pip.txt", kBody},
        {"ZipWithTwoConfigurations", Steps(Put("two.cnf", ""), Zipped()), twoInZip, "", kNone},
        {"ConfigurationChosenInAZip", Steps(twoCnf, Zipped("two.cnf")), "", "body.bmp two.txt", kUnplaced},
        {"ConfigurationMissingFromAZip", Zipped("none.cnf"), "ﾌｧｲﾙが見つかりません", "none.txt", ""},
        {"ArchiveWithoutAConfiguration", Steps(Remove("pip.cnf"), Zipped()), noCnf, "", kNone},
        {"ZipWithANameOutsideIt", outsideInZip, Outside("..\\BODY.CEL"), "pip.txt", ""},
        // One name, not a folder; the image in UTF-8, the report as written.
        {"ShiftJisNameWithABackslashByteInAZip", sjisInZip, "", kNoBody + kUtf8 + ".bmp", BodyAs(kSjis)},
        {"ShiftJisNameFoundUnderItsUtf8Spelling", sjisAsUtf8, "", kNoBody + kUtf8 + ".bmp", BodyAs(kSjis)},
    };
#ifndef _WIN32 // FIFOs, devices, permissions root ignores, file size limits, signals, mounts
    rows.insert(rows.end(),
                {
                    {"FifoInPlaceOfTheConfiguration", DollFifo("pip.cnf"), kDenied, "pip.txt", ""},
                    {"DeviceAsTheConfiguration", DollLink("pip.cnf", "/dev/zero"), kDenied, "pip.txt", ""},
                    {"FifoInPlaceOfACel", DollFifo("body.cel"), Open("body.cel"), "pip.txt", ""},
                    {"CelWithoutReadPermission", TakeReadPermission, Open("body.cel"), "pip.txt", ""},
                    {"FifoInPlaceOfTheReport", Fifo("work/out/pip.txt"), kDenied, "", kNone},
                    {"FifoInPlaceOfAnImage", Fifo("work/out/body.bmp"), NotMade("body.bmp"), "pip.txt", ""},
                    // back.bmp whole, no temporary left.
                    {"ImageWriteFailsPartWay", Steps(Old("back.bmp"), LimitFileSizes), kWrite, kNoBack, kThree},
                    // The previous report whole, its temporary file removed.
                    {"InterruptedBySigint", Signal(SIGINT), "", "", kNone},
                    {"InterruptedBySigterm", Signal(SIGTERM), "", "", kNone},
                    {"InterruptedBySighup", Signal(SIGHUP), "", "", kNone},
                    // The image that would not fit is not begun.
                    {"FullDisk", FillTheDisk, kWrite, "pip.txt", ""},
                    // A "\" in a configuration's name is a byte of it: the report keeps whole characters.
                    {"ShiftJisConfigurationNameWithABackslashByte",
                     Steps(softCnf, Config("work/doll/" + kSoft + ".cnf")), "", softImages, kAll},
                    {"ShiftJisConfigurationNameWithABackslashByteInAZip", Steps(softCnf, Zipped(kSoft + ".cnf")), "",
                     softImages, kAll},
                    {"ConfigurationNameWithABackslash", Steps(backslashCnf, Config("work/doll/dolls\\pip.cnf")), "",
                     "back.bmp body.bmp dolls\\pip.txt hair.bmp shirt.bmp", kAll},
                });
#endif
    return rows;
}

// Rows also run through kiss2bmp, by id, with the English line it adds to the message.
const std::map<std::string, std::string> kThroughKiss2bmp = {
    {"CelNameWithDotDot", "cannot convert the cel '..\\EVIL.CEL': its name leads outside the output folder"},
    {"ControlBytesInACelName", "cannot open the cel '\x1b[2J.CEL': no such file"},
    {"MissingConfiguration", "cannot open '{doll}none.cnf': no such file"},
    {"SetTextEmpty", "cannot read the set number: '' is not a whole number"},
    {"FifoInPlaceOfTheReport", "cannot create the report '{out}/pip.txt': access denied"},
    {"FifoInPlaceOfACel", "cannot open the cel 'BODY.CEL': access denied"},
    {"AnotherRunIntoTheSameFolder", "another run is writing into the output folder '{out}'"},
    {"ZipOfTheDoll", ""},
    {"ConfigurationNamedLikeTheReport", "cannot create the report '{doll}pip.txt': it is the input '{doll}pip.txt'"},
    {"ArchiveWithABadCrc", "cannot open '{root}work/bad-crc.lzh/pip.cnf': the member 'body.cel' fails its CRC check"},
    {"ArchiveWithoutAConfiguration", "the archive '{root}work/doll.zip' holds no configuration"},
    {"MissingCel", "cannot open the cel 'HAIR.CEL': no such file"},
    {"MissingPalette", "cannot open the palette 'CLOTHES.KCF': no such file"},
    {"ArchiveCutShort", "cannot open '{root}work/pip-lh5-level2.lzh/pip/pip.cnf': the member 'pip/hat.cel' is cut off"},
    {"ImageWriteFailsPartWay", "cannot write the image '{out}/back.bmp': the file would be too large"},
    {"ObjectNumberPastTheTable", "cannot convert the cel 'BODY.CEL': object number 256 is out of range (0 to 255)"},
    {"CelOf65535By65535Pixels", "cannot convert the cel 'BODY.CEL': out of memory: the picture is too large"},
    {"CelThatIsAGifFile", "cannot convert the cel 'BODY.CEL': 'BODY.CEL' is a GIF image, not a KiSS cel"},
    {"HeadedCelWithNegativeOffsets", "cannot convert the cel 'HAIR.CEL': 'HAIR.CEL' has negative offsets (-3, -3), "
                                     "which a BMP file cannot hold (--format png draws it)"},
};

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
    {"OutputFolderRemovedDuringTheRun", "a folder holding an open file cannot be removed there"},
    {"TwoHundredFiftySixCelsThreeHundredFoldersDeep", "MinGW's std::filesystem cannot list folders past MAX_PATH"}};
#endif

// The size a BMP's header gives; "BM" and a size field that matches, or no BMP.
const auto BmpSize = [](Text b) -> std::size_t {
    if (b.size() < 6 || !b.starts_with("BM")) return 0;
    return (b[2] & 255) | (b[3] & 255) << 8 | (b[4] & 255) << 16 | (b[5] & 255u) << 24;
};

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
    void CheckAfter(const std::string& message)
    {
        EXPECT_EQ(Native(message), Native(s.Expand(GetParam().message)));
        auto after = s.Snapshot(), both = before;
        both.insert(after.begin(), after.end());
        std::string changed;
        for (const auto& [name, bytes] : both) {
            if (before.count(name) && after.count(name) && before[name] == after[name]) continue;
            changed += (changed.empty() ? "" : " ") + name;
            const bool whole = !after.count(name) || after[name].size() == BmpSize(after[name]);
            EXPECT_TRUE(!name.ends_with(".bmp") || message == kWrite || whole) << name << " is cut"; // a failed write
        }
        EXPECT_EQ(changed, GetParam().changed);
        if (GetParam().report != kNone) {
            EXPECT_EQ(ReadText(ReportPathFor(s.config, s.out)), Report(GetParam().report));
        }
    }

    Scene s;
    std::map<std::string, std::string> before;
};
TEST_P(RunTable, InProcess)
{
    RecordingControls controls(s.setText);
    const auto run = [&] { ConvertConfiguration(s.config, s.out, controls); };
    if (const int signal = s.signal) { // the run's process ends at once with 128 + the signal
        controls.onSetRead = [signal] { std::raise(signal); };
        const auto cleanly = [&] {
            platform::ExitCleanlyOnSignals();
            run();
        };
        EXPECT_EXIT(cleanly(), ::testing::ExitedWithCode(128 + signal), "");
        return CheckAfter("");
    }
    controls.onSetRead = s.duringRun;
    const auto start = ProcessorTime();
    const std::string message = MessageOf(run);
    const bool ok = message == "(no error)";
    EXPECT_LT(ProcessorTime() - start, std::chrono::seconds(20)); // processor time: a busy machine does not count
    CheckAfter(ok ? "" : message);
    EXPECT_EQ(std::ranges::count_if(controls.log, [](auto& e) { return e.starts_with("edit "); }), ok);
    EXPECT_TRUE(!ok || (Native(controls.log.back()).starts_with(Native("edit " + s.out + "/")) &&
                        controls.log.back().ends_with(".txt"))); // the editor comes last
    if (GetParam().check) GetParam().check(s, controls.log);
}

using RunThroughKiss2bmp = RunTable;
TEST_P(RunThroughKiss2bmp, ExitStatusAndMessage)
{
    if (s.duringRun) s.duringRun(); // from the start: the process tells no one when the set is read
    const auto r = RunProcess(KISS2BMP_PATH, {"--set=" + s.setText, s.config, s.out}, s.root);
    const auto message = s.Expand(GetParam().message), english = s.Expand(kThroughKiss2bmp.at(GetParam().id));
    const auto shown = std::regex_replace(message + ".\nkiss2bmp: " + english + "\n", std::regex("\x1b"), "\\x1B");
    EXPECT_EQ(std::tuple(r.status, Native(r.err), r.out.empty()),
              std::tuple(message.empty() ? 0 : 1, message.empty() ? "" : Native(shown), !message.empty()));
    CheckAfter(message);
}

std::vector<Row> ThroughKiss2bmp()
{
    std::vector<Row> rows = Rows();
    std::erase_if(rows, [](const Row& row) { return !kThroughKiss2bmp.count(row.id); });
    return rows;
}
const auto kName = [](const auto& info) { return std::string(info.param.id); };
INSTANTIATE_TEST_SUITE_P(Run, RunTable, ::testing::ValuesIn(Rows()), kName);
INSTANTIATE_TEST_SUITE_P(Run, RunThroughKiss2bmp, ::testing::ValuesIn(ThroughKiss2bmp()), kName);

} // namespace

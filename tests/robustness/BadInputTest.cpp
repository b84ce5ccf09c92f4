// Bad input end to end: each case prepares a copy of the sample doll, then converts it once in
// the process and once through kiss2bmp, each time in a fresh copy. Every case checks the exact
// message (or success), what the output folder holds afterwards, the report's bytes, that the
// editor is started only after success, and that no decoy above, next to or inside the output
// folder changed.
#include "RobustnessScene.h"

#include "conversion/ConvertConfiguration.h"
#include "platform/Exception.h"
#include "support/TempDir.h"

#include <KissWriter.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Scene = RobustnessScene;

struct Line {
    int index;
    std::string value;
};

std::string Report(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& l : lines)
        text +=
            "<PARAM NAME=\"image" + std::to_string(l.index) + "\" VALUE=\"" + l.value + "\">\r\n";
    return text;
}

// The sample doll's set 0, converted whole.
const Line kBack{0, "back,0,0,0,0"}, kBody{1, "body,1,0,32,30"}, kHair{2, "hair,2,40,36,30"},
    kShirt{3, "shirt,3,0,32,54"};
const std::vector<std::string> kAllImages = {"back.bmp", "body.bmp", "hair.bmp", "pip.txt",
                                             "shirt.bmp"};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("no '" + from + "' in the text");
    return text.replace(at, from.size(), to);
}

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

void Config(const Scene& s, const std::string& text) {
    s.PutText("pip.cnf", text);
}
void EditConfig(const Scene& s, const std::string& from, const std::string& to) {
    Config(s, Replace(Scene::SampleConfiguration(), from, to));
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

std::vector<std::uint8_t> WithU16(std::vector<std::uint8_t> bytes, std::size_t at,
                                  std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    return bytes;
}

// Colour table entry i of a saved image as blue, green, red, 0.
std::string Entry(const Scene& s, const std::string& image, int i) {
    return ReadText(s.out + "/" + image).substr(54 + 4 * i, 4);
}

std::string Grey(int level) {
    return std::string(3, static_cast<char>(level)) + '\0';
}

struct BadInput {
    const char* id;
    std::function<void(Scene&)> prepare;
    // "" when the run succeeds; {doll}, {out} and {root} stand for the scene's folders.
    std::string message;
    std::vector<std::string> outputs;  // what the output folder holds afterwards
    std::optional<std::string> report; // the report's bytes, when there is a report file
    bool inProcessOnly = false;        // the case needs a hook into the run
    std::function<void(const Scene&)> extraCheck = nullptr;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const BadInput& c, std::ostream* os) {
    *os << c.id;
}

std::string Expand(std::string text, const Scene& s) {
    for (const auto& [mark, value] : std::vector<std::pair<std::string, std::string>>{
             {"{doll}", s.doll}, {"{out}", s.out}, {"{root}", s.root}}) {
        for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
            text.replace(at, mark.size(), value), at += value.size();
    }
    return text;
}

const std::string kOpen = "ﾌｧｲﾙ %s は開けません";
std::string OpenError(const std::string& path) {
    return FormatMessage(kOpen, path);
}
std::string CreateError(const std::string& path) {
    return FormatMessage("ﾌｧｲﾙ %s を作成できません", path);
}
std::string Outside(const std::string& name) {
    return FormatMessage("ｾﾙ %s は出力ﾌｫﾙﾀﾞの外を指すため変換できません", name);
}
const std::string kMemory = "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました";
const std::string kNotFound = "ﾌｧｲﾙが見つかりません";
const std::string kBadName = "不正なﾌｧｲﾙ名です";
const std::string kDenied = "ﾌｧｲﾙへのｱｸｾｽが拒否されました";

const std::string kBigName(1 << 20, 'B');

std::vector<BadInput> Cases() {
    const std::string all = Report({kBack, kBody, kHair, kShirt});
    return {
        {"SampleDoll", [](Scene&) {}, "", kAllImages, all},

        // Truncated and empty files.
        {"EmptyConfiguration", [](Scene& s) { Config(s, ""); }, "", {"pip.txt"}, ""},
        {"ConfigurationCutInsideACelName",
         [](Scene& s) {
             const std::string text = Scene::SampleConfiguration();
             Config(s, text.substr(0, text.find("HAIR.CEL") + 6));
         },
         OpenError("{doll}HAIR.C"),
         {"back.bmp", "body.bmp", "pip.txt"},
         Report({{0, "back,0,0,-1,-1"}, {1, "body,1,0,-1,-1"}})},
        {"EmptyCel", [](Scene& s) { s.PutText("body.cel", ""); }, "", kAllImages, all, false,
         [](const Scene& s) { EXPECT_EQ(fs::file_size(s.out + "/body.bmp"), 1078u); }},
        {"CelCutInsideItsHeader",
         [](Scene& s) { s.PutBytes("hair.cel", Cut(s.SampleFile("hair.cel"), 20)); }, "",
         kAllImages, all, false,
         [](const Scene& s) {
             // 24 x 9 at offset (3, 0): rows of 28 bytes, every pixel 0.
             const std::string bytes = ReadText(s.out + "/hair.bmp");
             ASSERT_EQ(bytes.size(), 1078u + 28 * 9);
             EXPECT_EQ(bytes.substr(1078), std::string(28 * 9, '\0'));
         }},
        {"EmptyPalette", [](Scene& s) { s.PutText("pip.kcf", ""); }, "", kAllImages, all, false,
         [](const Scene& s) {
             // An old-form palette without data: its 160 colours black, the rest grey.
             for (int i : {0, 5, 159})
                 EXPECT_EQ(Entry(s, "body.bmp", i), Grey(0));
             for (int i : {160, 255})
                 EXPECT_EQ(Entry(s, "body.bmp", i), Grey(i));
         }},
        {"PaletteCutInsideAColour",
         [](Scene& s) { s.PutBytes("clothes.kcf", Cut(s.SampleFile("clothes.kcf"), 33)); }, "",
         kAllImages, all, false,
         [](const Scene& s) {
             // One byte of colour data: it is every component of the file's 64 colours.
             const int b = static_cast<unsigned char>(s.SampleFile("clothes.kcf")[32]);
             for (int i : {0, 63})
                 EXPECT_EQ(Entry(s, "back.bmp", i), Grey(b));
             EXPECT_EQ(Entry(s, "back.bmp", 64), Grey(64));
         }},

        // Huge header sizes.
        {"CelOf65535By65535Pixels",
         [](Scene& s) {
             s.PutBytes("body.cel", {0xFF, 0xFF, 0xFF, 0xFF});
         },
         kMemory,
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"HeadedCelWithHugeSizeAndOffsets",
         [](Scene& s) {
             auto cel = s.SampleFile("hair.cel");
             for (std::size_t at : {8, 10, 12, 14})
                 cel = WithU16(cel, at, 0xFFFF);
             s.PutBytes("hair.cel", cel);
         },
         kMemory,
         {"back.bmp", "body.bmp", "pip.txt"},
         Report({kBack, kBody})},
        {"PaletteOf65535Groups",
         [](Scene& s) {
             s.PutBytes("clothes.kcf", WithU16(s.SampleFile("clothes.kcf"), 10, 0xFFFF));
         },
         "", kAllImages, all, false,
         [](const Scene& s) {
             // 16 x 65535 colours: the table's 256 entries are filled, past the file's end with
             // its last byte.
             const int last = static_cast<unsigned char>(s.SampleFile("clothes.kcf").back());
             EXPECT_EQ(Entry(s, "back.bmp", 255), Grey(last));
         }},
        {"PaletteOf65535ColoursIn65535Groups",
         [](Scene& s) {
             s.PutBytes("clothes.kcf",
                        WithU16(WithU16(s.SampleFile("clothes.kcf"), 8, 0xFFFF), 10, 0xFFFF));
         },
         "", kAllImages, all},

        // Long lines and many lines.
        {"CommentLineOf1MB",
         [](Scene& s) {
             Config(s, ";" + std::string(1 << 20, 'x') + "\r\n" + Scene::SampleConfiguration());
         },
         "", kAllImages, all},
        {"SetLineOf1MB",
         [](Scene& s) { EditConfig(s, "32,54 *", "32,54 *" + Repeat(" 7,7", 1 << 18)); }, "",
         kAllImages, all},
        {"CelNameOf1MB",
         [](Scene& s) { EditConfig(s, "#1 BODY.CEL", "#1 " + kBigName + ".CEL"); },
         OpenError("{doll}" + kBigName + ".CEL"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"TenThousandCommentLines",
         [](Scene& s) { Config(s, Repeat(";\r\n", 10000) + Scene::SampleConfiguration()); }, "",
         kAllImages, all},
        {"TenThousandCelLines",
         [](Scene& s) { Config(s, Repeat("#1 BODY.CEL *0\r\n", 10000)); },
         "ｾﾙ行が多すぎます (最大 256)",
         {"pip.txt"},
         ""},
        {"TenThousandContinuationLines",
         [](Scene& s) { Config(s, Scene::SampleConfiguration() + Repeat(" 1,1\r\n", 10000)); }, "",
         kAllImages, all},

        // NUL and Ctrl-Z bytes.
        {"NulBytesInAComment",
         [](Scene& s) { EditConfig(s, "; old-form", std::string("; \0\0old-form", 12)); }, "",
         kAllImages, all},
        {"NulByteInsideACelName",
         [](Scene& s) {
             // Cut at the NUL, the name would write out/keep.dat, a file that is not the run's.
             s.PutBytes("KEEP.DAT", s.SampleFile("body.cel"));
             EditConfig(s, "#1 BODY.CEL", std::string("#1 KEEP.DAT\0.CEL", 16));
         },
         OpenError(std::string("{doll}KEEP.DAT\0.CEL", 19)),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"CtrlZAfterTheSecondCel",
         [](Scene& s) { EditConfig(s, "#2.40 HAIR.CEL", "\x1a#2.40 HAIR.CEL"); },
         "",
         {"back.bmp", "body.bmp", "pip.txt"},
         Report({{0, "back,0,0,-1,-1"}, {1, "body,1,0,-1,-1"}})},

        // Names that point outside the output folder, or collide.
        {"CelNameWithDotDot",
         [](Scene& s) { EditConfig(s, "#1 BODY.CEL", "#1 ..\\EVIL.CEL"); },
         Outside("..\\EVIL.CEL"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"CelNameWithDotDotAfterAFolder",
         [](Scene& s) { EditConfig(s, "#1 BODY.CEL", "#1 SUB/../../EVIL.CEL"); },
         Outside("SUB/../../EVIL.CEL"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"AbsoluteCelName",
         [](Scene& s) { EditConfig(s, "#1 BODY.CEL", "#1 " + s.root + "work/evil.cel"); },
         Outside("{root}work/evil.cel"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"CelNameWithADrive",
         [](Scene& s) { EditConfig(s, "#1 BODY.CEL", "#1 C:EVIL.CEL"); },
         Outside("C:EVIL.CEL"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"PaletteNameWithDotDotIsOnlyRead",
         [](Scene& s) { EditConfig(s, "%PIP.KCF", "%..\\EVIL.KCF"); }, "", kAllImages, all},
        {"ThreeCelNamesForOneImage",
         [](Scene& s) {
             Config(s, "%PIP.KCF\r\n#1 BODY.CEL\r\n#2 body.cel\r\n#3 Body.Cel\r\n"
                       "$0 * 1,1 2,2 3,3\r\n");
         },
         "",
         {"body.bmp", "pip.txt"},
         Report({{0, "body,1,0,1,1"}, {1, "body,2,0,2,2"}, {2, "body,3,0,3,3"}})},
        {"ImageNameOfAnExistingFolder",
         [](Scene& s) { fs::create_directory(s.out + "/body.bmp"); },
         CreateError("{out}/body.bmp"),
         {"back.bmp", "body.bmp/", "pip.txt"},
         Report({kBack})},
        {"TwoFilesMatchOneNameWithoutRegardToCase",
         [](Scene& s) { s.PutBytes("Body.Cel", s.SampleFile("body.cel")); },
         OpenError("{doll}BODY.CEL"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"CelNamedLikeTheReport",
         [](Scene& s) {
             s.PutBytes("pip.txt", s.SampleFile("body.cel"));
             EditConfig(s, "#1 BODY.CEL", "#1 PIP.TXT");
         },
         "",
         {"back.bmp", "hair.bmp", "pip.bmp", "pip.txt", "shirt.bmp"},
         Report({kBack, {1, "pip,1,0,32,30"}, kHair, kShirt})},

        // Missing and unreadable files.
        {"MissingConfiguration",
         [](Scene& s) { s.config = s.doll + "none.cnf"; },
         kNotFound,
         {"none.txt"},
         ""},
        {"ConfigurationInAMissingFolder",
         [](Scene& s) { s.config = s.root + "work/nowhere/pip.cnf"; },
         kBadName,
         {"pip.txt"},
         ""},
        {"MissingCel",
         [](Scene& s) { fs::remove(s.doll + "hair.cel"); },
         OpenError("{doll}HAIR.CEL"),
         {"back.bmp", "body.bmp", "pip.txt"},
         Report({kBack, kBody})},
        {"MissingPalette",
         [](Scene& s) { fs::remove(s.doll + "clothes.kcf"); },
         OpenError("{doll}CLOTHES.KCF"),
         {"pip.txt"},
         ""},
        {"PaletteIndexWithoutAPaletteLine",
         [](Scene& s) { EditConfig(s, "#1 BODY.CEL *0", "#1 BODY.CEL *5"); },
         OpenError("{doll}"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"FolderInPlaceOfTheConfiguration",
         [](Scene& s) {
             fs::remove(s.config);
             fs::create_directory(s.config);
         },
         kDenied,
         {"pip.txt"},
         ""},
        {"FolderInPlaceOfACel",
         [](Scene& s) {
             fs::remove(s.doll + "body.cel");
             fs::create_directory(s.doll + "body.cel");
         },
         OpenError("{doll}body.cel"),
         {"back.bmp", "pip.txt"},
         Report({kBack})},
        {"FolderInPlaceOfTheReport",
         [](Scene& s) { fs::create_directory(s.out + "/pip.txt"); },
         kDenied,
         {"pip.txt/"},
         std::nullopt},

        // The output folder.
        {"MissingOutputFolder",
         [](Scene& s) { s.out = s.root + "work/gone"; },
         kBadName,
         {},
         std::nullopt},
        {"FileInPlaceOfTheOutputFolder",
         [](Scene& s) { s.out = s.root + "work/next.txt"; },
         kBadName,
         {},
         std::nullopt},
        {"OutputFolderRemovedDuringTheRun",
         [](Scene&) {},
         CreateError("{out}/back.bmp"),
         {},
         std::nullopt,
         true},

        // A device that takes no byte: ENOSPC on the report or on an image.
        {"FullDeviceAsTheReport",
         [](Scene& s) { fs::create_symlink("/dev/full", s.out + "/pip.txt"); },
         "I/O ｴﾗｰ (28)",
         {"back.bmp", "pip.txt"},
         std::nullopt},
        {"FullDeviceAsAnImage",
         [](Scene& s) { fs::create_symlink("/dev/full", s.out + "/body.bmp"); },
         "ｽﾄﾘｰﾑへの書き込みｴﾗｰ",
         {"back.bmp", "body.bmp", "pip.txt"},
         Report({kBack})},
    };
}

class BadInputTest : public ::testing::TestWithParam<BadInput> {
protected:
    // Checks what one run left behind; `failure` is its message, empty after success.
    void CheckAfter(const Scene& s, const std::map<std::string, std::string>& decoys,
                    const std::string& failure) {
        const BadInput& c = GetParam();
        EXPECT_EQ(failure, Expand(c.message, s));
        EXPECT_EQ(s.Decoys(), decoys) << "a file outside the output folder changed";
        if (!c.inProcessOnly) {
            EXPECT_TRUE(s.InsideDecoysKept());
        }
        EXPECT_EQ(s.Outputs(), c.outputs);
        if (c.report) {
            EXPECT_EQ(ReadText(ReportPathFor(s.config, s.out)), *c.report);
        }
        for (const std::string& name : s.Outputs()) {
            const std::string path = s.out + "/" + name;
            if (name.size() < 4 || name.compare(name.size() - 4, 4, ".bmp") != 0 ||
                !fs::is_regular_file(fs::symlink_status(path)))
                continue;
            const std::string bytes = ReadText(path);
            ASSERT_GE(bytes.size(), 1078u) << name;
            EXPECT_EQ(bytes.substr(0, 2), "BM") << name;
        }
        if (c.extraCheck) c.extraCheck(s);
    }
};

TEST_P(BadInputTest, InProcess) {
    const BadInput& c = GetParam();
    if (c.id == std::string("FullDeviceAsTheReport") || c.id == std::string("FullDeviceAsAnImage"))
        if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
    Scene s;
    c.prepare(s);
    const auto decoys = s.Decoys();
    WatchingControls controls;
    if (c.inProcessOnly) controls.onSetRead = [&s] { fs::remove_all(s.out); };

    std::string failure;
    try {
        ConvertConfiguration(s.config, s.out, controls);
    } catch (const Exception& e) {
        failure = e.Message();
    }
    CheckAfter(s, decoys, failure);
    if (failure.empty())
        EXPECT_EQ(controls.editors, std::vector<std::string>{ReportPathFor(s.config, s.out)});
    else
        EXPECT_TRUE(controls.editors.empty());
}

TEST_P(BadInputTest, ThroughKiss2bmp) {
    const BadInput& c = GetParam();
    if (c.inProcessOnly) GTEST_SKIP() << "needs a hook into the run";
    if (c.id == std::string("FullDeviceAsTheReport") || c.id == std::string("FullDeviceAsAnImage"))
        if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
    Scene s;
    c.prepare(s);
    const auto decoys = s.Decoys();
    TempDir scratch;

    const ProcessResult r = RunKiss2bmp({"--set", "0", s.config, s.out}, scratch.Prefix());
    if (c.message.empty()) {
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        ASSERT_GE(r.err.size(), 2u);
        EXPECT_EQ(r.err.substr(r.err.size() - 2), ".\n");
    }
    CheckAfter(s, decoys, r.status == 1 ? r.err.substr(0, r.err.size() - 2) : "");
}

INSTANTIATE_TEST_SUITE_P(Robustness, BadInputTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.id); });

} // namespace

namespace {

TEST(UnreadableFileTest, CelWithoutReadPermission) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "runs as root, whom file permissions do not stop; the folder-in-place "
                        "cases cover files that cannot be read";
    Scene s;
    const auto decoys = s.Decoys(); // taken while every file can still be read
    fs::permissions(s.doll + "body.cel", fs::perms::none);
    WatchingControls controls;
    try {
        ConvertConfiguration(s.config, s.out, controls);
        ADD_FAILURE() << "the run succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), OpenError(s.doll + "body.cel"));
    }
    fs::permissions(s.doll + "body.cel", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(s.Decoys(), decoys);
    EXPECT_EQ(s.Outputs(), (std::vector<std::string>{"back.bmp", "pip.txt"}));
}

// Positions past the table's end are dropped, so a long set line costs no more than its length.
TEST(LongLineTest, SetLineOf8MBIsReadInLinearTime) {
    Scene s;
    EditConfig(s, "32,54 *", "32,54 *" + Repeat(" 7,7", 1 << 21));
    WatchingControls controls;
    const auto start = std::chrono::steady_clock::now();
    ConvertConfiguration(s.config, s.out, controls);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(seconds.count(), 10.0);
    EXPECT_EQ(ReadText(s.out + "/pip.txt"), Report({kBack, kBody, kHair, kShirt}));
}

} // namespace

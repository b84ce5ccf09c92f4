#include "conversion/ConvertConfiguration.h"

#include "imaging/Bmp256Image.h"
#include "imaging/DecodeCel.h"
#include "imaging/MemoryStream.h"
#include "platform/Exception.h"
#include "support/TempDir.h"

#include <KissWriter.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using kisswriter::Picture;

// Watches what a run asks of the window.
class FakeControls : public RunControls {
public:
    explicit FakeControls(std::string setText = "0") : setText(std::move(setText)) {}
    void ShowPaletteCount(const std::string& text) override { log.push_back("pal " + text); }
    void ShowCelCount(const std::string& text) override { log.push_back("cel " + text); }
    std::string SetSelectorText() override
    {
        log.push_back("set?");
        return setText;
    }
    void StartEditor(const std::string& reportPath) override { log.push_back("edit " + reportPath); }

    std::string setText;
    std::vector<std::string> log;
};

// A doll folder and an output folder side by side.
class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(temp.Path() / "doll");
        fs::create_directory(temp.Path() / "out");
        dollDir = temp / "doll";
        outDir = temp / "out";
        cnf = dollDir + "/doll.cnf";
    }

    void Doll(const std::string& text) { WriteFile(cnf, text); }
    void Put(const std::string& name, const kisswriter::Bytes& bytes) { WriteFile(dollDir + "/" + name, bytes); }
    std::string Report() const { return ReadText(outDir + "/doll.txt"); }
    std::string Out(const std::string& name) const { return outDir + "/" + name; }

    // The bytes a 3 x 2 test cel must give, decoded independently of any run.
    static Bytes Expected(const kisswriter::Bytes& cel, const kisswriter::Bytes& palette,
                          std::uint8_t offset)
    {
        MemoryStream celStream, paletteStream;
        celStream.Write(cel.data(), cel.size());
        paletteStream.Write(palette.data(), palette.size());
        TBmp256Image image;
        DecodeCel(image, celStream, paletteStream, offset);
        const auto* p = image.Stream().Data();
        return Bytes(p, p + image.FileSize());
    }

    static std::string Line(int n, const std::string& value)
    {
        return "<PARAM NAME=\"image" + std::to_string(n) + "\" VALUE=\"" + value + "\">\r\n";
    }

    TempDir temp;
    std::string dollDir, outDir, cnf;
};

Picture Small()
{
    Picture p(3, 2);
    p.pixels = {1, 2, 3, 4, 0, 15};
    return p;
}

const kisswriter::Bytes kCel = kisswriter::OldCel(Small());
const kisswriter::Bytes kPalette = kisswriter::OldPalette({{16, 32, 48}, {240, 0, 0}});

TEST_F(RunTest, ConvertsTheCelsOfTheChosenSetAndWritesTheReport)
{
    Put("body.cel", kCel);
    Put("arm.cel", kCel);
    Put("leg.cel", kCel);
    Put("pal.kcf", kPalette);
    Doll("%pal.kcf\r\n"
         "#1.99 BODY.CEL *0 :0 1\r\n"
         "#2 arm.cel :1\r\n"          // not in set 0: index 1 stays unused
         "#3 leg.cel\r\n"             // in every set, marked "*" on the set line
         "$0 * 200,100 7,8 *\r\n");
    FakeControls controls;
    ConvertConfiguration(cnf, outDir, controls);

    EXPECT_EQ(Report(), Line(0, "body,1,99,200,100") + Line(2, "leg,3,0,-1,-1"));
    EXPECT_EQ(ReadFile(Out("body.bmp")), Expected(kCel, kPalette, 0));
    EXPECT_EQ(ReadFile(Out("leg.bmp")), Expected(kCel, kPalette, 0));
    EXPECT_FALSE(fs::exists(Out("arm.bmp")));
    EXPECT_EQ(controls.log, (std::vector<std::string>{"pal 1", "cel 3", "set?",
                                                      "edit " + outDir + "/doll.txt"}));
}

TEST_F(RunTest, PaletteGroupOfTheChosenSetOffsetsFourBitCels)
{
    Put("body.cel", kCel);
    Put("pal.kcf", kPalette);
    Doll("%pal.kcf\r\n#0 body.cel\r\n$0 1,1\r\n$1 2,2\r\n$2 3,3\r\n");
    FakeControls controls("2");
    ConvertConfiguration(cnf, outDir, controls);

    const Bytes bmp = ReadFile(Out("body.bmp"));
    EXPECT_EQ(bmp, Expected(kCel, kPalette, 32));
    // Top row 1 2 3 -> 33 34 35, stored last; the 0 pixel stays 0.
    EXPECT_EQ(Bytes(bmp.begin() + 1078, bmp.end()), (Bytes{36, 0, 47, 0, 33, 34, 35, 0}));
    EXPECT_EQ(Report(), Line(0, "body,0,0,3,3"));
}

TEST_F(RunTest, ConfigurationWithoutCelsLeavesAnEmptyReportAndStillStartsTheEditor)
{
    Put("pal.kcf", kPalette);
    Doll("%pal.kcf\r\n$0 1,1\r\n; no cels\r\n");
    FakeControls controls("not read");
    ConvertConfiguration(cnf, outDir, controls);
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(controls.log, (std::vector<std::string>{"edit " + outDir + "/doll.txt"}));
}

TEST_F(RunTest, NamesThatDifferInCaseOrExtensionShareOneImage)
{
    const kisswriter::Bytes second = kisswriter::OldCel(Picture(5, 1));
    Put("a.cel", kCel);
    Put("a.old", second);
    Put("pal.kcf", kPalette);
    Doll("%pal.kcf\r\n#0 A.CEL\r\n#1 a.old\r\n$0 1,2 3,4\r\n");
    FakeControls controls;
    ConvertConfiguration(cnf, outDir, controls);
    EXPECT_EQ(Report(), Line(0, "a,0,0,1,2") + Line(1, "a,1,0,3,4"));
    EXPECT_EQ(ReadFile(Out("a.bmp")), Expected(second, kPalette, 0));
}

TEST_F(RunTest, FindsFilesWhoseCaseDiffersOnDiskAndKeepsSubfolders)
{
    fs::create_directory(temp.Path() / "doll" / "Parts");
    Put("Parts/Body.Cel", kCel);
    Put("PAL.KCF", kPalette);
    Doll("%pal.kcf\r\n#0 PARTS\\BODY.CEL\r\n$0 5,6\r\n");
    FakeControls controls;
    ConvertConfiguration(cnf, outDir, controls);
    // The report keeps the name as written, lowered; the image goes to a new subfolder.
    EXPECT_EQ(Report(), Line(0, "parts\\body,0,0,5,6"));
    EXPECT_EQ(ReadFile(Out("parts/body.bmp")), Expected(kCel, kPalette, 0));
}

TEST_F(RunTest, OutputFolderWithTrailingSeparatorIsJoinedWithAnotherOne)
{
    Doll("; empty\r\n");
    FakeControls controls;
    ConvertConfiguration(cnf, outDir + "/", controls);
    EXPECT_EQ(controls.log, (std::vector<std::string>{"edit " + outDir + "//doll.txt"}));
    EXPECT_TRUE(fs::exists(Out("doll.txt")));
}

struct FailingRun {
    const char* name;
    std::string cnf;          // written to doll.cnf unless empty
    std::string setText;
    std::string message;      // "%d" stands for the doll folder with its trailing separator
    std::string report;       // what the report holds afterwards
};

class FailingRunTest : public RunTest, public ::testing::WithParamInterface<FailingRun> {};

TEST_P(FailingRunTest, EndsWithItsMessageKeepsWhatWasWrittenAndStartsNoEditor)
{
    const FailingRun& c = GetParam();
    Put("ok.cel", kCel);
    Put("pal.kcf", kPalette);
    if (!c.cnf.empty()) Doll(c.cnf);
    // A file that sits where an image of an escaping name would land must survive.
    WriteFile(temp / "evil.bmp", std::string("keep"));

    FakeControls controls(c.setText);
    std::string message = "no exception";
    try {
        ConvertConfiguration(cnf, outDir, controls);
    } catch (const Exception& e) {
        message = e.Message();
    }
    std::string expected = c.message;
    if (const auto at = expected.find("%d"); at != std::string::npos)
        expected.replace(at, 2, dollDir + "/");
    EXPECT_EQ(message, expected);
    EXPECT_EQ(Report(), c.report);
    for (const auto& entry : controls.log) EXPECT_NE(entry.rfind("edit", 0), 0u) << entry;
    EXPECT_EQ(ReadText(temp / "evil.bmp"), "keep");
}

const std::string kOkLine = "<PARAM NAME=\"image0\" VALUE=\"ok,0,0,-1,-1\">\r\n";

INSTANTIATE_TEST_SUITE_P(
    Failures, FailingRunTest,
    ::testing::Values(
        FailingRun{"MissingConfiguration", "", "0", "ﾌｧｲﾙが見つかりません", ""},
        FailingRun{"EmptySetText", "%pal.kcf\r\n#0 ok.cel\r\n", "", "'' は整数ではありません", ""},
        FailingRun{"SetTextWithBlank", "%pal.kcf\r\n#0 ok.cel\r\n", "1 ", "'1 ' は整数ではありません", ""},
        FailingRun{"SetOutOfRange", "%pal.kcf\r\n#0 ok.cel\r\n", "12", "ｾｯﾄ番号 12 は範囲外です (0 から 9)", ""},
        FailingRun{"MissingCelAfterAGoodOne", "%pal.kcf\r\n#0 ok.cel\r\n#1 gone.cel\r\n", "0",
                   "ﾌｧｲﾙ %dgone.cel は開けません", kOkLine},
        FailingRun{"EmptyCelName", "%pal.kcf\r\n#0\r\n", "0", "ﾌｧｲﾙ %d は開けません", ""},
        FailingRun{"UnfilledPaletteSlot", "%pal.kcf\r\n#0 ok.cel *1\r\n", "0", "ﾌｧｲﾙ %d は開けません", ""},
        FailingRun{"PaletteIndexPastTheTable", "%pal.kcf\r\n#0 ok.cel *16\r\n", "0", "ﾌｧｲﾙ %d は開けません", ""},
        FailingRun{"ObjectNumberPastTheTable", "%pal.kcf\r\n#0 ok.cel\r\n#256 ok.cel\r\n", "0",
                   "ｵﾌﾞｼﾞｪｸﾄ番号 256 は範囲外です (0 から 255)", kOkLine},
        FailingRun{"ParentFolderName", "%pal.kcf\r\n#0 ok.cel\r\n#1 ..\\evil.cel\r\n", "0",
                   "ｾﾙ ..\\evil.cel は出力ﾌｫﾙﾀﾞの外を指すため変換できません", kOkLine},
        FailingRun{"AbsoluteName", "%pal.kcf\r\n#0 /tmp/evil.cel\r\n", "0",
                   "ｾﾙ /tmp/evil.cel は出力ﾌｫﾙﾀﾞの外を指すため変換できません", ""},
        FailingRun{"DriveName", "%pal.kcf\r\n#0 C:evil.cel\r\n", "0",
                   "ｾﾙ C:evil.cel は出力ﾌｫﾙﾀﾞの外を指すため変換できません", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, UnwritableOutputFolderFailsBeforeReadingTheDoll)
{
    FakeControls controls;
    const std::string missing = outDir + "/not-there";
    try {
        ConvertConfiguration(cnf, missing, controls);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "不正なﾌｧｲﾙ名です");
    }
    EXPECT_TRUE(controls.log.empty());
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(RunTest, ImageThatCannotBeCreatedNamesItsPath)
{
    Put("ok.cel", kCel);
    Put("pal.kcf", kPalette);
    fs::create_directory(temp.Path() / "out" / "ok.bmp"); // a folder in the image's place
    Doll("%pal.kcf\r\n#0 ok.cel\r\n");
    FakeControls controls;
    try {
        ConvertConfiguration(cnf, outDir, controls);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "ﾌｧｲﾙ " + outDir + "/ok.bmp を作成できません");
    }
    EXPECT_EQ(Report(), "");
}

TEST_F(RunTest, ExistingReportIsEmptiedAndOtherFilesAreLeftAlone)
{
    WriteFile(Out("doll.txt"), std::string("old report"));
    WriteFile(Out("other.bmp"), std::string("not ours"));
    Doll("; nothing\r\n");
    FakeControls controls;
    ConvertConfiguration(cnf, outDir, controls);
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(ReadText(Out("other.bmp")), "not ours");
}

} // namespace

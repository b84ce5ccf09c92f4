#include "conversion/KissConfiguration.h"
#include "conversion/BufferedTextFile.h"

#include "support/Test.h"

#include <memory>
#include <span>

namespace {

std::unique_ptr<KissConfiguration> Read(const std::string& text, Reading reading = Reading::Designed)
{
    TempDir dir;
    BufferedTextFile file;
    WriteFile(dir / "doll.cnf", text);
    file.OpenForReading(dir / "doll.cnf");
    auto c = std::make_unique<KissConfiguration>();
    ReadConfiguration(file, *c, reading);
    return c;
}

// A cel as "object.fix file *palette :sets", a set as "group: x,y ..." up to its last given position.
// clang-format off
std::vector<std::string> Cels(const KissConfiguration& c)
{
    std::vector<std::string> cels;
    for (const TKissCel& cel : std::span(c.cels.data(), c.celCount)) {
        cels.push_back(std::to_string(cel.objectNumber) + "." + std::to_string(cel.fixValue) + " " + cel.fileName + " *" + std::to_string(cel.paletteIndex) + " :");
        for (int k = 0; k < 10; ++k) cels.back() += cel.inSet[k] ? std::to_string(k) : "";
    }
    return cels;
}
std::vector<std::string> Sets(const KissConfiguration& c, int count)
{
    std::vector<std::string> sets;
    for (const KissSet& set : std::span(c.sets.data(), count)) {
        std::string given;
        sets.push_back(std::to_string(set.paletteGroup) + ":");
        for (const KissPosition& p : set.positions)
            if (given += " " + std::to_string(p.x) + "," + std::to_string(p.y); p.x != -1 || p.y != -1) sets.back() += given, given.clear();
    }
    return sets;
}
// clang-format on

TEST(ReadConfiguration, ADollOfOurOwn)
{
    const auto c =
        Read("; Wren, a doll of our own\r\n(640,480)\r\n%wren.kcf\r\n%extra.kcf\t; second\r\n 9,9 8,8\r\n\r\n"
             "\t#99 ghost.cel ; a TAB line is skipped\r\n#1.99 body.cel *0 :0 1 2 ;comment\r\n#3 eye.cel\r\n"
             "#4 hat.cel *2\r\n#5 arm.cel :1 ;version 3\r\n#6 leg.cel :0 ;*old\r\n#0.12.9 Shoe.CEL *1:4 5\r\n"
             "#2 sub\\tail.cel  \r\n#8 big.cel *300 : 10\r\n#9 x.cel *2147483649:1\r\n#10 neg.cel *-3:2\r\n[ set 0\r\n"
             "$2 10,20 * 30,40\r\n 50,60\r\n$0 1,2 15 ;x\r\n#7\r\n ; note\r\n$1 * 5,6  \r\n$3 7,8 \r\n$-5x\r\n%\r\n"
             "\x1a#9 after-end.cel\r\n");
    ASSERT_EQ(c->paletteCount, 3);
    EXPECT_EQ(c->paletteFiles[1] + "|" + c->paletteFiles[2], "extra.kcf|"); // nothing after the last "%"
    EXPECT_EQ(Cels(*c), (std::vector<std::string>{"1.99 body.cel *0 :012", "3.0 eye.cel *0 :0123456789",
                                                  "4.0 hat.cel *2 :0123456789", "5.0 arm.cel *0 :13",
                                                  "6.0 leg.cel *0 :0", "0.12 Shoe.CEL *1 :45",
                                                  "2.0 sub\\tail.cel *0 :0123456789", "8.0 big.cel *44 :01",
                                                  "9.0 x.cel *1 :1", "10.0 neg.cel *253 :2", "7.0  *0 :0123456789"}));
    ASSERT_EQ(c->setCount, 5);
    const auto last = Read("$0" + Repeat(" 1,1", 255) + " 7,9\r\n$3 2,2\r\n"); // the last object has its place, apart from the next set
    EXPECT_EQ(std::pair(last->sets[0].positions[255].x, last->sets[0].positions[255].y), std::pair(7, 9));
    EXPECT_EQ(Sets(*c, 6),
              (std::vector<std::string>{"2: 10,20 -1,-1 30,40 50,60",
                                        "0: 1,2 15,0 0,0 0,0 0,0", // ";x", ";" and "note" take places
                                        "1: -1,-1 5,6 0,0",        // two trailing blanks: one more place, one: none
                                        "3: 7,8", "5:", "0:"}));   // the last: no "$" line for it
    // The play area and border colour; a size of nothing, 0 or past 4096 keeps the default 448 x 320.
    const std::pair<const char*, std::tuple<int, int, int>> areas[] = {{"(640,480)\r\n[ set 0", {640, 480, 0}},
                                                                       {"(4096,1)\r\n[7 ;x", {4096, 1, 7}},
                                                                       {"(0,5)", {448, 320, 0}},
                                                                       {"(4097,9)", {448, 320, 0}},
                                                                       {"(12)", {448, 320, 0}}};
    for (const auto& [text, area] : areas) {
        const auto a = Read(text);
        EXPECT_EQ(std::tuple(a->playWidth, a->playHeight, a->borderColour), area) << text;
    }
}

// As viewers read a doll: comments end the lists and hold the marks; far more cels and objects; FKiSS lines kept.
TEST(ReadConfiguration, AsViewersReadIt)
{
    const std::string text =
        "#1 a.cel *1 :0 2 ;%t90 shoes 2\r\n#2 b.cel ;%u %T300\r\n#3 c.cel ;*2 :5 %u\r\n"
        "#4.7 d.cel :1 ; %t-4 %u\r\n;@EventHandler\r\n$0 1,2 ;x 3,4\r\n ; 5,6\r\n  ;@ map(\"a.cel\")\r\n;@end\r\n"
        "#5 e.cel :3\n#6 f.cel :4\n#7 g.cel :6\r\n"; // a line feed alone ends a line as viewers read it
    const auto viewer = Read(text, Reading::Viewer), designed = Read(text);
    EXPECT_EQ(Cels(*viewer),
              (std::vector<std::string>{"1.0 a.cel *1 :02", "2.0 b.cel *0 :0123456789", "3.0 c.cel *0 :0123456789",
                                        "4.7 d.cel *0 :1", "5.0 e.cel *0 :3", "6.0 f.cel *0 :4",
                                        "7.0 g.cel *0 :6"}));
    EXPECT_EQ(Cels(*designed), (std::vector<std::string>{"1.0 a.cel *1 :029", "2.0 b.cel *0 :0123456789",
                                                         "3.0 c.cel *2 :5", "4.7 d.cel *0 :14", "5.0 e.cel *0 :3467"}));
    std::string marks;
    for (const TKissCel& cel : viewer->cels)
        marks += std::to_string(cel.transparency) + (cel.unmapped ? "u " : " ");
    EXPECT_EQ(marks, "90 255u 0 0u 0 0 0 ");
    EXPECT_EQ(Sets(*viewer, 1), std::vector<std::string>{"0: 1,2"});
    EXPECT_EQ(Sets(*designed, 1), std::vector<std::string>{"0: 1,2 0,0 3,4 0,0 5,6 0,0 0,0"});
    EXPECT_EQ(viewer->fkissLines, (std::vector<std::pair<int, std::string>>{{5, ";@EventHandler"}, {9, ";@end"}}));
    EXPECT_TRUE(designed->fkissLines.empty());
    // 65,536 cel lines and objects 0 to 65,535; one more of either is refused, as 257 and 256 are as designed.
    const auto many =
        Read(Repeat("#65535 x.cel\r\n", 65536) + "$0" + Repeat(" 1,1", 65535) + " 7,9\r\n", Reading::Viewer);
    EXPECT_EQ(std::pair(many->sets[0].At(ObjectOf(many->cels[0], *many)).x, many->celCount), std::pair(7, 65536));
    EXPECT_EQ(MessageOf([] { Read(Repeat("#1 x.cel\r\n", 65537), Reading::Viewer); }), "ｾﾙ行が多すぎます (最大 65536)");
    TKissCel past;
    past.objectNumber = 65536;
    EXPECT_EQ(MessageOf([&] { ObjectOf(past, *many); }), "ｵﾌﾞｼﾞｪｸﾄ番号 65536 は範囲外です (0 から 65535)");
}

} // namespace

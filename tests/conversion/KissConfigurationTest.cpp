#include "conversion/KissConfiguration.h"
#include "conversion/BufferedTextFile.h"
#include "platform/Exception.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<KissConfiguration> Read(const std::string& text) {
    TempDir dir;
    WriteFile(dir / "doll.cnf", text);
    BufferedTextFile file;
    file.OpenForReading(dir / "doll.cnf");
    auto c = std::make_unique<KissConfiguration>();
    ReadConfiguration(file, *c);
    file.Close();
    return c;
}

// The sets a cel belongs to, as their digits.
std::string Sets(const TKissCel& cel) {
    std::string s;
    for (int k = 0; k < 10; ++k)
        if (cel.inSet[k]) s += static_cast<char>('0' + k);
    return s;
}

using Positions = std::vector<std::pair<int, int>>;

// The first n positions of a set; every later one must be unset, (-1, -1).
Positions Given(const KissSet& set, std::size_t n) {
    Positions p;
    for (std::size_t i = 0; i < set.positions.size(); ++i) {
        if (i < n) {
            p.emplace_back(set.positions[i].x, set.positions[i].y);
        } else if (set.positions[i].x != -1 || set.positions[i].y != -1) {
            ADD_FAILURE() << "position " << i << " is set";
        }
    }
    return p;
}

TEST(ReadConfiguration, ADollOfOurOwn) {
    const char* lines[] = {
        "; Wren, a doll of our own, for the reader's tests",
        "(640,480)",
        "%wren.kcf",
        "%extra.kcf\t; second palette",
        " 9,9 8,8 7,7 6,6 5,5", // no set yet: skipped
        "",
        "\t#99 ghost.cel        ; a TAB line is skipped",
        "#1.99 body.cel *0 :0 1 2 ;comment",
        "#3 eye.cel",
        "#4 hat.cel *2",
        "#5 arm.cel :1 ;version 3",
        "#6 leg.cel :0 ;*old",
        "#0.12.9 Shoe.CEL *1:4 5",
        "#2 sub\\tail.cel  ",
        "#8 big.cel *300 : 10",
        "[ set 0",
        "$2 10,20 * 30,40",
        " 50,60",
        "$0 1,2 15 ;x",
        "#7", // other lines leave the position cursor where it is
        " ; note",
        "$1 * 5,6  ",
        "$3 7,8 ",
        "$-5x",
        "%",
    };
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    const auto c = Read(text + "\x1a"
                               "#9 after-end.cel\r\n");

    ASSERT_EQ(c->paletteCount, 3);
    EXPECT_EQ(c->paletteFiles[0], "wren.kcf");
    EXPECT_EQ(c->paletteFiles[1], "extra.kcf");
    EXPECT_EQ(c->paletteFiles[2], ""); // nothing after the "%"

    struct Cel {
        int object, fix;
        std::string file;
        int palette;
        std::string sets;
    };
    // clang-format off
    const Cel cels[] = {
        {1, 99, "body.cel", 0, "012"}, {3, 0, "eye.cel", 0, "0123456789"},
        {4, 0, "hat.cel", 2, "0123456789"}, {5, 0, "arm.cel", 0, "13"}, {6, 0, "leg.cel", 0, "0"},
        {0, 12, "Shoe.CEL", 1, "45"}, {2, 0, "sub\\tail.cel", 0, "0123456789"},
        {8, 0, "big.cel", 300 % 256, "01"}, {7, 0, "", 0, "0123456789"},
    };
    // clang-format on
    ASSERT_EQ(c->celCount, static_cast<int>(std::size(cels)));
    for (int i = 0; i < c->celCount; ++i) {
        SCOPED_TRACE(i);
        const TKissCel& got = c->cels[i];
        EXPECT_EQ(got.objectNumber, cels[i].object);
        EXPECT_EQ(got.fixValue, cels[i].fix);
        EXPECT_EQ(got.fileName, cels[i].file);
        EXPECT_EQ(got.paletteIndex, cels[i].palette);
        EXPECT_EQ(Sets(got), cels[i].sets);
    }

    ASSERT_EQ(c->setCount, 5);
    const std::pair<int, Positions> sets[] = {
        {2, {{10, 20}, {-1, -1}, {30, 40}, {50, 60}}},
        {0, {{1, 2}, {15, 0}, {0, 0}, {0, 0}, {0, 0}}}, // ";x", ";" and "note" take places
        {1, {{-1, -1}, {5, 6}, {0, 0}}},                // two trailing blanks: one more place
        {3, {{7, 8}}},                                  // one trailing blank: none
        {5, {}},
        {0, {}}, // no "$" line for this set
    };
    for (std::size_t s = 0; s < std::size(sets); ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(c->sets[s].paletteGroup, sets[s].first);
        EXPECT_EQ(Given(c->sets[s], sets[s].second.size()), sets[s].second);
    }
}

std::string Repeat(const std::string& prefix, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += prefix + std::to_string(i) + " x.cel\r";
    return text;
}

TEST(ReadConfiguration, TableLimits) {
    EXPECT_EQ(Read("")->celCount, 0);
    const auto c = Read(Repeat("%p", 16) + Repeat("#", 256) + Repeat("$", 16));
    EXPECT_EQ(c->paletteCount, 16);
    EXPECT_EQ(c->paletteFiles[15], "p15");
    EXPECT_EQ(c->celCount, 256);
    EXPECT_EQ(c->cels[255].objectNumber, 255);
    EXPECT_EQ(c->setCount, 16);
    EXPECT_EQ(c->sets[15].paletteGroup, 15);

    const std::pair<std::string, std::string> tooMany[] = {
        {Repeat("%p", 17), "ﾊﾟﾚｯﾄ行が多すぎます (最大 16)"},
        {Repeat("#", 257), "ｾﾙ行が多すぎます (最大 256)"},
        {Repeat("$", 17), "ｾｯﾄ行が多すぎます (最大 16)"},
    };
    for (const auto& [text, message] : tooMany) {
        try {
            Read(text);
            ADD_FAILURE() << "no error for " << message;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
}

TEST(ReadConfiguration, PositionsPastTheTableAreIgnored) {
    std::string text = "$4";
    for (int i = 0; i < 200; ++i)
        text += " " + std::to_string(i) + "," + std::to_string(-i);
    text += "\r ";
    for (int i = 200; i < 300; ++i)
        text += std::to_string(i) + ",1 ";
    text += "\r$6 1,1\r";
    const auto c = Read(text);
    ASSERT_EQ(c->setCount, 2);
    const KissSet& set = c->sets[0];
    EXPECT_EQ(set.paletteGroup, 4);
    EXPECT_EQ(set.positions[0].x, 0);
    EXPECT_EQ(set.positions[199].y, -199);
    EXPECT_EQ(set.positions[200].x, 200);
    EXPECT_EQ(set.positions[255].x, 255);
    EXPECT_EQ(set.positions[255].y, 1);
    EXPECT_EQ(c->sets[1].positions[0].x, 1);
    EXPECT_EQ(c->sets[1].positions[1].x, -1);
}

} // namespace

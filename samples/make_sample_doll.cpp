// Draws the bundled sample doll "Pip": a small figure with a hat and a shirt in three sets.
// Usage: make_sample_doll OUTPUT_DIR
#include "KissWriter.h"

#include <cstdio>
#include <string>

using namespace kisswriter;

namespace {

// Colour numbers within a 16-colour group.
enum : std::uint8_t { kClear = 0, kOutline = 1, kSkin = 2, kCheek = 3, kEye = 4, kHair = 5,
                      kCloth = 6, kClothDark = 7, kBand = 8 };

void FillEllipse(Picture& p, int cx, int cy, int rx, int ry, std::uint8_t colour)
{
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const double dx = (x - cx) / static_cast<double>(rx);
            const double dy = (y - cy) / static_cast<double>(ry);
            if (dx * dx + dy * dy <= 1.0) p.at(x, y) = colour;
        }
}

void FillRect(Picture& p, int x0, int y0, int x1, int y1, std::uint8_t colour)
{
    for (int y = y0; y < y1 && y < p.height; ++y)
        for (int x = x0; x < x1 && x < p.width; ++x) p.at(x, y) = colour;
}

Picture Body()
{
    Picture p(31, 61); // odd width: the last nibble of every row is padding
    FillEllipse(p, 15, 11, 11, 11, kOutline);
    FillEllipse(p, 15, 11, 10, 10, kSkin);
    FillRect(p, 10, 12, 12, 14, kEye);
    FillRect(p, 19, 12, 21, 14, kEye);
    p.at(8, 16) = kCheek;
    p.at(22, 16) = kCheek;
    FillRect(p, 13, 22, 18, 26, kSkin);       // neck
    FillRect(p, 5, 26, 26, 46, kSkin);        // torso
    FillRect(p, 0, 27, 5, 44, kSkin);         // arms
    FillRect(p, 26, 27, 31, 44, kSkin);
    FillRect(p, 8, 46, 14, 61, kSkin);        // legs
    FillRect(p, 17, 46, 23, 61, kSkin);
    return p;
}

Picture Hair()
{
    Picture p(24, 9);
    FillEllipse(p, 12, 8, 12, 8, kHair);
    return p;
}

Picture Shirt()
{
    Picture p(32, 22);
    FillRect(p, 4, 0, 28, 22, kCloth);
    FillRect(p, 0, 1, 4, 12, kCloth);         // sleeves
    FillRect(p, 28, 1, 32, 12, kCloth);
    FillRect(p, 4, 20, 28, 22, kClothDark);   // hem
    return p;
}

Picture Hat()
{
    Picture p(28, 12);
    FillRect(p, 6, 0, 22, 9, kClothDark);
    FillRect(p, 6, 6, 22, 8, kBand);
    FillRect(p, 0, 9, 28, 12, kClothDark);    // brim
    return p;
}

// The 8-bit background uses entries 48 to 63 (group 3 of the clothes palette) directly.
Picture Background()
{
    Picture p(96, 100);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.at(x, y) = static_cast<std::uint8_t>(y < 80 ? 48 + y / 8 : 58 + (x / 8) % 2);
    return p;
}

// The old-form palette: ten groups of skin, outline and hair; the hair changes with the group.
std::vector<Rgb> BodyColours()
{
    std::vector<Rgb> colours;
    const Rgb hair[] = {{112, 64, 32}, {240, 208, 96}, {32, 32, 48}, {160, 48, 32}, {96, 96, 96},
                        {112, 64, 32}, {112, 64, 32}, {112, 64, 32}, {112, 64, 32}, {112, 64, 32}};
    for (const Rgb& h : hair) {
        const Rgb group[16] = {{0, 0, 0},     {48, 32, 32},  {240, 208, 176}, {240, 144, 144},
                               {32, 32, 64},  h,             {0, 0, 0},       {0, 0, 0},
                               {0, 0, 0},     {0, 0, 0},     {0, 0, 0},       {0, 0, 0},
                               {0, 0, 0},     {0, 0, 0},     {0, 0, 0},       {255, 255, 255}};
        colours.insert(colours.end(), std::begin(group), std::end(group));
    }
    return colours;
}

// The headed 24-bit palette: three groups of clothes (red, blue, green) and a sky group.
std::vector<Rgb> ClothesColours()
{
    std::vector<Rgb> colours;
    const Rgb cloth[3][3] = {{{200, 40, 40}, {120, 20, 20}, {250, 220, 60}},
                             {{50, 90, 200}, {25, 45, 120}, {250, 250, 250}},
                             {{40, 160, 70}, {20, 90, 40}, {200, 120, 30}}};
    for (const auto& c : cloth) {
        for (int j = 0; j < 16; ++j) {
            Rgb colour{0, 0, 0};
            if (j >= 6 && j <= 8) colour = c[j - 6];
            colours.push_back(colour);
        }
    }
    for (int j = 0; j < 16; ++j)
        colours.push_back(j < 10 ? Rgb{static_cast<std::uint8_t>(120 + 12 * j),
                                       static_cast<std::uint8_t>(170 + 8 * j), 250}
                                 : Rgb{static_cast<std::uint8_t>(60 + 10 * j), 150, 60});
    return colours;
}

// Cel names are upper case in the configuration and lower case on disk, as on DOS disks. The
// background is the last cel line: earlier lines are drawn in front of later ones.
const char* const kConfiguration =
    "; Pip, the sample doll of the KISS file convertor.\r\n"
    "; Drawn by samples/make_sample_doll.cpp; regenerate rather than edit.\r\n"
    "(96,100)\r\n"
    "%PIP.KCF        ; old-form 12-bit palette, ten groups\r\n"
    "%CLOTHES.KCF    ; headed 24-bit palette, four groups\r\n"
    ";\r\n"
    "#1 BODY.CEL *0 :0 1 2      ; old form, four bits a pixel\r\n"
    "#2.40 HAIR.CEL *0 :0 1 2   ; headed, four bits, drawn at an offset\r\n"
    "#3 SHIRT.CEL *1 :0 1 2     ; hidden in the last set\r\n"
    "#4.80 HAT.CEL *1 :1 2\r\n"
    "#0 BACK.CEL *1 :0 1 2      ; headed, eight bits a pixel: the sky and the grass\r\n"
    "\t#5 TAB.CEL ; a line that starts with a TAB is not read\r\n"
    ";\r\n"
    "$0 0,0 32,30 36,30 32,54 *\r\n"
    "$1 0,0 20,20 24,20\r\n"
    " 20,44 22,12   ; the continuation line carries on the list\r\n"
    "$2 0,0 48,36 52,36 * 50,28\r\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_doll OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    try {
        Save(dir + "pip.kcf", OldPalette(BodyColours()));
        Save(dir + "clothes.kcf", HeadedPalette(ClothesColours(), 24, 16, 4));
        Save(dir + "back.cel", HeadedCel(Background(), 8, 0, 0));
        Save(dir + "body.cel", OldCel(Body()));
        Save(dir + "hair.cel", HeadedCel(Hair(), 4, 3, 0));
        Save(dir + "shirt.cel", HeadedCel(Shirt(), 4, 0, 0));
        Save(dir + "hat.cel", HeadedCel(Hat(), 4, 0, 0));
        const std::string cnf = kConfiguration;
        Save(dir + "pip.cnf", Bytes(cnf.begin(), cnf.end()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_doll: %s\n", e.what());
        return 1;
    }
    return 0;
}

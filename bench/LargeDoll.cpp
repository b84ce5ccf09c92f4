#include "LargeDoll.h"

#include "KissWriter.h"

#include <cstdint>
#include <cstdio>
#include <vector>

using namespace kisswriter;

namespace largedoll {

namespace {

bool IsEightBit(int cel) { return cel % 2 == 0; }

// 8-bit cels use palettes 0 to 7 (256 colours); 4-bit cels use 8 to 15 (groups of 16).
int PaletteOf(int cel) { return (IsEightBit(cel) ? 0 : 8) + (cel / 2) % 8; }

std::string Name(const char* format, int number, bool upper)
{
    char name[32];
    std::snprintf(name, sizeof name, format, number);
    std::string text = name;
    if (upper)
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string CelName(int cel, bool upper) { return Name("c%03d.cel", cel, upper); }
std::string PaletteName(int palette, bool upper) { return Name("p%02d.kcf", palette, upper); }

// A cheap, repeatable noise source so the pictures are not trivially uniform.
struct Noise {
    std::uint32_t state;
    std::uint8_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    }
};

// A coloured disc on a clear ground with a striped border; 4-bit cels keep to 0 to 15.
Picture Draw(int cel, int width, int height)
{
    Picture p(width, height);
    Noise noise{static_cast<std::uint32_t>(cel) * 2654435761u + 1};
    const int cx = width / 2 + (cel * 13) % (width / 4 + 1);
    const int cy = height / 2 + (cel * 7) % (height / 4 + 1);
    const long long r2 = static_cast<long long>(width / 3) * (height / 3);
    const bool eight = IsEightBit(cel);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const long long dx = x - cx, dy = y - cy;
            std::uint8_t value = 0;
            if (dx * dx + dy * dy <= r2)
                value = eight ? static_cast<std::uint8_t>(x + y + cel)
                              : static_cast<std::uint8_t>(1 + (x / 8 + y / 8) % 15);
            else if (y < 8 || x < 8)
                value = eight ? noise.Next() : static_cast<std::uint8_t>(noise.Next() % 16);
            p.at(x, y) = value;
        }
    }
    return p;
}

std::vector<Rgb> Colours(int palette, int count)
{
    std::vector<Rgb> colours;
    for (int k = 0; k < count; ++k)
        colours.push_back({static_cast<std::uint8_t>(k * 3 + palette * 16),
                           static_cast<std::uint8_t>(255 - k),
                           static_cast<std::uint8_t>(k ^ palette)});
    return colours;
}

Bytes Palette(int palette)
{
    if (palette < 8) return HeadedPalette(Colours(palette, 256), 24, 256, 1);
    if (palette < 12) return OldPalette(Colours(palette, 160));
    return HeadedPalette(Colours(palette, 160), 12, 16, 10);
}

Bytes Cel(int cel, int width, int height)
{
    const Picture picture = Draw(cel, width, height);
    if (IsEightBit(cel)) return HeadedCel(picture, 8, 0, 0);
    if (cel % 4 == 1) return OldCel(picture);
    return HeadedCel(picture, 4, 0, 0);
}

} // namespace

std::string Configuration(int cels)
{
    // Built by appending pieces; the text is about 25 KiB for 256 cels.
    std::string text = "; The large benchmark doll, drawn by bench/LargeDoll.cpp.\r\n(640,480)\r\n";
    for (int p = 0; p < kPalettes; ++p) {
        text += '%';
        text += PaletteName(p, true);
        text += "\r\n";
    }
    text += ";\r\n";
    for (int k = 0; k < cels; ++k) {
        text += '#';
        text += std::to_string(k);
        if (k % 3 == 0) {
            text += '.';
            text += std::to_string(k % 100);
        }
        text += ' ';
        text += CelName(k, true);
        text += " *";
        text += std::to_string(PaletteOf(k));
        text += " :";
        for (int s = 0; s < kSets; ++s) {
            if (s != 0 && (k + s) % 7 == 0) continue;
            text += ' ';
            text += std::to_string(s);
        }
        text += "   ; no digit here: the whole rest of a cel line counts for its sets\r\n";
    }
    text += ";\r\n";
    for (int s = 0; s < kSets; ++s) {
        text += '$';
        text += std::to_string(s);
        for (int k = 0; k < cels; ++k) {
            if (k > 0 && k % 16 == 0) text += "\r\n"; // continuation lines begin with a space
            text += ' ';
            if ((k + s) % 11 == 5) {
                text += '*';
                continue;
            }
            text += std::to_string((k * 37 + s * 11) % 600);
            text += ',';
            text += std::to_string((k * 23 + s * 5) % 440);
        }
        text += "\r\n";
    }
    return text;
}

void Write(const std::string& folder, int cels, int width, int height)
{
    const std::string dir = folder + "/";
    for (int p = 0; p < kPalettes; ++p)
        Save(dir + PaletteName(p, false), Palette(p));
    for (int k = 0; k < cels; ++k)
        Save(dir + CelName(k, false), Cel(k, width, height));
    const std::string cnf = Configuration(cels);
    Save(dir + "doll.cnf", Bytes(cnf.begin(), cnf.end()));
}

} // namespace largedoll

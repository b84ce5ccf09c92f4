#include "KissWriter.h"

#include <fstream>
#include <stdexcept>

namespace kisswriter {

namespace {

void PutU16(Bytes& out, int value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutHeader(Bytes& out, int mark, int bits)
{
    out.insert(out.end(), {'K', 'i', 'S', 'S'});
    out.push_back(static_cast<std::uint8_t>(mark));
    out.push_back(static_cast<std::uint8_t>(bits));
    PutU16(out, 0);
}

void PutFourBitRows(Bytes& out, const Picture& p)
{
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* row = &p.pixels[static_cast<std::size_t>(y) * p.width];
        for (int x = 0; x < p.width; x += 2) {
            const int high = row[x] & 0x0F;
            const int low = x + 1 < p.width ? row[x + 1] & 0x0F : 0;
            out.push_back(static_cast<std::uint8_t>(high << 4 | low));
        }
    }
}

void PutColour12(Bytes& out, const Rgb& c)
{
    out.push_back(static_cast<std::uint8_t>((c.red >> 4) << 4 | c.blue >> 4));
    out.push_back(static_cast<std::uint8_t>(c.green >> 4));
}

} // namespace

Bytes OldCel(const Picture& picture)
{
    Bytes out;
    PutU16(out, picture.width);
    PutU16(out, picture.height);
    PutFourBitRows(out, picture);
    return out;
}

Bytes HeadedCel(const Picture& picture, int bitsPerPixel, int xOffset, int yOffset)
{
    Bytes out;
    PutHeader(out, 0x20, bitsPerPixel);
    PutU16(out, picture.width);
    PutU16(out, picture.height);
    PutU16(out, xOffset);
    PutU16(out, yOffset);
    out.resize(32, 0);
    if (bitsPerPixel == 4)
        PutFourBitRows(out, picture);
    else
        out.insert(out.end(), picture.pixels.begin(), picture.pixels.end());
    return out;
}

Bytes OldPalette(const std::vector<Rgb>& colours)
{
    Bytes out;
    for (std::size_t k = 0; k < 160; ++k)
        PutColour12(out, k < colours.size() ? colours[k] : Rgb{0, 0, 0});
    return out;
}

Bytes HeadedPalette(const std::vector<Rgb>& colours, int bitsPerColour, int coloursPerGroup,
                    int groups)
{
    Bytes out;
    PutHeader(out, 0x10, bitsPerColour);
    PutU16(out, coloursPerGroup);
    PutU16(out, groups);
    out.resize(32, 0);
    const std::size_t count = static_cast<std::size_t>(coloursPerGroup) * groups;
    for (std::size_t k = 0; k < count; ++k) {
        const Rgb c = k < colours.size() ? colours[k] : Rgb{0, 0, 0};
        if (bitsPerColour == 12) {
            PutColour12(out, c);
        } else {
            out.insert(out.end(), {c.red, c.green, c.blue});
        }
    }
    return out;
}

void Save(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

} // namespace kisswriter

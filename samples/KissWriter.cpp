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

Bytes RawOldCel(unsigned width, unsigned height, const Bytes& data)
{
    Bytes out;
    PutU16(out, static_cast<int>(width));
    PutU16(out, static_cast<int>(height));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes RawHeaded(std::uint8_t bits, std::initializer_list<unsigned> fields, const Bytes& data)
{
    Bytes out{'K', 'i', 'S', 'S'};
    out.push_back(fields.size() == 2 ? 0x10 : 0x20);
    out.push_back(bits);
    out.resize(8, 0);
    for (const unsigned field : fields)
        PutU16(out, static_cast<int>(field));
    out.resize(32, 0);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes OldCel(const Picture& picture)
{
    Bytes rows;
    PutFourBitRows(rows, picture);
    return RawOldCel(picture.width, picture.height, rows);
}

Bytes HeadedCel(const Picture& picture, int bitsPerPixel, int xOffset, int yOffset)
{
    Bytes rows;
    if (bitsPerPixel == 4)
        PutFourBitRows(rows, picture);
    else
        rows = picture.pixels;
    return RawHeaded(static_cast<std::uint8_t>(bitsPerPixel),
                     {static_cast<unsigned>(picture.width), static_cast<unsigned>(picture.height),
                      static_cast<unsigned>(xOffset), static_cast<unsigned>(yOffset)},
                     rows);
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
    Bytes data;
    const std::size_t count = static_cast<std::size_t>(coloursPerGroup) * groups;
    for (std::size_t k = 0; k < count; ++k) {
        const Rgb c = k < colours.size() ? colours[k] : Rgb{0, 0, 0};
        if (bitsPerColour == 12) {
            PutColour12(data, c);
        } else {
            data.insert(data.end(), {c.red, c.green, c.blue});
        }
    }
    return RawHeaded(static_cast<std::uint8_t>(bitsPerColour),
                     {static_cast<unsigned>(coloursPerGroup), static_cast<unsigned>(groups)}, data);
}

void Save(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

} // namespace kisswriter

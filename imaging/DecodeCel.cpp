#include "DecodeCel.h"

#include "KissHeaders.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// Reads one row's bytes. A file cut short repeats the last byte read, as a byte-by-byte reader
// into one reused variable would: `last` carries that byte from row to row (0 before any read).
void ReadRow(MemoryStream& cel, std::uint8_t* row, std::size_t count, std::uint8_t& last)
{
    const std::size_t got = cel.Read(row, count);
    if (got > 0) last = row[got - 1];
    std::fill(row + got, row + count, last);
}

// Pixel values for every byte of a 4-bit cel: high nibble, low nibble, each offset unless 0.
std::array<std::array<std::uint8_t, 2>, 256> NibbleTable(std::uint8_t offset)
{
    std::array<std::array<std::uint8_t, 2>, 256> table{};
    for (int b = 0; b < 256; ++b) {
        for (int half = 0; half < 2; ++half) {
            const int nibble = half == 0 ? b >> 4 : b & 0x0F;
            table[b][half] = nibble == 0 ? 0 : static_cast<std::uint8_t>(nibble + offset);
        }
    }
    return table;
}

void DecodePixels(TBmp256Image& image, MemoryStream& cel, const CelHeader& h,
                  std::uint8_t offset)
{
    if (h.bitsPerPixel != 4 && h.bitsPerPixel != 8) return; // nothing is read, pixels stay 0
    const std::size_t width = h.width;
    const std::size_t rowBytes = h.bitsPerPixel == 4 ? (width + 1) / 2 : width;
    if (rowBytes == 0) return;

    std::vector<std::uint8_t> source(rowBytes);
    std::uint8_t last = 0;
    const auto nibbles = NibbleTable(offset);
    for (std::int32_t r = 0; r < h.height; ++r) {
        ReadRow(cel, source.data(), rowBytes, last);
        // The picture is exactly xOffset + width wide, so the row always has room for the cel.
        std::uint8_t* out = image.Row(h.yOffset + r) + h.xOffset;
        if (h.bitsPerPixel == 8) {
            std::memcpy(out, source.data(), width);
            continue;
        }
        for (std::size_t col = 0; col < width; ++col)
            out[col] = nibbles[source[col / 2]][col % 2];
    }
}

// Reads the colours in file order: colour k goes to entry k, so the entry of colour j of
// group g is g x colours + j. Only the first 256 have a place in the table; the rest are not
// read. A file cut short repeats its last bytes, as reads into reused variables would.
void DecodeColours(TBmp256Image& image, MemoryStream& palette, const PaletteHeader& h)
{
    if (h.bitsPerColour != 12 && h.bitsPerColour != 24) return; // entries stay grey
    const std::int64_t count =
        std::min<std::int64_t>(static_cast<std::int64_t>(h.colours) * h.groups, 256);

    std::array<TBmp256Image::Colour, 256> colours{};
    std::array<std::uint8_t, 2> pair{}; // one 12-bit colour: b0 = red, blue; b1 = green
    std::uint8_t component = 0;         // one component of a 24-bit colour
    for (std::int64_t k = 0; k < count; ++k) {
        auto& c = colours[static_cast<std::size_t>(k)];
        if (h.bitsPerColour == 12) {
            palette.Read(pair.data(), pair.size());
            c.red = static_cast<std::uint8_t>((pair[0] >> 4) * 16);
            c.green = static_cast<std::uint8_t>((pair[1] & 0x0F) * 16);
            c.blue = static_cast<std::uint8_t>((pair[0] & 0x0F) * 16);
        } else {
            palette.Read(&component, 1);
            c.red = component;
            palette.Read(&component, 1);
            c.green = component;
            palette.Read(&component, 1);
            c.blue = component;
        }
    }
    image.WritePaletteEntries(0, colours.data(), static_cast<std::int32_t>(count));
}

} // namespace

void DecodeCel(TBmp256Image& image, MemoryStream& cel, MemoryStream& palette,
               std::uint8_t paletteOffset)
{
    const CelHeader celHeader = ReadCelHeader(cel);
    image.SetSize(static_cast<std::int32_t>(celHeader.xOffset) + celHeader.width,
                  static_cast<std::int32_t>(celHeader.yOffset) + celHeader.height);
    DecodePixels(image, cel, celHeader, paletteOffset);

    const PaletteHeader paletteHeader = ReadPaletteHeader(palette);
    DecodeColours(image, palette, paletteHeader);
}

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
// One look-up gives both pixels of a byte.
std::array<std::array<std::uint8_t, 2>, 256> NibblePairs(std::uint8_t offset)
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

void DecodePixels(TBmp256Image& image, MemoryStream& cel, const CelHeader& h, std::uint8_t offset)
{
    if (h.bitsPerPixel != 4 && h.bitsPerPixel != 8) return; // nothing is read, pixels stay 0
    const std::size_t width = h.width;
    const std::size_t rowBytes = h.bitsPerPixel == 4 ? (width + 1) / 2 : width;
    if (rowBytes == 0) return;

    // The picture is exactly xOffset + width wide, so every row has room for the cel.
    std::uint8_t last = 0;
    if (h.bitsPerPixel == 8) {
        for (std::int32_t r = 0; r < h.height; ++r)
            ReadRow(cel, image.Row(h.yOffset + r) + h.xOffset, rowBytes, last);
        return;
    }

    std::vector<std::uint8_t> source(rowBytes);
    const auto pairs = NibblePairs(offset);
    const std::size_t wholeBytes = width / 2; // bytes whose two nibbles are both pixels
    for (std::int32_t r = 0; r < h.height; ++r) {
        ReadRow(cel, source.data(), rowBytes, last);
        std::uint8_t* out = image.Row(h.yOffset + r) + h.xOffset;
        for (std::size_t k = 0; k < wholeBytes; ++k)
            std::memcpy(out + 2 * k, pairs[source[k]].data(), 2);
        // An odd width ends on a high nibble; the low one is ignored.
        if (width % 2 != 0) out[width - 1] = pairs[source[wholeBytes]][0];
    }
}

// Reads the colours in file order: colour k goes to entry k, so the entry of colour j of
// group g is g x colours + j. Only the first 256 have a place in the table; the rest are not
// read. A file cut short repeats its last bytes, as reads into reused variables would.
void DecodeColours(TBmp256Image& image, MemoryStream& palette, const PaletteHeader& h,
                   ColourScale scale)
{
    if (h.bitsPerColour != 12 && h.bitsPerColour != 24) return; // entries stay grey
    const std::int64_t count =
        std::min<std::int64_t>(static_cast<std::int64_t>(h.colours) * h.groups, 256);

    // All colour bytes in one read. Bytes a cut file lacks are what reads into reused variables
    // would leave: a 12-bit colour is read into one 2-byte pair, so each half keeps the last
    // byte read into it; a 24-bit colour is read a component at a time into one byte.
    const std::size_t step = h.bitsPerColour == 12 ? 2 : 3;
    const std::size_t wanted = static_cast<std::size_t>(count) * step;
    const std::size_t back = h.bitsPerColour == 12 ? 2 : 1;
    std::array<std::uint8_t, 256 * 3> bytes{};
    for (std::size_t i = palette.Read(bytes.data(), wanted); i < wanted; ++i)
        bytes[i] = i >= back ? bytes[i - back] : 0;

    const int factor = scale == ColourScale::Viewer ? 17 : 16;
    std::array<TBmp256Image::Colour, 256> colours{};
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
        const std::uint8_t* b = &bytes[k * step];
        auto& c = colours[k];
        if (h.bitsPerColour == 12) { // b0 = red, blue; b1 = green
            c.red = static_cast<std::uint8_t>((b[0] >> 4) * factor);
            c.green = static_cast<std::uint8_t>((b[1] & 0x0F) * factor);
            c.blue = static_cast<std::uint8_t>((b[0] & 0x0F) * factor);
        } else {
            c.red = b[0];
            c.green = b[1];
            c.blue = b[2];
        }
    }
    image.WritePaletteEntries(0, colours.data(), static_cast<std::int32_t>(count));
}

std::int32_t PictureWidth(const CelHeader& h)
{
    return static_cast<std::int32_t>(h.xOffset) + h.width;
}
std::int32_t PictureHeight(const CelHeader& h)
{
    return static_cast<std::int32_t>(h.yOffset) + h.height;
}

} // namespace

bool CelPictureFits(MemoryStream& cel)
{
    const CelHeader h = ReadCelHeader(cel);
    return TBmp256Image::Fits(PictureWidth(h), PictureHeight(h));
}

void DecodeCel(TBmp256Image& image, MemoryStream& cel, MemoryStream& palette,
               std::uint8_t paletteOffset, ColourScale scale)
{
    const CelHeader celHeader = ReadCelHeader(cel);
    image.SetSize(PictureWidth(celHeader), PictureHeight(celHeader));
    DecodePixels(image, cel, celHeader, paletteOffset);

    const PaletteHeader paletteHeader = ReadPaletteHeader(palette);
    DecodeColours(image, palette, paletteHeader, scale);
}

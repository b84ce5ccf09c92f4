#include "DecodeCel.h"

#include "KissHeaders.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Reads one row's bytes. A file cut short repeats the last byte read, as a byte-by-byte reader
// into one reused variable would: `last` carries that byte from row to row (0 before any read).
void ReadRow(MemoryStream& cel, std::uint8_t* row, std::size_t count, std::uint8_t& last)
{
    const std::size_t got = cel.Read(row, count);
    if (got > 0)
        last = cel.Data()[cel.Position() - 1]; // the stream's byte: the copy is not read back
    std::fill(row + got, row + count, last);
}

// The next row's count bytes: in place in the stream when it holds them all, else read into
// cutInto as ReadRow reads them.
const std::uint8_t* NextRow(MemoryStream& cel, std::size_t count, std::uint8_t* cutInto,
                            std::uint8_t& last)
{
    if (cel.Position() > cel.Size() ||
        static_cast<std::size_t>(cel.Size() - cel.Position()) < count) {
        ReadRow(cel, cutInto, count, last);
        return cutInto;
    }
    const std::uint8_t* row = cel.Data() + cel.Position();
    cel.Seek(cel.Position() + static_cast<std::int64_t>(count));
    last = row[count - 1];
    return row;
}

#ifdef __SSE2__
// The pixels of the first bytes of a 4-bit row, 16 bytes at a time, as NibblePairs gives them:
// both nibbles split, each offset unless 0 (wrapping as a byte), high before low. Returns how
// many bytes it did.
std::size_t NibblesInWholes(const std::uint8_t* source, std::size_t count, std::uint8_t offset,
                            std::uint8_t* out)
{
    const __m128i nibble = _mm_set1_epi8(0x0F), zero = _mm_setzero_si128();
    const __m128i add = _mm_set1_epi8(static_cast<char>(offset));
    std::size_t k = 0;
    for (; k + 16 <= count; k += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k));
        const __m128i high = _mm_and_si128(_mm_srli_epi16(b, 4), nibble);
        const __m128i low = _mm_and_si128(b, nibble);
        const __m128i hi = _mm_andnot_si128(_mm_cmpeq_epi8(high, zero), _mm_add_epi8(high, add));
        const __m128i lo = _mm_andnot_si128(_mm_cmpeq_epi8(low, zero), _mm_add_epi8(low, add));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k), _mm_unpacklo_epi8(hi, lo));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k + 16), _mm_unpackhi_epi8(hi, lo));
    }
    return k;
}
#endif

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

    // The picture is exactly xOffset + width wide, so every row has room for the cel. Rows are
    // stored bottom-up: each is a stride before the one above it.
    std::uint8_t last = 0;
    const auto rowAt = [&, stride = static_cast<std::ptrdiff_t>(image.RowStride()),
                        top = image.Row(h.yOffset)](std::int32_t r) {
        return top - r * stride + h.xOffset;
    };
    if (h.bitsPerPixel == 8) {
        for (std::int32_t r = 0; r < h.height; ++r) {
            std::uint8_t* out = rowAt(r);
            const std::uint8_t* source = NextRow(cel, rowBytes, out, last);
            if (source != out) std::memcpy(out, source, rowBytes);
        }
        return;
    }

    std::vector<std::uint8_t> spare(rowBytes);
    const auto pairs = NibblePairs(offset);
    const std::size_t wholeBytes = width / 2; // bytes whose two nibbles are both pixels
    for (std::int32_t r = 0; r < h.height; ++r) {
        const std::uint8_t* source = NextRow(cel, rowBytes, spare.data(), last);
        std::uint8_t* out = rowAt(r);
        std::size_t k = 0;
#ifdef __SSE2__
        k = NibblesInWholes(source, wholeBytes, offset, out);
#endif
        for (; k < wholeBytes; ++k)
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
    std::int64_t count =
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
    // As viewers show a palette, the groups it lacks are copies of its group 0 (a palette of one
    // group serves every set); as designed their entries stay grey.
    if (scale == ColourScale::Viewer && count > 0) {
        for (std::size_t k = static_cast<std::size_t>(count); k < colours.size(); ++k)
            colours[k] = colours[k % h.colours];
        count = static_cast<std::int64_t>(colours.size());
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
    const CelHeader h = ReadCelHeader(cel);
    // DecodePixels writes every pixel of the cel's own area: only the rest need be made 0.
    if (h.bitsPerPixel == 4 || h.bitsPerPixel == 8)
        image.SetSize(PictureWidth(h), PictureHeight(h), h.xOffset, h.yOffset);
    else
        image.SetSize(PictureWidth(h), PictureHeight(h));
    DecodePixels(image, cel, h, paletteOffset);

    const PaletteHeader paletteHeader = ReadPaletteHeader(palette);
    DecodeColours(image, palette, paletteHeader, scale);
}

// DecodeCel over arbitrary cel and palette bytes. Input: one byte of palette offset, two bytes
// (little-endian) of cel length, the cel, then the palette. The decoded file is compared byte
// for byte with a plain decoder that follows the format rules one read at a time.
#include "FuzzCheck.h"

#include "imaging/Bmp256Image.h"
#include "imaging/DecodeCel.h"
#include "imaging/MemoryStream.h"
#include "platform/Exception.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Headers may legally ask for images up to the stream's 2 GB limit. Such requests are valid
// but would trip libFuzzer's malloc and RSS limits and slow it to a crawl (the cost is per
// pixel, not per input byte), so inputs that ask for more than 256 KiB are skipped. Requests
// above the limit are refused without allocating and still run.
constexpr std::int64_t kMaxImageBytes = 256 << 10;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

struct Geometry {
    std::int64_t width = 0, height = 0, xOffset = 0, yOffset = 0;
    int bitsPerPixel = 4;
};

// The cel's header as the format gives it; unread bytes count as 0.
Geometry ReadGeometry(MemoryStream& cel) {
    std::uint8_t header[32] = {};
    cel.Seek(0);
    cel.Read(header, sizeof header);
    Geometry g;
    if (std::memcmp(header, "KiSS", 4) == 0) {
        g.bitsPerPixel = header[5];
        g.width = U16(header + 8);
        g.height = U16(header + 10);
        g.xOffset = U16(header + 12);
        g.yOffset = U16(header + 14);
    } else {
        std::uint8_t width[2] = {}, height[2] = {};
        cel.Seek(0);
        cel.Read(width, 2);
        cel.Read(height, 2);
        g.width = U16(width);
        g.height = U16(height);
    }
    return g;
}

std::int64_t ImageBytes(const Geometry& g) {
    return (g.xOffset + g.width + 3) / 4 * 4 * (g.yOffset + g.height) + 1078;
}

std::uint8_t Pixel(int nibble, std::uint8_t offset) {
    return nibble == 0 ? 0 : static_cast<std::uint8_t>(nibble + offset);
}

// Step by step: header, SetSize, one byte read per pixel byte into one reused variable,
// one read per colour into reused variables, one WritePaletteEntry per colour.
void PlainDecode(TBmp256Image& image, MemoryStream& cel, MemoryStream& palette,
                 std::uint8_t offset) {
    const Geometry g = ReadGeometry(cel);
    image.SetSize(static_cast<std::int32_t>(g.xOffset + g.width),
                  static_cast<std::int32_t>(g.yOffset + g.height));
    std::uint8_t b = 0;
    const auto x0 = static_cast<std::int32_t>(g.xOffset);
    const auto y0 = static_cast<std::int32_t>(g.yOffset);
    for (std::int32_t r = 0; r < g.height && (g.bitsPerPixel == 4 || g.bitsPerPixel == 8); ++r) {
        for (std::int32_t col = 0; col < g.width;) {
            cel.Read(&b, 1);
            if (g.bitsPerPixel == 8) {
                image.WritePixel(x0 + col++, y0 + r, b);
                continue;
            }
            image.WritePixel(x0 + col++, y0 + r, Pixel(b >> 4, offset));
            if (col < g.width) image.WritePixel(x0 + col++, y0 + r, Pixel(b & 15, offset));
        }
    }

    std::uint8_t header[32] = {};
    palette.Seek(0);
    palette.Read(header, sizeof header);
    int bits = 12;
    std::int64_t colours = 16, groups = 10;
    if (std::memcmp(header, "KiSS", 4) == 0) {
        bits = header[5];
        colours = U16(header + 8);
        groups = U16(header + 10);
    } else {
        palette.Seek(0);
    }
    if (bits != 12 && bits != 24) return;
    // A cut-short file leaves the reused variables as the last read filled them.
    std::uint8_t pair[2] = {}, component = 0, red = 0, green = 0, blue = 0;
    // Entries past 255 do not exist; the colours that would go there are not read.
    for (std::int64_t k = 0; k < std::min<std::int64_t>(colours * groups, 256); ++k) {
        if (bits == 12) {
            palette.Read(pair, 2);
            red = static_cast<std::uint8_t>((pair[0] >> 4) * 16);
            green = static_cast<std::uint8_t>((pair[1] & 15) * 16);
            blue = static_cast<std::uint8_t>((pair[0] & 15) * 16);
        } else {
            palette.Read(&component, 1);
            red = component;
            palette.Read(&component, 1);
            green = component;
            palette.Read(&component, 1);
            blue = component;
        }
        image.WritePaletteEntry(static_cast<std::int32_t>(k), red, green, blue);
    }
}

std::string Bytes(const TBmp256Image& image) {
    const auto* p = reinterpret_cast<const char*>(image.Stream().Data());
    return std::string(p, static_cast<std::size_t>(image.Stream().Size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t offset = data[0];
    const std::size_t rest = size - 3;
    const std::size_t celSize = std::min<std::size_t>(U16(data + 1), rest);
    MemoryStream cel, palette;
    cel.Write(data + 3, celSize);
    palette.Write(data + 3 + celSize, rest - celSize);

    const Geometry g = ReadGeometry(cel);
    const std::int64_t bytes = ImageBytes(g);
    if (bytes > kMaxImageBytes && bytes <= MemoryStream::kMaxSize) return 0;

    // One image for all inputs, as a run reuses one for all its cels.
    static TBmp256Image image;
    try {
        DecodeCel(image, cel, palette, offset);
    } catch (const Exception& e) {
        FUZZ_CHECK(bytes > MemoryStream::kMaxSize);
        FUZZ_CHECK(e.Message() == "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました");
        FUZZ_CHECK(image.FileSize() == 0 && image.Stream().Size() == 0);
        return 0;
    }
    FUZZ_CHECK(bytes <= MemoryStream::kMaxSize);
    FUZZ_CHECK(image.Width() == g.xOffset + g.width && image.Height() == g.yOffset + g.height);
    FUZZ_CHECK(image.FileSize() == bytes && image.Stream().Size() == bytes);

    TBmp256Image plain;
    PlainDecode(plain, cel, palette, offset);
    FUZZ_CHECK(Bytes(image) == Bytes(plain));
    return 0;
}

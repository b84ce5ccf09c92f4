#include "TruecolourCel.h"

#include "KissHeaders.h"

#include <algorithm>
#include <utility>

namespace {

bool IsTruecolour(const CelHeader& h)
{
    return h.headed && h.kind == 0x20 && h.bitsPerPixel == 32;
}

} // namespace

bool IsTruecolourCel(MemoryStream& cel)
{
    const bool truecolour = IsTruecolour(ReadCelHeader(cel));
    cel.Seek(0);
    return truecolour;
}

void DecodeTruecolourCel(RgbaImage& image, MemoryStream& cel)
{
    const CelHeader h = ReadCelHeader(cel);
    image.SetSize(static_cast<std::int32_t>(h.xOffset) + h.width,
                  static_cast<std::int32_t>(h.yOffset) + h.height);
    const std::size_t rowBytes = std::size_t{4} * h.width;
    if (!IsTruecolour(h) || rowBytes == 0) return;

    // The picture is exactly xOffset + width wide, so every row has room for the cel.
    for (std::int32_t r = 0; r < h.height; ++r) {
        std::uint8_t* out = image.Row(h.yOffset + r) + std::size_t{4} * h.xOffset;
        const std::size_t read = cel.Read(out, rowBytes), whole = read / 4 * 4;
        for (std::size_t i = 0; i < whole; i += 4)
            std::swap(out[i], out[i + 2]); // blue, green, red become red, green, blue
        // A file cut short leaves the pixels it lacks transparent, a part pixel included.
        std::fill(out + whole, out + read, std::uint8_t{0});
        if (read < rowBytes) return;
    }
}

#include "KissHeaders.h"

#include "ByteOrder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kHeaderSize = 32;

bool HasMagic(const std::array<std::uint8_t, kHeaderSize>& header)
{
    return std::memcmp(header.data(), "KiSS", 4) == 0; // case-sensitive
}

} // namespace

CelHeader ReadCelHeader(MemoryStream& cel)
{
    std::array<std::uint8_t, kHeaderSize> header{};
    cel.Seek(0);
    cel.Read(header.data(), header.size());

    CelHeader h;
    if (HasMagic(header)) {
        h.headed = true;
        h.kind = header[4];
        h.bitsPerPixel = header[5];
        h.width = LoadU16(&header[8]);
        h.height = LoadU16(&header[10]);
        h.xOffset = LoadU16(&header[12]);
        h.yOffset = LoadU16(&header[14]);
        return h; // the stream stands at the pixel data, offset 32
    }
    // Old form: width and height, each read on its own, then the 4-bit pixels at offset 4.
    std::array<std::uint8_t, 2> width{}, height{};
    cel.Seek(0);
    cel.Read(width.data(), width.size());
    cel.Read(height.data(), height.size());
    h.width = LoadU16(width.data());
    h.height = LoadU16(height.data());
    return h;
}

PaletteHeader ReadPaletteHeader(MemoryStream& palette)
{
    std::array<std::uint8_t, kHeaderSize> header{};
    palette.Seek(0);
    palette.Read(header.data(), header.size());

    PaletteHeader h;
    if (HasMagic(header)) {
        h.headed = true;
        h.bitsPerColour = header[5];
        h.colours = LoadU16(&header[8]);
        h.groups = LoadU16(&header[10]);
        return h;
    }
    palette.Seek(0); // old form: 16 colours of 12 bits in 10 groups from offset 0
    return h;
}

CelOrigin TakeNegativeOffsets(MemoryStream& cel)
{
    const CelHeader h = ReadCelHeader(cel);
    CelOrigin origin;
    if (h.headed) {
        origin = {std::min(SignedOffset(h.xOffset), 0), std::min(SignedOffset(h.yOffset), 0)};
        const std::uint8_t zero[2] = {};
        for (const auto& [at, offset] : {std::pair{12, origin.x}, {14, origin.y}}) {
            if (offset == 0) continue;
            cel.Seek(at);
            cel.Write(zero, sizeof zero);
        }
    }
    cel.Seek(0);
    return origin;
}

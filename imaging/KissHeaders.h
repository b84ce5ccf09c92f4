#pragma once

#include "MemoryStream.h"

#include <cstdint>

// The headers of the two KiSS file forms, each filled field by field from the start of its
// stream. Fields that a short file does not reach read as 0.
struct CelHeader {
    bool headed = false;   // the file begins with "KiSS"
    std::uint8_t kind = 0; // a headed file's mark: 0x20 for a cel
    std::uint8_t bitsPerPixel = 4;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint16_t xOffset = 0;
    std::uint16_t yOffset = 0;
};

struct PaletteHeader {
    bool headed = false;
    std::uint8_t bitsPerColour = 12;
    std::uint16_t colours = 16;
    std::uint16_t groups = 10;
};

// Each leaves its stream where the pixel or colour data begins (offset 4 or 32 for a cel,
// 0 or 32 for a palette; less when the file is shorter than that).
CelHeader ReadCelHeader(MemoryStream& cel);

// A headed cel's offset as viewers read it: signed, so 0xFFFD is -3.
inline std::int32_t SignedOffset(std::uint16_t offset)
{
    return static_cast<std::int16_t>(offset);
}
// Where a cel's picture stands from its object's place, beyond what the picture holds.
struct CelOrigin {
    std::int32_t x = 0, y = 0;
};
// Reads a headed cel's offsets as viewers do, signed: each negative one becomes 0 in the stream,
// so the decoders make the picture from the cel's own corner, and is given back as the picture's
// origin instead. Leaves the stream at its start.
CelOrigin TakeNegativeOffsets(MemoryStream& cel);
PaletteHeader ReadPaletteHeader(MemoryStream& palette);

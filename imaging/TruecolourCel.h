#pragma once

#include "MemoryStream.h"
#include "RgbaImage.h"

// The 32-bit cel: the "KiSS"-headed form (mark 0x20) with 32 bits per pixel, needing no palette.
// Its pixels follow the header as blue, green, red and straight alpha, rows top down.

// Whether the cel loaded in the stream is one; leaves the stream at its start.
bool IsTruecolourCel(MemoryStream& cel);
// Sizes the image so the cel stands at its offset, the margin transparent, and places the cel's
// pixels there. A cel of any other form gives a picture of its size, wholly transparent.
void DecodeTruecolourCel(RgbaImage& image, MemoryStream& cel);

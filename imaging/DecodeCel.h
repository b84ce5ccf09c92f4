#pragma once

#include "Bmp256Image.h"
#include "ColourScale.h"
#include "MemoryStream.h"

#include <cstdint>

// Turns one KiSS cel and one KiSS palette, each loaded whole into a stream, into the image:
// sized so the cel stands at its offset, pixels from the cel, colour table from the palette.
// Both files may be in the old headerless form or begin with a 32-byte "KiSS" header.
// paletteOffset is added (mod 256) to the non-zero pixels of 4-bit cels; scale turns 12-bit
// colours into bytes. A 32-bit cel's pixels stay 0 here (see TruecolourCel.h).
void DecodeCel(TBmp256Image& image, MemoryStream& cel, MemoryStream& palette,
               std::uint8_t paletteOffset, ColourScale scale = ColourScale::Designed);
// Whether DecodeCel makes the cel's picture (as wide and high as its header's offset and size)
// rather than raise the error for its size; the stream is left where the pixels begin.
bool CelPictureFits(MemoryStream& cel);

#pragma once

#include "MemoryStream.h"
#include "RgbaFrames.h"

// A PNG file loaded in the stream, read with libspng into one frame of red, green, blue and
// straight alpha (8 bits each, a tRNS chunk's transparency applied; an animated PNG's default
// image alone). Raises the stream's read error when its header cannot be read, the memory-growth
// error when the picture does not fit RgbaFrames' bounds. A file damaged or cut short past its
// header keeps the rows read, the rest transparent.
void DecodePng(MemoryStream& file, RgbaFrames& frames);

#pragma once

#include "MemoryStream.h"
#include "RgbaFrames.h"

// A GIF file (87a or 89a) loaded in the stream, read with giflib into frames as a browser shows
// them: each frame the picture so far with the file's next image drawn over it, its transparent
// colour left clear, interlaced rows in their places; then that image's area left, cleared or
// put back as its disposal says. The picture is the file's screen, widened to hold its first
// image; a later image is clipped to it. A delay of 10 ms or less is shown for 100 ms; the loop
// count of a NETSCAPE2.0 block plays the frames that many times more (0: for ever), once
// without one.
//
// Raises the stream's read error when the file is no GIF giflib can open, or holds no image, and
// the memory-growth error when the first frame does not fit RgbaFrames' bounds. Past that, a file
// cut short or damaged, or a later frame past the bounds, ends the frames with those read.
void DecodeGif(MemoryStream& file, RgbaFrames& frames);

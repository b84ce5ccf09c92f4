#pragma once

#include "MemoryStream.h"
#include "RgbaFrames.h"

// A JPEG file loaded in the stream, read with libjpeg(-turbo) into one opaque frame: greyscale,
// YCbCr and RGB files as their colours, CMYK and YCCK ones (inverted, as Adobe writes them, when
// the file says so) made red, green and blue.
//
// Raises the stream's read error when the file's header cannot be read, the memory-growth error
// when the picture does not fit RgbaFrames' bounds (libjpeg's own memory is held to them too). A
// file damaged or cut short past its first row keeps the rows read, the rest transparent; so
// does one of more than 1,000 scans.
void DecodeJpeg(MemoryStream& file, RgbaFrames& frames);

#pragma once

#include "KissWriter.h"

// Encoders for the image files viewers take as cels, through Debian's libraries (giflib,
// libjpeg-turbo, libspng): what they write is read back by decoders we did not write either.
namespace kisswriter {

// An image of a GIF file: at (left, top) on the screen, shown for delay hundredths of a second,
// then left (disposal 0 or 1), cleared (2) or put back (3); one colour transparent, none at -1.
struct GifImage {
    Picture picture;
    int left = 0, top = 0, delay = 0, disposal = 0, transparent = -1;
};

// A GIF file with a screen of width x height and one colour table (2 to 256 colours), its images
// interlaced or not; a NETSCAPE2.0 block of that loop count unless it is -1. A file whose
// images need no control block is GIF87a.
Bytes Gif(int width, int height, const std::vector<Rgb>& colours,
          const std::vector<GifImage>& images, bool interlaced = false, int loops = -1);
// A JPEG file of quality 100 from rows of components bytes a pixel (1: grey, 3: red, green,
// blue, 4: CMYK, written inverted as Adobe's are), baseline or progressive.
Bytes Jpeg(int width, int height, int components, const Bytes& pixels, bool progressive = false);
// A PNG file of red, green, blue and alpha rows, interlaced or not.
Bytes Png(int width, int height, const Bytes& rgba, bool interlaced = false);

} // namespace kisswriter

#pragma once

#include <cstdint>
#include <vector>

class MemoryStream;
class RgbaImage;
class TBmp256Image;

// The picture of an 8-bit BMP image as an indexed PNG file (libspng, default compression, rows
// unfiltered): the same pixels and colours, at the smallest bit depth (1, 2, 4 or 8) that holds
// the highest colour index a pixel uses, the colour table (PLTE) up to that index, and colour 0
// transparent (a tRNS of one entry) when a pixel uses it. A picture without pixels becomes one
// transparent pixel: a PNG is never empty. Replaces the stream's content; raises the stream's
// write error when the encoder fails.
void EncodeIndexedPng(const TBmp256Image& image, MemoryStream& png);

// A picture with alpha as an 8-bit red, green, blue, alpha PNG file (colour type 6), alpha
// straight as the image holds it; a picture without pixels becomes one transparent pixel.
// Replaces the stream's content; raises the stream's write error when the encoder fails.
void EncodeRgbaPng(const RgbaImage& image, MemoryStream& png);

// Rows of red, green, blue bytes, top-down, as a truecolour PNG file; replaces the stream's
// content.
void EncodeTruecolourPng(std::uint32_t width, std::uint32_t height,
                         const std::vector<std::uint8_t>& rgb, MemoryStream& png);

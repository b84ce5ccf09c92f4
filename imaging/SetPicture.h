#pragma once

#include "Bmp256Image.h"
#include "ColourScale.h"
#include "RgbaImage.h"

#include <cstdint>
#include <vector>

class MemoryStream;

// A picture of a scene as a viewer shows it at the start: a play area filled with one colour and
// images drawn on it, colour 0 of an 8-bit image transparent, clipped to the area. Images are
// drawn either front to back (DrawBehind), each filling only what is still bare, or back to front
// (DrawOver), each blended over what is there.
class SetPicture {
public:
    SetPicture(std::int32_t width, std::int32_t height, TBmp256Image::Colour background);

    // Draws the image's pixels other than colour 0 with its top-left corner at (x, y), in its
    // own colours, wherever no image drawn before has drawn.
    void DrawBehind(const TBmp256Image& image, std::int32_t x, std::int32_t y);
    // Blends the image's pixels other than colour 0 over the picture with its top-left corner at
    // (x, y), each weighing opacity of 255; a later DrawBehind leaves what they cover alone.
    void DrawOver(const TBmp256Image& image, std::int32_t x, std::int32_t y,
                  std::uint8_t opacity = 255);
    // The same for a picture with alpha: a pixel weighs its alpha times opacity, of 255 x 255.
    void DrawOver(const RgbaImage& image, std::int32_t x, std::int32_t y,
                  std::uint8_t opacity = 255);
    // The picture as a truecolour PNG file (libspng); replaces the stream's content.
    void EncodePng(MemoryStream& png) const;
    // The picture made smaller by a whole factor to fit in width x height, each pixel the mean
    // of the block it stands for (a part block at an edge: of what it holds); the same size when
    // it fits already.
    SetPicture FittedInto(std::int32_t width, std::int32_t height) const;
    // Red, green, blue, row by row from the top.
    const std::vector<std::uint8_t>& Rgb() const { return rgb_; }

private:
    std::int32_t width_, height_;
    std::vector<std::uint8_t> rgb_;   // red, green, blue, row by row from the top
    std::vector<std::uint8_t> drawn_; // 1 where an image has drawn
};

// Where the image is not colour 0, row by row from the top: each row's number of runs, then
// each run's first column and the column past its end.
std::vector<std::int32_t> OpaqueRuns(const TBmp256Image& image);
// The same where a picture with alpha is not wholly transparent (alpha above 0).
std::vector<std::int32_t> OpaqueRuns(const RgbaImage& image);

// Colour `index` of group `group` of a KiSS palette file loaded in a stream, as the colour table
// of an image decoded with it (and scale) holds it; black past the table's 256 entries.
TBmp256Image::Colour PaletteColour(MemoryStream& palette, int group, int index,
                                   ColourScale scale = ColourScale::Designed);

#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Encoders for the KiSS file forms, used to draw our own dolls (the sample doll, benchmark and
// fuzzing seeds, tests). Pixels are given row by row, top row first, one index per pixel.
namespace kisswriter {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width x height colour numbers

    Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
    std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Rgb {
    std::uint8_t red, green, blue;
};

// Old headerless cel: width, height, then 4-bit rows.
Bytes OldCel(const Picture& picture);
// "KiSS"-headed cel of 4 or 8 bits per pixel, placed at the given offset.
Bytes HeadedCel(const Picture& picture, int bitsPerPixel, int xOffset, int yOffset);
// Old headerless palette: 10 groups of 16 colours of 12 bits (colours beyond are cut, missing
// ones black). Components are rounded down to multiples of 16.
Bytes OldPalette(const std::vector<Rgb>& colours);
// "KiSS"-headed palette of 12 or 24 bits per colour.
Bytes HeadedPalette(const std::vector<Rgb>& colours, int bitsPerColour, int coloursPerGroup,
                    int groups);

// Raw builders for hostile bytes: any field values with any data, nothing checked or encoded.
// An old cel: width and height, then data.
Bytes RawOldCel(unsigned width, unsigned height, const Bytes& data);
// A 32-byte "KiSS" header, bits at offset 5 and the 16-bit fields from offset 8 on (a cel's width,
// height, x and y; a palette's colours per group and groups), then data (at most 12 fields). The
// kind byte at offset 4 is a palette's for two fields, a cel's otherwise.
Bytes RawHeaded(std::uint8_t bits, std::initializer_list<unsigned> fields, const Bytes& data = {});

void Save(const std::string& path, const Bytes& bytes);

} // namespace kisswriter

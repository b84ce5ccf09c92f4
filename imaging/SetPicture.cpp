#include "SetPicture.h"

#include "DecodeCel.h"
#include "KissHeaders.h"
#include "MemoryStream.h"
#include "PngImage.h"

#include <algorithm>

namespace {

// The columns and rows of a width x height image at (x, y) that fall inside the area.
struct Inside {
    std::int64_t left, top, right, bottom;
};

Inside InsideOf(std::int32_t areaWidth, std::int32_t areaHeight, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y)
{
    return {std::max<std::int64_t>(0, -std::int64_t{x}),
            std::max<std::int64_t>(0, -std::int64_t{y}),
            std::min<std::int64_t>(width, std::int64_t{areaWidth} - x),
            std::min<std::int64_t>(height, std::int64_t{areaHeight} - y)};
}

// The picture is what a browser shows of the doll's page, to the pixel, so both blends are done
// in its arithmetic. An opaque pixel of a see-through image moves what lies under it towards its
// own colour by opacity + 1 of 256, rounded down.
void FadeInto(std::uint8_t* out, const std::uint8_t* rgb, unsigned opacity)
{
    const int weight = static_cast<int>(opacity) + 1;
    for (int part = 0; part < 3; ++part)
        out[part] = static_cast<std::uint8_t>(out[part] + ((rgb[part] - out[part]) * weight >> 8));
}

// A pixel with alpha a adds its colour weighed a of 255, rounded, to what lies under it weighed
// 256 - a of 256, rounded down.
void CoverInto(std::uint8_t* out, const std::uint8_t* rgb, unsigned a)
{
    for (int part = 0; part < 3; ++part)
        out[part] =
            static_cast<std::uint8_t>((rgb[part] * a + 127) / 255 + (out[part] * (256 - a) >> 8));
}

// Where pixel byte `at` of each step bytes is not 0, in the format OpaqueRuns gives.
template <class Image> std::vector<std::int32_t> Runs(const Image& image, int step, int at)
{
    std::vector<std::int32_t> runs;
    for (std::int32_t row = 0; row < image.Height(); ++row) {
        const std::uint8_t* pixels = image.Row(row);
        const auto opaque = [&](std::int32_t column) {
            return pixels[static_cast<std::size_t>(column) * step + at] != 0;
        };
        const std::size_t count = runs.size();
        runs.push_back(0);
        for (std::int32_t column = 0; column < image.Width();) {
            if (!opaque(column)) {
                ++column;
                continue;
            }
            const std::int32_t first = column;
            while (column < image.Width() && opaque(column))
                ++column;
            runs.insert(runs.end(), {first, column});
            ++runs[count];
        }
    }
    return runs;
}

} // namespace

SetPicture::SetPicture(std::int32_t width, std::int32_t height, TBmp256Image::Colour background)
    : width_(std::max(width, 1)), height_(std::max(height, 1)),
      rgb_(std::size_t{3} * width_ * height_), drawn_(std::size_t{1} * width_ * height_, 0)
{
    for (std::size_t i = 0; i < rgb_.size(); i += 3)
        rgb_[i] = background.red, rgb_[i + 1] = background.green, rgb_[i + 2] = background.blue;
}

void SetPicture::DrawBehind(const TBmp256Image& image, std::int32_t x, std::int32_t y)
{
    // Only the part of the image that falls inside the area is visited.
    const Inside in = InsideOf(width_, height_, image.Width(), image.Height(), x, y);
    for (std::int64_t row = in.top; row < in.bottom; ++row) {
        const std::uint8_t* pixels = image.Row(static_cast<std::int32_t>(row));
        for (std::int64_t column = in.left; column < in.right; ++column) {
            const std::uint8_t index = pixels[column];
            const std::size_t at = static_cast<std::size_t>((y + row) * width_ + x + column);
            if (index == 0 || drawn_[at]) continue;
            const TBmp256Image::Colour colour = image.ColourAt(index);
            std::uint8_t* out = &rgb_[3 * at];
            out[0] = colour.red, out[1] = colour.green, out[2] = colour.blue;
            drawn_[at] = 1;
        }
    }
}

void SetPicture::DrawOver(const TBmp256Image& image, std::int32_t x, std::int32_t y,
                          std::uint8_t opacity)
{
    const Inside in = InsideOf(width_, height_, image.Width(), image.Height(), x, y);
    for (std::int64_t row = in.top; row < in.bottom; ++row) {
        const std::uint8_t* pixels = image.Row(static_cast<std::int32_t>(row));
        for (std::int64_t column = in.left; column < in.right; ++column) {
            const std::uint8_t index = pixels[column];
            if (index == 0 || opacity == 0) continue;
            const std::size_t at = static_cast<std::size_t>((y + row) * width_ + x + column);
            const TBmp256Image::Colour colour = image.ColourAt(index);
            const std::uint8_t rgb[3] = {colour.red, colour.green, colour.blue};
            FadeInto(&rgb_[3 * at], rgb, opacity);
            drawn_[at] = 1;
        }
    }
}

void SetPicture::DrawOver(const RgbaImage& image, std::int32_t x, std::int32_t y,
                          std::uint8_t opacity)
{
    const Inside in = InsideOf(width_, height_, image.Width(), image.Height(), x, y);
    for (std::int64_t row = in.top; row < in.bottom; ++row) {
        const std::uint8_t* pixels = image.Row(static_cast<std::int32_t>(row));
        for (std::int64_t column = in.left; column < in.right; ++column) {
            const std::uint8_t* pixel = pixels + 4 * column;
            const unsigned a = (pixel[3] * unsigned{opacity} + 127) / 255;
            if (a == 0) continue;
            const std::size_t at = static_cast<std::size_t>((y + row) * width_ + x + column);
            // An opaque pixel of a see-through picture fades in as an 8-bit image's does.
            if (pixel[3] == 255)
                FadeInto(&rgb_[3 * at], pixel, opacity);
            else
                CoverInto(&rgb_[3 * at], pixel, a);
            drawn_[at] = 1;
        }
    }
}

void SetPicture::EncodePng(MemoryStream& png) const
{
    EncodeTruecolourPng(static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_),
                        rgb_, png);
}

SetPicture SetPicture::FittedInto(std::int32_t width, std::int32_t height) const
{
    const std::int32_t factor =
        std::max({(width_ + std::max(width, 1) - 1) / std::max(width, 1),
                  (height_ + std::max(height, 1) - 1) / std::max(height, 1), 1});
    SetPicture small((width_ + factor - 1) / factor, (height_ + factor - 1) / factor, {});
    for (std::int32_t y = 0; y < small.height_; ++y)
        for (std::int32_t x = 0; x < small.width_; ++x) {
            std::uint32_t sum[3] = {}, count = 0;
            for (std::int32_t row = y * factor; row < std::min((y + 1) * factor, height_); ++row)
                for (std::int32_t column = x * factor; column < std::min((x + 1) * factor, width_);
                     ++column, ++count)
                    for (int part = 0; part < 3; ++part)
                        sum[part] += rgb_[3 * (std::size_t{1} * row * width_ + column) + part];
            for (int part = 0; part < 3; ++part)
                small.rgb_[3 * (std::size_t{1} * y * small.width_ + x) + part] =
                    static_cast<std::uint8_t>((sum[part] + count / 2) / count);
        }
    return small;
}

std::vector<std::int32_t> OpaqueRuns(const TBmp256Image& image)
{
    return Runs(image, 1, 0);
}

std::vector<std::int32_t> OpaqueRuns(const RgbaImage& image)
{
    return Runs(image, 4, 3);
}

TBmp256Image::Colour PaletteColour(MemoryStream& palette, int group, int index, ColourScale scale)
{
    palette.Seek(0);
    const PaletteHeader header = ReadPaletteHeader(palette);
    // As viewers show it, a group the palette lacks is its group 0.
    if (scale == ColourScale::Viewer && (group < 0 || group >= header.groups)) group = 0;
    const std::int64_t entry = std::int64_t{group} * header.colours + index;
    MemoryStream noCel; // decoded with an empty cel, the image holds the palette's colour table
    TBmp256Image image;
    palette.Seek(0);
    DecodeCel(image, noCel, palette, 0, scale);
    palette.Seek(0);
    if (entry < 0 || entry > 255) return {};
    return image.ColourAt(static_cast<std::int32_t>(entry));
}

#include "SetPicture.h"

#include "DecodeCel.h"
#include "KissHeaders.h"
#include "MemoryStream.h"
#include "PngImage.h"

#include <algorithm>

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
    const std::int64_t left = std::max<std::int64_t>(0, -std::int64_t{x}),
                       top = std::max<std::int64_t>(0, -std::int64_t{y}),
                       right = std::min<std::int64_t>(image.Width(), std::int64_t{width_} - x),
                       bottom = std::min<std::int64_t>(image.Height(), std::int64_t{height_} - y);
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t* pixels = image.Row(static_cast<std::int32_t>(row));
        for (std::int64_t column = left; column < right; ++column) {
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
    std::vector<std::int32_t> runs;
    for (std::int32_t row = 0; row < image.Height(); ++row) {
        const std::uint8_t* pixels = image.Row(row);
        const std::size_t count = runs.size();
        runs.push_back(0);
        for (std::int32_t column = 0; column < image.Width();) {
            if (pixels[column] == 0) {
                ++column;
                continue;
            }
            const std::int32_t first = column;
            while (column < image.Width() && pixels[column] != 0)
                ++column;
            runs.insert(runs.end(), {first, column});
            ++runs[count];
        }
    }
    return runs;
}

TBmp256Image::Colour PaletteColour(MemoryStream& palette, int group, int index)
{
    palette.Seek(0);
    const PaletteHeader header = ReadPaletteHeader(palette);
    const std::int64_t entry = std::int64_t{group} * header.colours + index;
    MemoryStream noCel; // decoded with an empty cel, the image holds the palette's colour table
    TBmp256Image image;
    palette.Seek(0);
    DecodeCel(image, noCel, palette, 0);
    palette.Seek(0);
    if (entry < 0 || entry > 255) return {};
    return image.ColourAt(static_cast<std::int32_t>(entry));
}

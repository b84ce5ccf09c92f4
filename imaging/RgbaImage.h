#pragma once

#include <cstdint>
#include <vector>

// A picture with an alpha channel: red, green, blue and straight (not premultiplied) alpha per
// pixel, rows top down without padding. It always holds width x height x 4 bytes.
class RgbaImage {
public:
    // A fresh picture, every pixel transparent black. Raises the memory-growth error when the
    // pixels would not fit a signed 32-bit size or memory cannot be had; the image is then empty
    // and can be sized again.
    void SetSize(std::int32_t width, std::int32_t height);

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    // The width x 4 bytes of row y (0 is the top), or nullptr outside the picture.
    std::uint8_t* Row(std::int32_t y);
    const std::uint8_t* Row(std::int32_t y) const;
    const std::vector<std::uint8_t>& Rgba() const { return rgba_; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint8_t> rgba_;
};

#pragma once

#include "RgbaImage.h"

#include <cstdint>
#include <vector>

// A picture with alpha that may move, as an image file holds it: one or more frames of one size,
// each shown for its delay, the whole shown Plays() times (0: for ever).
//
// What one file may cost is bounded before memory is asked for: each side kMaxSide, kMaxFrames
// frames, and MaxBytes() of pixels (4 bytes each) over its frames and what they are made from.
class RgbaFrames {
public:
    static constexpr std::int32_t kMaxSide = 65535;
    static constexpr std::size_t kMaxFrames = 1024;
    static constexpr std::int64_t kMaxBytes = std::int64_t{256} << 20;

    explicit RgbaFrames(std::int64_t maxBytes = kMaxBytes) : maxBytes_(maxBytes) {}
    std::int64_t MaxBytes() const { return maxBytes_; }

    // No frame, shown once, nothing spent.
    void Clear();
    // Whether a frame of width x height could be added: each side within kMaxSide, the frames
    // fewer than kMaxFrames, their bytes with these and the pixels spent within MaxBytes().
    bool Fits(std::int64_t width, std::int64_t height) const;
    // Counts width x height pixels against MaxBytes() (what frames are made from); false, counting
    // nothing, past it.
    bool Spend(std::int64_t width, std::int64_t height);
    // A new last frame, transparent black, shown for delay ms. Raises the memory-growth error
    // when it does not fit, the frames left as they were.
    RgbaImage& Add(std::int32_t width, std::int32_t height, std::int32_t delay);
    void SetPlays(std::int32_t plays) { plays_ = plays; }

    const std::vector<RgbaImage>& Frames() const { return frames_; }
    const std::vector<std::int32_t>& Delays() const { return delays_; }
    std::int32_t Plays() const { return plays_; }

private:
    std::vector<RgbaImage> frames_;
    std::vector<std::int32_t> delays_;
    std::int32_t plays_ = 1;
    std::int64_t maxBytes_;
    std::int64_t spent_ = 0; // bytes, as 4 a pixel
};

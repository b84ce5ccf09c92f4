#include "RgbaFrames.h"

#include "StreamErrors.h"

void RgbaFrames::Clear()
{
    // The frames' memory goes too: one large file must not hold it for every later one.
    std::vector<RgbaImage>().swap(frames_);
    delays_.clear();
    plays_ = 1;
    spent_ = 0;
}

bool RgbaFrames::Fits(std::int64_t width, std::int64_t height) const
{
    return width >= 0 && height >= 0 && width <= kMaxSide && height <= kMaxSide &&
           frames_.size() < kMaxFrames && 4 * width * height <= maxBytes_ - spent_;
}

bool RgbaFrames::Spend(std::int64_t width, std::int64_t height)
{
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide ||
        4 * width * height > maxBytes_ - spent_)
        return false;
    spent_ += 4 * width * height;
    return true;
}

RgbaImage& RgbaFrames::Add(std::int32_t width, std::int32_t height, std::int32_t delay)
{
    if (!Fits(width, height))
        throw EStreamMemoryError("out of memory: the image file's frames are too large");
    RgbaImage frame;
    frame.SetSize(width, height);
    frames_.push_back(std::move(frame));
    delays_.push_back(delay);
    spent_ += 4 * std::int64_t{width} * height;
    return frames_.back();
}

#include "RgbaImage.h"

#include "MemoryStream.h"
#include "StreamErrors.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace {

[[noreturn]] void Refuse(std::vector<std::uint8_t>& rgba)
{
    std::vector<std::uint8_t>().swap(rgba); // empty, and holding no memory
    throw EStreamMemoryError();
}

} // namespace

void RgbaImage::SetSize(std::int32_t width, std::int32_t height)
{
    width_ = height_ = 0;
    // Divided rather than multiplied: width x height x 4 may not fit 64 bits.
    if (width < 0 || height < 0 || (height > 0 && width > MemoryStream::kMaxSize / 4 / height))
        Refuse(rgba_);
    const std::size_t size =
        std::size_t{4} * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    try {
        // A larger picture lets the old buffer go first, so a failed request leaves nothing held.
        if (size > rgba_.capacity()) std::vector<std::uint8_t>().swap(rgba_);
        rgba_.assign(size, 0);
    } catch (const std::bad_alloc&) {
        Refuse(rgba_);
    } catch (const std::length_error&) {
        Refuse(rgba_);
    }
    width_ = width;
    height_ = height;
}

const std::uint8_t* RgbaImage::Row(std::int32_t y) const
{
    if (y < 0 || y >= height_) return nullptr;
    return rgba_.data() +
           std::size_t{4} * static_cast<std::size_t>(width_) * static_cast<std::size_t>(y);
}

std::uint8_t* RgbaImage::Row(std::int32_t y)
{
    return const_cast<std::uint8_t*>(std::as_const(*this).Row(y)); // the pixels are ours to change
}

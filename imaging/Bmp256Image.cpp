#include "Bmp256Image.h"

#include "ByteOrder.h"
#include "StreamErrors.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
constexpr std::int64_t kHeadersSize = TBmp256Image::kPixelOffset;
}

void TBmp256Image::Clear()
{
    fileHeader_ = {};
    infoHeader_ = {};
    colourTable_.fill(0);
    rowStride_ = width_ = height_ = fileSize_ = 0;
    stream_.SetSize(0);
}

bool TBmp256Image::Fits(std::int32_t width, std::int32_t height)
{
    const std::int64_t stride = (static_cast<std::int64_t>(width) + 3) / 4 * 4;
    return width >= 0 && height >= 0 && stride * height + kHeadersSize <= MemoryStream::kMaxSize;
}

void TBmp256Image::SetSize(std::int32_t width, std::int32_t height, std::int32_t left,
                           std::int32_t top)
{
    // Rows are padded to a multiple of 4 bytes.
    const std::int64_t stride = (static_cast<std::int64_t>(width) + 3) / 4 * 4;
    const std::int64_t size = stride * height + kHeadersSize;
    if (!Fits(width, height)) {
        Clear();
        throw EStreamMemoryError();
    }
    try {
        stream_.SetSizeUnfilled(size);
    } catch (...) {
        Clear();
        throw;
    }
    // Every pixel outside the caller's area (none when it is empty), and all row padding, is 0.
    left = std::clamp(left, 0, width);
    top = std::clamp(top, 0, height);
    // Stored bottom-up: the rows above top are the last ones, in one piece.
    std::uint8_t* pixels = stream_.Data() + kHeadersSize;
    const bool area = left < width && top < height;
    const std::int64_t above = area ? top : height;
    std::memset(pixels + (height - above) * stride, 0, static_cast<std::size_t>(above * stride));
    if (area && (left > 0 || stride > width)) {
        for (std::int64_t y = top; y < height; ++y) {
            std::uint8_t* row = pixels + (height - 1 - y) * stride;
            std::memset(row, 0, static_cast<std::size_t>(left));
            std::memset(row + width, 0, static_cast<std::size_t>(stride - width));
        }
    }
    rowStride_ = static_cast<std::int32_t>(stride);
    width_ = width;
    height_ = height;
    fileSize_ = static_cast<std::int32_t>(size);

    fileHeader_.signature = 0x4D42; // "BM"
    fileHeader_.fileSize = static_cast<std::uint32_t>(fileSize_);
    fileHeader_.reserved1 = 0;
    fileHeader_.reserved2 = 0;
    fileHeader_.pixelOffset = kPixelOffset;

    infoHeader_ = {};
    infoHeader_.headerSize = 40;
    infoHeader_.width = width;
    infoHeader_.height = height; // positive: rows are stored bottom-up
    infoHeader_.planes = 1;
    infoHeader_.bitsPerPixel = 8;

    for (std::size_t i = 0; i < 256; ++i) {
        const auto grey = static_cast<std::uint8_t>(i);
        colourTable_[i * 4 + 0] = grey;
        colourTable_[i * 4 + 1] = grey;
        colourTable_[i * 4 + 2] = grey;
        colourTable_[i * 4 + 3] = 0;
    }
    StoreHeaders();
    StoreColourTable();
}

void TBmp256Image::StoreHeaders()
{
    std::uint8_t* p = stream_.Data();
    StoreU16(p + 0, fileHeader_.signature);
    StoreU32(p + 2, fileHeader_.fileSize);
    StoreU16(p + 6, fileHeader_.reserved1);
    StoreU16(p + 8, fileHeader_.reserved2);
    StoreU32(p + 10, fileHeader_.pixelOffset);

    StoreU32(p + 14, infoHeader_.headerSize);
    StoreU32(p + 18, static_cast<std::uint32_t>(infoHeader_.width));
    StoreU32(p + 22, static_cast<std::uint32_t>(infoHeader_.height));
    StoreU16(p + 26, infoHeader_.planes);
    StoreU16(p + 28, infoHeader_.bitsPerPixel);
    StoreU32(p + 30, infoHeader_.compression);
    StoreU32(p + 34, infoHeader_.imageSize);
    StoreU32(p + 38, static_cast<std::uint32_t>(infoHeader_.xResolution));
    StoreU32(p + 42, static_cast<std::uint32_t>(infoHeader_.yResolution));
    StoreU32(p + 46, infoHeader_.coloursUsed);
    StoreU32(p + 50, infoHeader_.importantColours);
}

void TBmp256Image::StoreColourTable()
{
    if (stream_.Size() < kHeadersSize) return;
    std::memcpy(stream_.Data() + kColourTableOffset, colourTable_.data(), colourTable_.size());
}

const std::uint8_t* TBmp256Image::Row(std::int32_t y) const
{
    if (y < 0 || y >= height_) return nullptr;
    const std::int64_t storedRow = height_ - 1 - y;
    return stream_.Data() + kPixelOffset + storedRow * rowStride_;
}

std::uint8_t* TBmp256Image::Row(std::int32_t y)
{
    return const_cast<std::uint8_t*>(std::as_const(*this).Row(y)); // the stream is ours to change
}

TBmp256Image::Colour TBmp256Image::ColourAt(std::int32_t index) const
{
    if (index < 0 || index > 255) return {};
    const std::uint8_t* entry = colourTable_.data() + static_cast<std::size_t>(index) * 4;
    return {entry[2], entry[1], entry[0]}; // stored blue, green, red
}

void TBmp256Image::WritePixel(std::int32_t x, std::int32_t y, std::uint8_t value)
{
    std::uint8_t* row = Row(y);
    if (row == nullptr || x < 0 || x >= rowStride_) return;
    row[x] = value;
}

void TBmp256Image::WritePaletteEntry(std::int32_t index, std::uint8_t red, std::uint8_t green,
                                     std::uint8_t blue)
{
    const Colour colour{red, green, blue};
    WritePaletteEntries(index, &colour, 1);
}

void TBmp256Image::WritePaletteEntries(std::int32_t first, const Colour* colours,
                                       std::int32_t count)
{
    bool changed = false;
    for (std::int32_t k = 0; k < count; ++k) {
        const std::int64_t index = static_cast<std::int64_t>(first) + k;
        if (index < 0 || index > 255) continue;
        // Blue, green, red; the reserved fourth byte stays 0.
        colourTable_[static_cast<std::size_t>(index) * 4 + 0] = colours[k].blue;
        colourTable_[static_cast<std::size_t>(index) * 4 + 1] = colours[k].green;
        colourTable_[static_cast<std::size_t>(index) * 4 + 2] = colours[k].red;
        changed = true;
    }
    if (changed) StoreColourTable();
}

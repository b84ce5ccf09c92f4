#pragma once

#include "MemoryStream.h"

#include <array>
#include <cstdint>
#include <string>

// An uncompressed 8-bit palettised BMP file held whole in memory, byte for byte as it will be
// saved: 14-byte file header, 40-byte info header, 256-entry colour table, bottom-up pixel rows.
// Every change is written into those bytes at once, so saving is a plain copy of the stream.
class TBmp256Image {
public:
    static constexpr std::int32_t kPixelOffset = 1078;
    static constexpr std::int32_t kColourTableOffset = 54;

    struct Colour {
        std::uint8_t red = 0, green = 0, blue = 0;
    };

    TBmp256Image() = default;
    TBmp256Image(const TBmp256Image&) = delete;
    TBmp256Image& operator=(const TBmp256Image&) = delete;

    // A fresh picture: every pixel 0, the colour table a grey ramp. Raises the memory-growth
    // error when the file would not fit a signed 32-bit size or memory cannot be had; the image
    // is then empty and can be sized again.
    void SetSize(std::int32_t width, std::int32_t height) { SetSize(width, height, width, height); }
    // The same, but the pixels from column left and row top on (to the picture's width and
    // height; the row padding is 0) are left for the caller to write, who must write them all:
    // until then they hold anything.
    void SetSize(std::int32_t width, std::int32_t height, std::int32_t left, std::int32_t top);
    // Whether SetSize makes a picture of that size rather than raise the error for its size.
    static bool Fits(std::int32_t width, std::int32_t height);
    // y = 0 is the top row. Outside the picture (0 <= x < stride, 0 <= y < height): ignored.
    void WritePixel(std::int32_t x, std::int32_t y, std::uint8_t value);
    // Entry 0 to 255; any other index is ignored.
    void WritePaletteEntry(std::int32_t index, std::uint8_t red, std::uint8_t green,
                           std::uint8_t blue);
    // Sets count consecutive entries from first on, then writes the colour table once; entries
    // past 255 are ignored. The bytes are those of as many WritePaletteEntry calls.
    void WritePaletteEntries(std::int32_t first, const Colour* colours, std::int32_t count);
    void SaveToFile(const std::string& path) const { stream_.SaveToFile(path); }
    void SaveToFile(const platform::Folder& folder, const std::string& name,
                    const std::string& shownPath, const platform::FinalName* looked = nullptr) const
    {
        stream_.SaveToFile(folder, name, shownPath, looked);
    }

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::int32_t RowStride() const { return rowStride_; }
    std::int32_t FileSize() const { return fileSize_; }
    // The stored bytes of picture row y, counted top-down as WritePixel does (stride bytes), or
    // nullptr outside the picture; the file itself holds the rows bottom-up.
    std::uint8_t* Row(std::int32_t y);
    const std::uint8_t* Row(std::int32_t y) const;
    // Colour table entry 0 to 255 as red, green, blue; black for any other index.
    Colour ColourAt(std::int32_t index) const;
    const MemoryStream& Stream() const { return stream_; }

private:
    struct FileHeader {
        std::uint16_t signature = 0;
        std::uint32_t fileSize = 0;
        std::uint16_t reserved1 = 0;
        std::uint16_t reserved2 = 0;
        std::uint32_t pixelOffset = 0;
    };
    struct InfoHeader {
        std::uint32_t headerSize = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::uint16_t planes = 0;
        std::uint16_t bitsPerPixel = 0;
        std::uint32_t compression = 0;
        std::uint32_t imageSize = 0;
        std::int32_t xResolution = 0;
        std::int32_t yResolution = 0;
        std::uint32_t coloursUsed = 0;
        std::uint32_t importantColours = 0;
    };

    void StoreHeaders();
    void StoreColourTable();
    void Clear();

    FileHeader fileHeader_;
    InfoHeader infoHeader_;
    std::array<std::uint8_t, 1024> colourTable_{};
    std::int32_t rowStride_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t fileSize_ = 0;
    MemoryStream stream_;
};

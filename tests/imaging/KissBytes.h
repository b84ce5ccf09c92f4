#pragma once

#include "imaging/Bmp256Image.h"
#include "imaging/DecodeCel.h"
#include "imaging/MemoryStream.h"
#include "support/TempDir.h"

#include <array>
#include <cstdint>
#include <initializer_list>

// Test inputs written out byte by byte, and a reader of the BMP bytes that an image holds.
namespace kissbytes {

inline MemoryStream StreamOf(const Bytes& bytes) {
    MemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.Seek(0);
    return stream;
}

inline void Put16(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline Bytes Join(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline Bytes OldCel(unsigned width, unsigned height, const Bytes& data) {
    Bytes b(4);
    Put16(b, 0, width);
    Put16(b, 2, height);
    return Join(b, data);
}

// A 32-byte "KiSS" header: bits at offset 5, then the 16-bit fields from offset 8 on.
inline Bytes Headed(std::uint8_t bits, std::initializer_list<unsigned> fields, const Bytes& data) {
    Bytes b{'K', 'i', 'S', 'S', 0x20, bits};
    b.resize(32);
    std::size_t at = 8;
    for (const unsigned v : fields)
        Put16(b, (at += 2) - 2, v);
    return Join(b, data);
}

inline Bytes HeadedCel(std::uint8_t bits, unsigned width, unsigned height, unsigned x, unsigned y,
                       const Bytes& data) {
    return Headed(bits, {width, height, x, y}, data);
}

inline Bytes HeadedPalette(std::uint8_t bits, unsigned colours, unsigned groups,
                           const Bytes& data) {
    return Headed(bits, {colours, groups}, data);
}

inline std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads the picture back from the file bytes alone: size fields, bottom-up rows, colour table.
struct BmpView {
    explicit BmpView(const TBmp256Image& image)
        : bytes(image.Stream().Data(), image.Stream().Data() + image.Stream().Size()) {}
    explicit BmpView(Bytes b) : bytes(std::move(b)) {}

    std::int32_t Width() const { return static_cast<std::int32_t>(U32(&bytes[18])); }
    std::int32_t Height() const { return static_cast<std::int32_t>(U32(&bytes[22])); }
    std::int32_t Stride() const { return (Width() + 3) / 4 * 4; }
    std::uint8_t Stored(std::int32_t x, std::int32_t y) const {
        return bytes.at(1078 + static_cast<std::size_t>(Height() - 1 - y) * Stride() + x);
    }
    // Picture rows top first, padding left out.
    std::vector<Bytes> Rows() const {
        std::vector<Bytes> rows(Height());
        for (std::int32_t y = 0; y < Height(); ++y)
            for (std::int32_t x = 0; x < Width(); ++x)
                rows[y].push_back(Stored(x, y));
        return rows;
    }
    bool PaddingIsZero() const {
        for (std::int32_t y = 0; y < Height(); ++y)
            for (std::int32_t x = Width(); x < Stride(); ++x)
                if (Stored(x, y) != 0) return false;
        return true;
    }
    // Red, green, blue and the reserved byte of entry i.
    std::array<int, 4> Entry(int i) const {
        const std::uint8_t* e = &bytes.at(54 + 4 * static_cast<std::size_t>(i));
        return {e[2], e[1], e[0], e[3]};
    }
    bool IsGrey(int i) const { return Entry(i) == std::array<int, 4>{i, i, i, 0}; }

    Bytes bytes;
};

// Decodes into image; the streams start away from 0, as the decoder positions them itself.
inline BmpView Decode(TBmp256Image& image, const Bytes& celBytes, const Bytes& paletteBytes,
                      std::uint8_t offset = 0, std::int64_t* palettePosition = nullptr) {
    MemoryStream cel = StreamOf(celBytes), palette = StreamOf(paletteBytes);
    cel.Seek(1);
    palette.Seek(2);
    DecodeCel(image, cel, palette, offset);
    if (palettePosition) *palettePosition = palette.Position();
    return BmpView(image);
}

inline BmpView Decode(const Bytes& cel, const Bytes& palette,
                      std::int64_t* palettePosition = nullptr) {
    TBmp256Image image;
    return Decode(image, cel, palette, 0, palettePosition);
}

} // namespace kissbytes

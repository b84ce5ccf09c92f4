#include "KissBytes.h"

#include "imaging/KissHeaders.h"

#include <gtest/gtest.h>

namespace {

using namespace kissbytes;
using Rows = std::vector<Bytes>;

TEST(DecodeCel, Pixels) {
    struct Row {
        const char* what;
        Bytes cel;
        int offset;
        Rows pixels; // top row first
    };
    // clang-format off
    const Row rows[] = {
        {"odd width", OldCel(3, 2, {0x12, 0x30, 0x45, 0x60}), 32, {{33, 34, 35}, {36, 37, 38}}},
        {"0 takes no offset", OldCel(2, 1, {0x05}), 16, {{0, 21}}},
        {"wraps at 256", OldCel(2, 1, {0xFF}), 250, {{9, 9}}},
        {"width 1", OldCel(1, 3, {0xAF, 0xBF, 0xCF}), 0, {{10}, {11}, {12}}},
        {"4-bit at x offset", HeadedCel(4, 3, 1, 1, 0, {0x12, 0x34}), 16, {{0, 17, 18, 19}}},
        {"8-bit at offset", HeadedCel(8, 2, 1, 2, 1, {0x10, 0xFF}), 77, {{0, 0, 0, 0}, {0, 0, 16, 255}}},
        {"8-bit rows", HeadedCel(8, 3, 2, 0, 0, {1, 2, 3, 4, 5, 6}), 9, {{1, 2, 3}, {4, 5, 6}}},
        {"32 bits", HeadedCel(32, 2, 2, 1, 1, {0xFF, 0xFF, 0xFF, 0xFF}), 0, Rows(3, Bytes(3))},
        {"0 bits", HeadedCel(0, 2, 1, 0, 0, {0x11}), 0, {{0, 0}}},
        {"16 bits", HeadedCel(16, 1, 2, 0, 0, {0x11, 0x11}), 0, {{0}, {0}}},
        {"width 0", HeadedCel(8, 0, 2, 3, 0, {1, 2, 3}), 0, {{0, 0, 0}, {0, 0, 0}}},
        {"old width 0", OldCel(0, 2, {0x11}), 0, {{}, {}}},
        {"height 0", HeadedCel(4, 3, 0, 0, 2, {0x11}), 0, {{0, 0, 0}, {0, 0, 0}}},
        {"short 4-bit", OldCel(4, 2, {0x12, 0x34, 0x56}), 0, {{1, 2, 3, 4}, {5, 6, 5, 6}}},
        {"short mid-row", OldCel(3, 2, {0x1F}), 16, {{17, 31, 17}, {17, 31, 17}}},
        {"short 8-bit", HeadedCel(8, 3, 2, 0, 0, {7, 8}), 0, {{7, 8, 8}, {8, 8, 8}}},
        {"no pixel data", OldCel(2, 2, {}), 5, {{0, 0}, {0, 0}}},
        {"cut header", {'K', 'i', 'S', 'S', 0, 8, 0, 0, 2, 0, 1, 0}, 0, {{0, 0}}},
    };
    // clang-format on
    TBmp256Image image; // reused: each decoding replaces the picture before it
    image.SetSize(40, 40);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const BmpView view = Decode(image, r.cel, {}, static_cast<std::uint8_t>(r.offset));
        ASSERT_EQ(view.Height(), static_cast<int>(r.pixels.size()));
        ASSERT_EQ(view.Width(), static_cast<int>(r.pixels[0].size()));
        EXPECT_EQ(view.bytes.size(), 1078u + view.Stride() * view.Height());
        EXPECT_EQ(view.Rows(), r.pixels);
        EXPECT_TRUE(view.PaddingIsZero());
    }
}

// Fields that a short file does not reach read as 0; any other first four bytes than "KiSS"
// make the old form.
TEST(DecodeCel, CelHeaderForms) {
    struct Row {
        Bytes bytes;
        std::array<int, 7> header; // headed, bits, width, height, x, y, position after it
    };
    const Row rows[] = {
        {{}, {0, 4, 0, 0, 0, 0, 0}},
        {{3}, {0, 4, 3, 0, 0, 0, 1}},
        {{2, 0, 5}, {0, 4, 2, 5, 0, 0, 3}},
        {{'K', 'i', 'S'}, {0, 4, 0x694B, 0x53, 0, 0, 3}},
        {Join({'k', 'i', 's', 's'}, Bytes(28)), {0, 4, 0x696B, 0x7373, 0, 0, 4}},
        {{'K', 'I', 'S', 'S', 9}, {0, 4, 0x494B, 0x5353, 0, 0, 4}},
        {HeadedCel(8, 300, 2, 7, 9, {1, 2}), {1, 8, 300, 2, 7, 9, 32}},
        {{'K', 'i', 'S', 'S'}, {1, 0, 0, 0, 0, 0, 4}},
        {{'K', 'i', 'S', 'S', 0, 8}, {1, 8, 0, 0, 0, 0, 6}},
        {{'K', 'i', 'S', 'S', 0, 4, 0, 0, 2, 0, 1, 0, 3}, {1, 4, 2, 1, 3, 0, 13}},
    };
    for (const Row& r : rows) {
        MemoryStream s = StreamOf(r.bytes);
        const CelHeader h = ReadCelHeader(s);
        const std::array<int, 7> got{h.headed,
                                     h.bitsPerPixel,
                                     h.width,
                                     h.height,
                                     h.xOffset,
                                     h.yOffset,
                                     static_cast<int>(s.Position())};
        EXPECT_EQ(got, r.header) << "file of " << r.bytes.size() << " bytes";
    }
}

// 24-bit colours: colour k is red k mod 256, green k div 256, blue 7.
Bytes Colours24(int count) {
    Bytes b;
    for (int k = 0; k < count; ++k)
        b.insert(b.end(), {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8), 7});
    return b;
}

TEST(DecodeCel, Palettes) {
    using E = std::array<int, 4>; // entry, red, green, blue
    struct Row {
        int firstGrey; // this entry and all after it stay grey
        int position;  // where the palette stream is left
        Bytes palette;
        std::vector<E> entries;
    };
    // clang-format off
    const Row rows[] = {
        {2, 36, HeadedPalette(12, 2, 1, {0xF3, 0x0A, 0xF3, 0xFA}), {{0, 240, 160, 48}, {1, 240, 160, 48}}},
        {2, 36, HeadedPalette(12, 2, 1, {0xFF, 0x0F, 0x00, 0xF0}), {{0, 240, 240, 240}, {1, 0, 0, 0}}},
        {1, 35, HeadedPalette(24, 1, 1, {10, 20, 30}), {{0, 10, 20, 30}}},
        {6, 50, HeadedPalette(24, 3, 2, {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6}),
         {{0, 1, 1, 1}, {2, 3, 3, 3}, {3, 4, 4, 4}, {5, 6, 6, 6}}},
        // Colours past entry 255 are not read.
        {256, 32 + 768, HeadedPalette(24, 200, 2, Colours24(400)),
         {{0, 0, 0, 7}, {199, 199, 0, 7}, {200, 200, 0, 7}, {255, 255, 0, 7}}},
        // Bits per colour other than 12 and 24 read nothing and keep the grey ramp.
        {0, 32, HeadedPalette(16, 16, 1, Bytes(32, 0xFF)), {}},
        {0, 32, HeadedPalette(0, 16, 1, Bytes(32, 0xFF)), {}},
        {0, 32, HeadedPalette(32, 16, 1, Bytes(64, 0xFF)), {}},
        // Cut short: the last colour, or the last byte of a 24-bit one, repeats.
        {16, 39, HeadedPalette(12, 16, 1, {0x12, 0x03, 0x45, 0x06, 0x78, 0x09, 0xAB}),
         {{0, 16, 48, 32}, {1, 64, 96, 80}, {2, 112, 144, 128}, {3, 160, 144, 176}, {15, 160, 144, 176}}},
        {4, 37, HeadedPalette(24, 4, 1, {1, 2, 3, 4, 5}), {{0, 1, 2, 3}, {1, 4, 5, 5}, {3, 5, 5, 5}}},
        {16, 32, HeadedPalette(12, 16, 1, {}), {{0, 0, 0, 0}, {15, 0, 0, 0}}},
        {160, 0, {}, {{0, 0, 0, 0}, {159, 0, 0, 0}}},
        // Only "KiSS" marks the header.
        {160, 4, {'k', 'i', 's', 's'}, {{0, 96, 144, 176}, {1, 112, 48, 48}, {159, 112, 48, 48}}},
        {160, 4, {'K', 'I', 'S', 'S'}, {{0, 64, 144, 176}, {1, 80, 48, 48}, {159, 80, 48, 48}}},
        // Headers cut short: the missing counts are 0.
        {0, 6, {'K', 'i', 'S', 'S', 0, 12}, {}},
        {0, 10, {'K', 'i', 'S', 'S', 0, 24, 0, 0, 2, 0}, {}},
    };
    // clang-format on
    // The palette's form is its own, whatever the cel's form is.
    const Bytes cels[] = {OldCel(1, 1, {0x10}), HeadedCel(8, 1, 1, 0, 0, {1})};
    for (const Row& r : rows) {
        for (const Bytes& cel : cels) {
            SCOPED_TRACE(testing::Message()
                         << "row " << &r - rows << (cel.size() > 32 ? ", headed cel" : ""));
            TBmp256Image image;
            std::int64_t position = -1;
            const BmpView view = Decode(image, cel, r.palette, 0, &position);
            for (const auto& [entry, red, green, blue] : r.entries)
                EXPECT_EQ(view.Entry(entry), (E{red, green, blue, 0})) << entry;
            for (int i = r.firstGrey; i < 256; ++i)
                ASSERT_TRUE(view.IsGrey(i)) << i;
            EXPECT_EQ(position, r.position);
            EXPECT_EQ(view.Rows(), Rows{{1}});
        }
    }
}

TEST(DecodeCel, FullPalettesLandEntryByEntry) {
    Bytes old; // 10 groups of 16 12-bit colours: colour k is b0 = k, b1 = k mod 16
    for (int k = 0; k < 160; ++k)
        old.insert(old.end(), {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k % 16)});
    old.resize(330, 0xFF); // bytes past the 320 are not read
    Bytes full24;
    for (int k = 0; k < 256; ++k)
        full24.insert(full24.end(),
                      {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k),
                       static_cast<std::uint8_t>(k ^ 0x5A)});

    TBmp256Image image;
    std::int64_t position = -1;
    BmpView view = Decode(image, OldCel(1, 1, {}), old, 0, &position);
    EXPECT_EQ(position, 320);
    for (int k = 0; k < 160; ++k)
        ASSERT_EQ(view.Entry(k), (std::array<int, 4>{k >> 4 << 4, k % 16 * 16, k % 16 * 16, 0}))
            << k;
    for (int k = 160; k < 256; ++k)
        ASSERT_TRUE(view.IsGrey(k)) << k;

    view = Decode(image, OldCel(1, 1, {}), HeadedPalette(24, 256, 1, full24), 0, &position);
    EXPECT_EQ(position, 32 + 768);
    for (int k = 0; k < 256; ++k)
        ASSERT_EQ(view.Entry(k), (std::array<int, 4>{k, 255 - k, k ^ 0x5A, 0})) << k;
}

} // namespace

#include "KissBytes.h"

#include "imaging/StreamErrors.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using kissbytes::BmpView;
using kissbytes::U32;

Bytes Hex(std::initializer_list<int> values) {
    return Bytes(values.begin(), values.end());
}

TEST(Bmp256Image, HeadersOfA5x3Picture) {
    TBmp256Image image;
    image.SetSize(5, 3);
    const Bytes expected = Hex({
        0x42, 0x4D, 0x4E, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x04, 0x00, 0x00, // file
        0x28, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, // info
        0x08, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
        0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    });
    const BmpView view(image);
    ASSERT_EQ(view.bytes.size(), 1102u);
    EXPECT_EQ(Bytes(view.bytes.begin(), view.bytes.begin() + 54), expected);
}

TEST(Bmp256Image, SizesStridesAndFreshContent) {
    struct Row {
        int width, height, stride, fileSize;
    };
    const Row rows[] = {{1, 1, 4, 1082},  {3, 2, 4, 1086}, {5, 1, 8, 1086},  {8, 3, 8, 1102},
                        {9, 2, 12, 1102}, {0, 7, 0, 1078}, {9, 0, 12, 1078}, {0, 0, 0, 1078}};
    TBmp256Image image; // one image for all rows: each SetSize starts a fresh picture
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.width << "x" << r.height);
        image.WritePixel(0, 0, 99); // leftovers of the previous picture must not survive
        image.WritePaletteEntry(7, 1, 2, 3);
        image.SetSize(r.width, r.height);
        const BmpView view(image);
        ASSERT_EQ(view.bytes.size(), static_cast<std::size_t>(r.fileSize));
        EXPECT_EQ(image.FileSize(), r.fileSize);
        EXPECT_EQ(image.RowStride(), r.stride);
        EXPECT_EQ(U32(&view.bytes[2]), static_cast<std::uint32_t>(r.fileSize));
        EXPECT_EQ(view.Width(), r.width);
        EXPECT_EQ(view.Height(), r.height);
        for (std::size_t i = 1078; i < view.bytes.size(); ++i)
            ASSERT_EQ(view.bytes[i], 0) << i;
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(view.IsGrey(i)) << i;
    }
}

TEST(Bmp256Image, WritePixelOffsetsAndIgnoredPositions) {
    TBmp256Image image;
    image.SetSize(10, 4); // stride 12
    const Bytes blank = BmpView(image).bytes;
    struct Row {
        int x, y;
        long offset; // -1: outside the picture, nothing changes
    };
    const Row rows[] = {{0, 0, 1114},  {9, 3, 1087}, {0, 3, 1078},     {5, 1, 1107},
                        {11, 0, 1125}, {12, 0, -1},  {12, 3, -1},      {-1, 0, -1},
                        {0, 4, -1},    {0, -1, -1},  {INT_MAX, 0, -1}, {0, INT_MIN, -1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.x << "," << r.y);
        image.SetSize(10, 4);
        image.WritePixel(r.x, r.y, 7);
        Bytes expected = blank;
        if (r.offset >= 0) expected[r.offset] = 7;
        EXPECT_EQ(BmpView(image).bytes, expected);
    }
}

TEST(Bmp256Image, PaletteEntries) {
    TBmp256Image image;
    image.SetSize(2, 2);
    image.WritePaletteEntry(1, 255, 128, 0);
    image.WritePaletteEntry(256, 1, 1, 1);
    image.WritePaletteEntry(-1, 1, 1, 1);
    const TBmp256Image::Colour run[] = {{10, 11, 12}, {20, 21, 22}, {30, 31, 32}};
    image.WritePaletteEntries(254, run, 3); // the third lands past 255
    image.WritePaletteEntries(-2, run, 3);  // only the third lands inside, on entry 0

    const BmpView view(image);
    ASSERT_EQ(view.bytes.size(), 1086u);
    EXPECT_EQ(Bytes(view.bytes.begin() + 58, view.bytes.begin() + 62), Hex({0, 128, 255, 0}));
    EXPECT_EQ(view.Entry(0), (std::array<int, 4>{30, 31, 32, 0}));
    EXPECT_EQ(view.Entry(254), (std::array<int, 4>{10, 11, 12, 0}));
    EXPECT_EQ(view.Entry(255), (std::array<int, 4>{20, 21, 22, 0}));
    for (int i = 2; i < 254; ++i)
        EXPECT_TRUE(view.IsGrey(i)) << i;
    for (std::size_t i = 1078; i < view.bytes.size(); ++i)
        EXPECT_EQ(view.bytes[i], 0);
}

TEST(Bmp256Image, SizeTooLargeRaisesAndLeavesTheImageUsable) {
    const std::pair<int, int> sizes[] = {
        {65536, 32768},     // exactly 2^31 pixel bytes
        {4, 536870643},     // one row past the largest signed 32-bit file size
        {INT_MAX, INT_MAX}, // products that overflow 64 bits if computed carelessly
        {INT_MAX, 1},       {-1, 1}, {1, -1},
    };
    TBmp256Image image;
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        image.SetSize(3, 1);
        try {
            image.SetSize(w, h);
            ADD_FAILURE() << "no error";
        } catch (const EStreamMemoryError& e) {
            EXPECT_STREQ(e.what(), "ﾒﾓﾘｽﾄﾘｰﾑの拡大中にﾒﾓﾘが足りなくなりました");
        }
        EXPECT_LE(image.Stream().Size(), 1078);
        image.WritePixel(0, 0, 1); // harmless on the empty image
        image.WritePaletteEntry(0, 1, 2, 3);
        image.SetSize(2, 1);
        EXPECT_EQ(BmpView(image).bytes.size(), 1082u);
    }
}

TEST(Bmp256Image, SaveReplacesAnExistingFileWholly) {
    TempDir dir;
    const std::string path = dir / "out.bmp";
    WriteFile(path, Bytes(5000, 0xAA));
    TBmp256Image image;
    image.SetSize(3, 2);
    image.WritePixel(2, 1, 5);
    image.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), BmpView(image).bytes);
    image.SaveToFile(path); // saving again leaves the image and the file as they were
    EXPECT_EQ(ReadFile(path), BmpView(image).bytes);

    const std::string missing = dir / "no/such/out.bmp";
    try {
        image.SaveToFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const EFileCreateError& e) {
        EXPECT_EQ(e.Message(), "ﾌｧｲﾙ " + missing + " を作成できません");
    }
}

} // namespace

#include "KissBytes.h"

#include "imaging/DecodeCel.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using namespace kissbytes;

// A reader we did not write must see the same size, colour table and pixel indices.
void ExpectQImageReads(const TBmp256Image& image, const std::string& path) {
    image.SaveToFile(path);
    const BmpView view(ReadFile(path));
    const QImage q(QString::fromStdString(path), "BMP");
    ASSERT_FALSE(q.isNull());
    EXPECT_EQ(q.format(), QImage::Format_Indexed8);
    ASSERT_EQ(q.width(), view.Width());
    ASSERT_EQ(q.height(), view.Height());
    ASSERT_EQ(q.colorCount(), 256);
    for (int i = 0; i < 256; ++i) {
        const auto e = view.Entry(i);
        ASSERT_EQ(q.color(i), qRgb(e[0], e[1], e[2])) << i;
    }
    for (int y = 0; y < q.height(); ++y)
        for (int x = 0; x < q.width(); ++x)
            ASSERT_EQ(q.pixelIndex(x, y), view.Stored(x, y)) << x << "," << y;
}

TEST(QImageReadBack, DecodedCelsOfEveryStrideRemainder) {
    TempDir dir;
    TBmp256Image image;
    for (int width = 1; width <= 9; ++width) {
        SCOPED_TRACE(width);
        Bytes pixels;
        for (int i = 0; i < width * 3; ++i)
            pixels.push_back(static_cast<std::uint8_t>(i * 11 + 1));
        Bytes colours;
        for (int k = 0; k < 256; ++k)
            colours.insert(colours.end(),
                           {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k * 3),
                            static_cast<std::uint8_t>(255 - k)});
        MemoryStream cel = StreamOf(HeadedCel(8, width, 3, 1, 2, pixels));
        MemoryStream palette = StreamOf(HeadedPalette(24, 256, 1, colours));
        DecodeCel(image, cel, palette, 0);
        ASSERT_EQ(image.Width(), width + 1);
        ASSERT_EQ(image.Height(), 5);
        ExpectQImageReads(image, dir / ("w" + std::to_string(width) + ".bmp"));
        const QImage q(QString::fromStdString(dir / ("w" + std::to_string(width) + ".bmp")));
        EXPECT_EQ(q.pixelIndex(1, 2), 1);          // the cel's first pixel stands at its offset
        EXPECT_EQ(q.pixel(1, 2), qRgb(1, 3, 254)); // with the file's colour 1
        EXPECT_EQ(q.pixelIndex(0, 0), 0);
    }
}

TEST(QImageReadBack, OldFormCelWithOldPalette) {
    TempDir dir;
    TBmp256Image image;
    MemoryStream cel = StreamOf(OldCel(3, 2, {0x12, 0x30, 0x45, 0x60}));
    MemoryStream palette = StreamOf(Bytes(320, 0x5A));
    DecodeCel(image, cel, palette, 32);
    ExpectQImageReads(image, dir / "old.bmp");
    const QImage q(QString::fromStdString(dir / "old.bmp"));
    EXPECT_EQ(q.pixelIndex(0, 0), 33);
    EXPECT_EQ(q.pixelIndex(2, 1), 38);
    EXPECT_EQ(q.color(159), qRgb(80, 160, 160));
    EXPECT_EQ(q.color(160), qRgb(160, 160, 160));
}

} // namespace

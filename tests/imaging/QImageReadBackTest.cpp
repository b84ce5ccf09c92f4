#include "KissBytes.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using namespace kissbytes;

// A reader we did not write must see the same size, colour table and pixel indices.
QImage ReadBack(const TBmp256Image& image, const std::string& path) {
    image.SaveToFile(path);
    const BmpView view(ReadFile(path));
    QImage q(QString::fromStdString(path), "BMP");
    EXPECT_EQ(q.format(), QImage::Format_Indexed8);
    EXPECT_EQ(q.width(), view.Width());
    EXPECT_EQ(q.height(), view.Height());
    EXPECT_EQ(q.colorCount(), 256);
    for (int i = 0; i < q.colorCount(); ++i) {
        const auto e = view.Entry(i);
        EXPECT_EQ(q.color(i), qRgb(e[0], e[1], e[2])) << i;
    }
    for (int y = 0; y < q.height(); ++y)
        for (int x = 0; x < q.width(); ++x)
            EXPECT_EQ(q.pixelIndex(x, y), view.Stored(x, y)) << x << "," << y;
    return q;
}

TEST(QImageReadBack, DecodedCels) {
    TempDir dir;
    TBmp256Image image;
    Bytes colours;
    for (int k = 0; k < 256; ++k)
        colours.insert(colours.end(),
                       {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k * 3),
                        static_cast<std::uint8_t>(255 - k)});
    for (int width = 1; width <= 9; ++width) { // every remainder of the row stride
        SCOPED_TRACE(width);
        Bytes pixels;
        for (int i = 0; i < width * 3; ++i)
            pixels.push_back(static_cast<std::uint8_t>(i * 11 + 1));
        Decode(image, HeadedCel(8, width, 3, 1, 2, pixels), HeadedPalette(24, 256, 1, colours));
        const QImage q = ReadBack(image, dir / "headed.bmp");
        ASSERT_EQ(q.size(), QSize(width + 1, 5));
        EXPECT_EQ(q.pixelIndex(1, 2), 1);          // the cel's first pixel stands at its offset
        EXPECT_EQ(q.pixel(1, 2), qRgb(1, 3, 254)); // in the file's colour 1
        EXPECT_EQ(q.pixelIndex(0, 0), 0);
    }

    Decode(image, OldCel(3, 2, {0x12, 0x30, 0x45, 0x60}), Bytes(320, 0x5A), 32);
    const QImage q = ReadBack(image, dir / "old.bmp");
    ASSERT_EQ(q.size(), QSize(3, 2));
    EXPECT_EQ(q.pixelIndex(0, 0), 33);
    EXPECT_EQ(q.pixelIndex(2, 1), 38);
    EXPECT_EQ(q.color(159), qRgb(80, 160, 160));
    EXPECT_EQ(q.color(160), qRgb(160, 160, 160));
}

} // namespace

#include "imaging/Bmp256Image.h"
#include "imaging/MemoryStream.h"
#include "imaging/PngImage.h"
#include "support/Test.h"

#include <QImage>

TEST(QImageReadBack, AnotherReaderSeesOurPixelsInTheirColours)
{
    TempDir dir;
    TBmp256Image image;
    for (int width = 1; width <= 4; ++width) { // every row padding
        image.SetSize(width, 256 / width + 1);
        for (int i = 0; i < 256; ++i) {
            image.WritePaletteEntry(i, i, 255 - i, i * 7 % 256);
            image.WritePixel(i % width, i / width, i);
        }
        image.SaveToFile(dir / "q.bmp");
        MemoryStream png; // the same as an indexed PNG: colour 0 transparent, every other opaque
        EncodeIndexedPng(image, png);
        const QImage q(QString::fromStdString(dir / "q.bmp"), "BMP"),
            p = QImage::fromData(png.Data(), static_cast<int>(png.Size()), "PNG");
        EXPECT_EQ(std::tuple(p.format(), p.width(), p.height()),
                  std::tuple(QImage::Format_Indexed8, width, 256 / width + 1));
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(q.pixel(i % width, i / width), qRgb(i, 255 - i, i * 7 % 256)) << width << " " << i;
            EXPECT_EQ(p.pixelIndex(i % width, i / width), i);
            EXPECT_EQ(p.color(i), qRgba(i, 255 - i, i * 7 % 256, i ? 255 : 0)) << width << " " << i;
        }
    }
    image.SetSize(0, 0); // a PNG is never empty: one transparent pixel
    MemoryStream png;
    EncodeIndexedPng(image, png);
    const QImage p = QImage::fromData(png.Data(), static_cast<int>(png.Size()), "PNG");
    EXPECT_EQ(std::tuple(p.width(), p.height(), qAlpha(p.pixel(0, 0))), std::tuple(1, 1, 0));
}

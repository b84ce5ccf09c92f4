#include "imaging/Bmp256Image.h"
#include "imaging/MemoryStream.h"
#include "imaging/PngImage.h"
#include "imaging/SetPicture.h"
#include "imaging/TruecolourCel.h"
#include "support/Test.h"

#include <KissWriter.h>
#include <QImage>

TEST(QImageReadBack, AnotherReaderSeesOurPixelsInTheirColoursAndASetPictureInFrontToBackOrder)
{
    TempDir dir;
    const auto ReadPng = [](const MemoryStream& png) { return QImage::fromData(png.Data(), int(png.Size()), "PNG"); };
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
        const QImage q(QString::fromStdString(dir / "q.bmp"), "BMP"), p = ReadPng(png);
        EXPECT_EQ(std::tuple(p.format(), p.width(), p.height()),
                  std::tuple(QImage::Format_Indexed8, width, 256 / width + 1));
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(q.pixel(i % width, i / width), qRgb(i, 255 - i, i * 7 % 256)) << width << " " << i;
            EXPECT_EQ(p.pixelIndex(i % width, i / width), i);
            EXPECT_EQ(p.color(i), qRgba(i, 255 - i, i * 7 % 256, i ? 255 : 0)) << width << " " << i;
        }
    }
    // A PNG is never empty: no picture is one transparent pixel; a single row is a picture.
    for (const auto& [width, height, shown] : {std::tuple(0, 0, 1), std::tuple(3, 0, 1), std::tuple(3, 1, 3)}) {
        image.SetSize(width, height);
        image.WritePixel(width - 1, 0, 7);
        MemoryStream png;
        EncodeIndexedPng(image, png);
        const QImage p = ReadPng(png);
        EXPECT_EQ(std::tuple(p.width(), p.height(), p.pixelIndex(shown - 1, 0), qAlpha(p.pixel(shown - 1, 0))),
                  std::tuple(shown, 1, height ? 7 : 0, height ? 255 : 0));
    }
    // A set's picture: the first image drawn stays in front, colour 0 lets what lies behind show, and what falls
    // outside the play area is cut off.
    TBmp256Image front, back;
    front.SetSize(2, 2);
    back.SetSize(3, 3);
    for (TBmp256Image* image : {&front, &back})
        for (int i = 1; i < 256; ++i)
            image->WritePaletteEntry(i, image == &front ? i : 0, image == &front ? 0 : i, 9);
    front.WritePixel(0, 0, 5); // (1,0) and (0,1) transparent
    front.WritePixel(1, 1, 6);
    for (int i = 0; i < 9; ++i)
        back.WritePixel(i % 3, i / 3, 10 + i);
    SetPicture picture(4, 3, {1, 2, 3});
    picture.DrawBehind(front, 1, 1);
    picture.DrawBehind(back, -1, 1);
    MemoryStream png;
    picture.EncodePng(png);
    const QImage p = ReadPng(png);
    const QRgb bg = qRgb(1, 2, 3), f5 = qRgb(5, 0, 9), f6 = qRgb(6, 0, 9);
    const auto b = [](int i) { return qRgb(0, i, 9); };
    const std::vector<QRgb> expected = {bg, bg, bg, bg, b(11), f5, bg, bg, b(14), b(15), f6, bg}; // row by row
    ASSERT_EQ(std::pair(p.width(), p.height()), std::pair(4, 3));
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(p.pixel(i % 4, i / 4), expected[static_cast<std::size_t>(i)]) << i;
    // Fitted into 2 x 2: each pixel the rounded mean of the 2 x 2 it stands for (2 x 1 in the last row).
    MemoryStream fitted;
    picture.FittedInto(2, 2).EncodePng(fitted);
    const QImage s = ReadPng(fitted);
    EXPECT_EQ(
        (std::vector<QRgb>{s.pixel(0, 0), s.pixel(1, 0), s.pixel(0, 1), s.pixel(1, 1), QRgb(s.width() * s.height())}),
        (std::vector<QRgb>{qRgb(2, 4, 6), qRgb(1, 2, 3), qRgb(0, 15, 9), qRgb(4, 1, 6), 4}));
}

// The highest index used sets the bit depth and the colour table's length; colour 0 is transparent where it is used.
TEST(QImageReadBack, AnIndexedPngAsDeepAndItsTableAsLongAsTheHighestIndexUsedPixelsAndColoursUnchanged)
{
    // highest index used, lowest, bit depth; 7 x 5 pixels, rows that end inside a byte at every depth below 8
    for (const auto& [highest, lowest, depth] : {std::tuple(1, 0, 1), std::tuple(3, 1, 2), std::tuple(4, 0, 4),
                                                 std::tuple(15, 2, 4), std::tuple(16, 0, 8), std::tuple(200, 0, 8)}) {
        TBmp256Image image; // its colour table a grey ramp
        image.SetSize(7, 5);
        for (int i = 0; i < 35; ++i)
            image.WritePixel(i % 7, i / 7, std::uint8_t(i == 34 ? highest : lowest + i % (highest - lowest + 1)));
        MemoryStream png;
        EncodeIndexedPng(image, png);
        const QImage p = QImage::fromData(png.Data(), int(png.Size()), "PNG");
        EXPECT_EQ(std::pair(int(png.Data()[24]), p.colorCount()), std::pair(depth, highest + 1)) << highest;
        for (int i = 0; i < 35; ++i) {
            const int x = i % 7, y = i / 7, index = image.Row(y)[x];
            EXPECT_EQ(std::pair(p.pixelIndex(x, y), p.pixel(x, y)),
                      std::pair(index, qRgba(index, index, index, index ? 255 : 0)))
                << highest << " " << i;
        }
    }
}

TEST(QImageReadBack, A32BitCelAsAnRgbaPngKeepsItsStraightAlpha)
{
    const auto bytes = kisswriter::RawHeaded(32, {3, 1, 1, 1}, {1, 2, 3, 0, 40, 50, 60, 128, 7, 8, 9, 255});
    MemoryStream cel, png;
    cel.Write(bytes.data(), bytes.size());
    RgbaImage image;
    for (const bool empty : {false, true}) { // no pixels: one transparent pixel
        empty ? image.SetSize(0, 0) : DecodeTruecolourCel(image, cel);
        EncodeRgbaPng(image, png);
        const QImage p = QImage::fromData(png.Data(), int(png.Size()), "PNG").convertToFormat(QImage::Format_RGBA8888);
        EXPECT_EQ(std::tuple(p.width(), p.height(),
                             std::vector<std::uint8_t>(p.constBits(), p.constBits() + p.sizeInBytes())),
                  std::tuple(empty ? 1 : 4, empty ? 1 : 2, empty ? std::vector<std::uint8_t>(4) : image.Rgba()));
    }
}

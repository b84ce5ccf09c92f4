#include "imaging/Bmp256Image.h"
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
        const QImage q(QString::fromStdString(dir / "q.bmp"), "BMP");
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(q.pixel(i % width, i / width), qRgb(i, 255 - i, i * 7 % 256)) << width << " " << i;
    }
}

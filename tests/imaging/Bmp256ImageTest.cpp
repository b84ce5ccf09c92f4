#include "imaging/Bmp256Image.h"

#include <gtest/gtest.h>

TEST(Bmp256Image, OneByOne)
{
    TBmp256Image image;
    image.SetSize(1, 1);
    EXPECT_EQ(image.FileSize(), 1082);
}

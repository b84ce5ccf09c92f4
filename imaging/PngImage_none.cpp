// The encoders of a build without libspng: no PNG file is ever begun.
#include "PngImage.h"

#include "StreamErrors.h"

void EncodeIndexedPng(const TBmp256Image&, MemoryStream&)
{
    throw EStreamWriteError("this build writes no PNG files");
}

void EncodeRgbaPng(const RgbaImage&, MemoryStream&)
{
    throw EStreamWriteError("this build writes no PNG files");
}

void EncodeTruecolourPng(std::uint32_t, std::uint32_t, const std::vector<std::uint8_t>&,
                         MemoryStream&)
{
    throw EStreamWriteError("this build writes no PNG files");
}

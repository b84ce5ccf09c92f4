#include "PngImage.h"

#include "Bmp256Image.h"
#include "MemoryStream.h"
#include "RgbaImage.h"
#include "StreamErrors.h"

#include <spng.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// Encodes the rows (top-down, no padding) as a PNG with the given chunks into the stream.
void Encode(spng_ihdr ihdr, spng_plte* plte, spng_trns* trns, const std::vector<std::uint8_t>& rows,
            MemoryStream& png)
{
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER),
                                                                  spng_ctx_free);
    if (!ctx) throw EStreamWriteError("out of memory for the PNG encoder");
    int error = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    if (!error) error = spng_set_ihdr(ctx.get(), &ihdr);
    if (!error && plte) error = spng_set_plte(ctx.get(), plte);
    if (!error && trns) error = spng_set_trns(ctx.get(), trns);
    if (!error)
        error = spng_encode_image(ctx.get(), rows.data(), rows.size(), SPNG_FMT_PNG,
                                  SPNG_ENCODE_FINALIZE);
    std::size_t size = 0;
    const std::unique_ptr<void, decltype(&std::free)> encoded(
        error ? nullptr : spng_get_png_buffer(ctx.get(), &size, &error), std::free);
    if (error || !encoded)
        throw EStreamWriteError(error
                                    ? std::string("the PNG encoder failed: ") + spng_strerror(error)
                                    : "out of memory for the PNG encoder");
    png.SetSize(0);
    png.Write(encoded.get(), size);
}

} // namespace

void EncodeIndexedPng(const TBmp256Image& image, MemoryStream& png)
{
    const bool empty = image.Width() <= 0 || image.Height() <= 0;
    const auto width = static_cast<std::uint32_t>(empty ? 1 : image.Width());
    const auto height = static_cast<std::uint32_t>(empty ? 1 : image.Height());

    // PNG rows run top-down without padding; the BMP's run bottom-up, padded to 4 bytes.
    std::vector<std::uint8_t> pixels(std::size_t{width} * height, 0);
    for (std::uint32_t y = 0; !empty && y < height; ++y) {
        const std::uint8_t* row = image.Row(static_cast<std::int32_t>(y));
        std::copy(row, row + width, pixels.data() + std::size_t{y} * width);
    }

    spng_plte plte{};
    plte.n_entries = 256;
    for (int i = 0; i < 256; ++i) {
        const TBmp256Image::Colour colour = image.ColourAt(i);
        plte.entries[i] = {colour.red, colour.green, colour.blue, 255};
    }
    spng_trns trns{};
    trns.n_type3_entries = 1; // colour 0 transparent, the others opaque
    trns.type3_alpha[0] = 0;
    Encode({width, height, 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0}, &plte, &trns, pixels, png);
}

void EncodeRgbaPng(const RgbaImage& image, MemoryStream& png)
{
    if (image.Width() <= 0 || image.Height() <= 0) {
        Encode({1, 1, 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 0, 0, 0}, nullptr, nullptr,
               std::vector<std::uint8_t>(4, 0), png);
        return;
    }
    Encode({static_cast<std::uint32_t>(image.Width()), static_cast<std::uint32_t>(image.Height()),
            8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 0, 0, 0},
           nullptr, nullptr, image.Rgba(), png);
}

void EncodeTruecolourPng(std::uint32_t width, std::uint32_t height,
                         const std::vector<std::uint8_t>& rgb, MemoryStream& png)
{
    Encode({width, height, 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0}, nullptr, nullptr, rgb, png);
}

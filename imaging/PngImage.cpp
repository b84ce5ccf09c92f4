#include "PngImage.h"

#include "Bmp256Image.h"
#include "MemoryStream.h"
#include "RgbaImage.h"
#include "StreamErrors.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// Encodes the rows (top-down, no padding) as a PNG with the given chunks into the stream, each
// row filtered as one of the filters allowed (libspng picks one a row).
void Encode(spng_ihdr ihdr, spng_plte* plte, spng_trns* trns, const std::vector<std::uint8_t>& rows,
            MemoryStream& png, int filters = SPNG_FILTER_CHOICE_ALL)
{
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER),
                                                                  spng_ctx_free);
    if (!ctx) throw EStreamWriteError("out of memory for the PNG encoder");
    int error = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    if (!error) error = spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, filters);
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

    // The highest index a pixel uses sets the bit depth (1, 2, 4 or 8) and how many colours the
    // table holds; colour 0 is transparent only where a pixel uses it.
    int highest = 0;
    bool clear = empty;
    for (std::uint32_t y = 0; !empty && y < height; ++y) {
        const std::uint8_t* row = image.Row(static_cast<std::int32_t>(y));
        const auto [low, high] = std::minmax_element(row, row + width);
        highest = std::max<int>(highest, *high);
        clear = clear || *low == 0;
    }
    const std::uint8_t depth = highest < 2 ? 1 : highest < 4 ? 2 : highest < 16 ? 4 : 8;
    const int perByte = 8 / depth;

    // PNG rows run top-down without padding, a byte holding perByte pixels, the leftmost in its
    // high bits; the BMP's run bottom-up, padded to 4 bytes.
    const std::size_t rowBytes = (std::size_t{width} + perByte - 1) / perByte;
    std::vector<std::uint8_t> pixels(rowBytes * height, 0);
    for (std::uint32_t y = 0; !empty && y < height; ++y) {
        const std::uint8_t* row = image.Row(static_cast<std::int32_t>(y));
        std::uint8_t* to = pixels.data() + rowBytes * y;
        if (depth == 8) {
            std::copy(row, row + width, to);
            continue;
        }
        for (std::uint32_t x = 0; x < width; ++x)
            to[x / perByte] |=
                static_cast<std::uint8_t>(row[x] << (8 - depth - depth * (x % perByte)));
    }

    spng_plte plte{};
    plte.n_entries = static_cast<std::uint32_t>(highest + 1);
    for (int i = 0; i <= highest; ++i) {
        const TBmp256Image::Colour colour = image.ColourAt(i);
        plte.entries[i] = {colour.red, colour.green, colour.blue, 255};
    }
    spng_trns trns{};
    trns.n_type3_entries = 1; // colour 0 transparent, the others opaque
    trns.type3_alpha[0] = 0;
    // Colour indices are no quantities a neighbour predicts: unfiltered rows pack best (over the
    // cels of real dolls, a sixth smaller than libspng's choice a row), and take less time.
    Encode({width, height, depth, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0}, &plte, clear ? &trns : nullptr,
           pixels, png, SPNG_FILTER_CHOICE_NONE);
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

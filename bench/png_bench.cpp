// Re-encodes indexed PNG files (as kiss2bmp --format png writes them) with the project's writer
// and with libspng at its defaults (8 bits a pixel, the whole 256-colour table, as the writer did
// before it chose the depth and the table's length), and prints the bytes and the median time of
// each. libspng decodes both to red, green, blue and alpha: a pixel whose colour differs is a
// failure (exit status 1).
//
// Usage: png_bench ROUNDS FILE.png...
#include "imaging/Bmp256Image.h"
#include "imaging/MemoryStream.h"
#include "imaging/PngImage.h"

#include <spng.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Ctx = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

// The picture's colours, four bytes a pixel, as libspng decodes them (tRNS applied); empty when
// the file is no PNG libspng reads.
std::vector<std::uint8_t> Rgba(const void* png, std::size_t size, spng_ihdr& ihdr)
{
    const Ctx ctx(spng_ctx_new(0), spng_ctx_free);
    std::size_t length = 0;
    std::vector<std::uint8_t> rgba;
    if (spng_set_png_buffer(ctx.get(), png, size) || spng_get_ihdr(ctx.get(), &ihdr) ||
        spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &length))
        return rgba;
    rgba.resize(length);
    if (spng_decode_image(ctx.get(), rgba.data(), length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS))
        rgba.clear();
    return rgba;
}

// An indexed PNG's pixels and colour table as a BMP image; false when it is none.
bool Indexed(const std::vector<char>& png, TBmp256Image& image)
{
    const Ctx ctx(spng_ctx_new(0), spng_ctx_free);
    spng_ihdr ihdr{};
    spng_plte plte{};
    std::size_t length = 0;
    if (spng_set_png_buffer(ctx.get(), png.data(), png.size()) || spng_get_ihdr(ctx.get(), &ihdr) ||
        ihdr.color_type != SPNG_COLOR_TYPE_INDEXED || spng_get_plte(ctx.get(), &plte) ||
        spng_decoded_image_size(ctx.get(), SPNG_FMT_PNG, &length))
        return false;
    std::vector<std::uint8_t> rows(length);
    if (spng_decode_image(ctx.get(), rows.data(), length, SPNG_FMT_PNG, 0)) return false;
    const auto width = static_cast<std::int32_t>(ihdr.width),
               height = static_cast<std::int32_t>(ihdr.height);
    const std::size_t stride = length / ihdr.height;
    const int depth = ihdr.bit_depth, mask = (1 << depth) - 1;
    image.SetSize(width, height);
    for (std::uint32_t i = 0; i < plte.n_entries; ++i)
        image.WritePaletteEntry(static_cast<std::int32_t>(i), plte.entries[i].red,
                                plte.entries[i].green, plte.entries[i].blue);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t bit = static_cast<std::size_t>(x) * depth;
            const int byte = rows[y * stride + bit / 8];
            image.WritePixel(x, y, static_cast<std::uint8_t>(byte >> (8 - depth - bit % 8) & mask));
        }
    return true;
}

// libspng at its defaults: 8 bits a pixel, 256 colours, colour 0 transparent.
void EncodeDefault(const TBmp256Image& image, MemoryStream& png)
{
    const auto width = static_cast<std::uint32_t>(image.Width()),
               height = static_cast<std::uint32_t>(image.Height());
    std::vector<std::uint8_t> pixels(std::size_t{width} * height);
    for (std::uint32_t y = 0; y < height; ++y)
        std::copy_n(image.Row(static_cast<std::int32_t>(y)), width,
                    pixels.data() + std::size_t{y} * width);
    spng_plte plte{};
    plte.n_entries = 256;
    for (int i = 0; i < 256; ++i)
        plte.entries[i] = {image.ColourAt(i).red, image.ColourAt(i).green, image.ColourAt(i).blue,
                           255};
    spng_trns trns{};
    trns.n_type3_entries = 1;
    spng_ihdr ihdr{width, height, 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
    const Ctx ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    int error = 0;
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_ihdr(ctx.get(), &ihdr);
    spng_set_plte(ctx.get(), &plte);
    spng_set_trns(ctx.get(), &trns);
    spng_encode_image(ctx.get(), pixels.data(), pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    std::size_t size = 0;
    void* encoded = spng_get_png_buffer(ctx.get(), &size, &error);
    png.SetSize(0);
    png.Write(encoded, size);
    std::free(encoded);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: png_bench ROUNDS FILE.png...\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    std::vector<std::unique_ptr<TBmp256Image>> images;
    for (int i = 2; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        const std::vector<char> png{std::istreambuf_iterator<char>(file), {}};
        auto image = std::make_unique<TBmp256Image>();
        if (Indexed(png, *image)) images.push_back(std::move(image));
    }
    using Clock = std::chrono::steady_clock;
    const auto timed = [&](void (*encode)(const TBmp256Image&, MemoryStream&), std::size_t& bytes) {
        std::vector<double> ms;
        MemoryStream png;
        for (int r = 0; r < rounds; ++r) {
            bytes = 0;
            const auto start = Clock::now();
            for (const auto& image : images) {
                encode(*image, png);
                bytes += png.Size();
            }
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::nth_element(ms.begin(), ms.begin() + rounds / 2, ms.end());
        return ms[rounds / 2];
    };
    std::size_t ours = 0, defaults = 0, differ = 0;
    const double oursMs = timed(EncodeIndexedPng, ours),
                 defaultsMs = timed(EncodeDefault, defaults);
    for (const auto& image : images) { // every pixel's colour, as libspng reads both files
        MemoryStream a, b;
        EncodeIndexedPng(*image, a);
        EncodeDefault(*image, b);
        spng_ihdr ia{}, ib{};
        const auto ra = Rgba(a.Data(), a.Size(), ia), rb = Rgba(b.Data(), b.Size(), ib);
        differ += ra.empty() || ra != rb || ia.width != ib.width || ia.height != ib.height;
    }
    std::printf("%zu images: ours %zu bytes in %.1f ms, libspng's defaults %zu bytes in %.1f ms "
                "(time %.2fx, bytes %.1f%%); %zu read back with other colours\n",
                images.size(), ours, oursMs, defaults, defaultsMs, oursMs / defaultsMs,
                100.0 * static_cast<double>(ours) / static_cast<double>(defaults), differ);
    return differ ? 1 : 0;
}

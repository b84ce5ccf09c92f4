// DecodeCel of 4-bit and 8-bit cels of three sizes with an old-form and a headed palette.
// Bytes are those of the BMP file produced; items are pixels.
#include "KissWriter.h"

#include "imaging/Bmp256Image.h"
#include "imaging/DecodeCel.h"
#include "imaging/MemoryStream.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace kisswriter;

MemoryStream StreamOf(const Bytes& bytes)
{
    MemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.Seek(0);
    return stream;
}

Picture Pattern(int width, int height, int bits)
{
    Picture p(width, height);
    const int mask = bits == 4 ? 0x0F : 0xFF;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.at(x, y) = static_cast<std::uint8_t>((x * 7 + y * 3) & mask);
    return p;
}

std::vector<Rgb> Ramp(int count)
{
    std::vector<Rgb> colours;
    for (int k = 0; k < count; ++k)
        colours.push_back({static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k),
                           static_cast<std::uint8_t>(k * 5)});
    return colours;
}

void DecodeBench(benchmark::State& state, int bits, int width, int height, bool headedPalette)
{
    MemoryStream cel = StreamOf(HeadedCel(Pattern(width, height, bits), bits, 0, 0));
    MemoryStream palette =
        StreamOf(headedPalette ? HeadedPalette(Ramp(256), 24, 256, 1) : OldPalette(Ramp(160)));
    TBmp256Image image; // reused for every cel, as the conversion run does
    for (auto _ : state) {
        DecodeCel(image, cel, palette, 32);
        benchmark::DoNotOptimize(image.Stream().Data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * image.FileSize());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * width * height);
}

const bool registered = [] {
    struct Size {
        int width, height;
    };
    for (const Size size : {Size{64, 64}, Size{640, 480}, Size{2048, 2048}})
        for (const int bits : {4, 8})
            for (const bool headed : {false, true}) {
                const std::string name = "DecodeCel/" + std::to_string(bits) + "bit/" +
                                         std::to_string(size.width) + "x" +
                                         std::to_string(size.height) +
                                         (headed ? "/headed_palette" : "/old_palette");
                benchmark::RegisterBenchmark(name.c_str(), DecodeBench, bits, size.width,
                                             size.height, headed);
            }
    return true;
}();

} // namespace

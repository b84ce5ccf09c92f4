// SaveToFile of images of three sizes into a temporary folder, replacing the same file.
#include "BenchFolder.h"

#include "imaging/Bmp256Image.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SaveToFile(benchmark::State& state)
{
    const BenchFolder folder;
    const std::string path = folder / "image.bmp";
    TBmp256Image image;
    image.SetSize(static_cast<std::int32_t>(state.range(0)),
                  static_cast<std::int32_t>(state.range(1)));
    for (auto _ : state)
        image.SaveToFile(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * image.FileSize());
}

BENCHMARK(BM_SaveToFile)->Args({64, 64})->Args({640, 480})->Args({2048, 2048});

} // namespace

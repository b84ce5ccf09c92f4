// ReadConfiguration of the large doll's 256-cel configuration through a real file.
#include "BenchFolder.h"
#include "LargeDoll.h"

#include "KissWriter.h"

#include "conversion/BufferedTextFile.h"
#include "conversion/KissConfiguration.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_ReadConfiguration(benchmark::State& state)
{
    const BenchFolder folder;
    const std::string path = folder / "doll.cnf";
    const std::string text = largedoll::Configuration(256);
    kisswriter::Save(path, kisswriter::Bytes(text.begin(), text.end()));
    for (auto _ : state) {
        // A fresh configuration and file each time, as one conversion run has.
        auto configuration = std::make_unique<KissConfiguration>();
        BufferedTextFile file;
        file.OpenForReading(path);
        ReadConfiguration(file, *configuration);
        file.Close();
        benchmark::DoNotOptimize(configuration->celCount);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

BENCHMARK(BM_ReadConfiguration);

} // namespace

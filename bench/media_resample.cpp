// Scaling a 4000 x 3000 photo to 1920 x 1080 with the Lanczos filter (radius 3): the two
// filter passes with ready weight maps, and building the two maps that the cache saves.
// Release build:
//   build/release/bench/media_resample --benchmark_min_time=2s
#include <benchmark/benchmark.h>

#include <vector>

#include "XMedia.Graphics.Filters.h"

namespace {

constexpr int32_t kSourceWidth = 4000, kSourceHeight = 3000;
constexpr int32_t kDestWidth = 1920, kDestHeight = 1080;

std::vector<TXRGBAColor> Photo()
{
    std::vector<TXRGBAColor> Pixels(size_t(kSourceWidth) * kSourceHeight);
    uint32_t X = 0x9E3779B9u;
    for (TXRGBAColor& P : Pixels) {
        X ^= X << 13, X ^= X >> 17, X ^= X << 5;
        P = TXRGBAColor{uint8_t(X), uint8_t(X >> 8), uint8_t(X >> 16), 255};
    }
    return Pixels;
}

void BM_ResamplePhoto(benchmark::State& AState)
{
    std::vector<TXRGBAColor> Source = Photo();
    std::vector<TXRGBAColor> Dest(size_t(kDestWidth) * kDestHeight);
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    TOwned<TXPixWeightMap> Columns = Owned(TXPixWeightMap::Create());
    TOwned<TXPixWeightMap> Rows = Owned(TXPixWeightMap::Create());
    Columns->Build(kDestWidth, kSourceWidth, Kernel.get(), false);
    Rows->Build(kDestHeight, kSourceHeight, Kernel.get(), false);
    for (auto _ : AState) {
        ResamplePixels(*Columns, *Rows, kSourceHeight,
                       [&](int32_t Y) { return Source.data() + size_t(Y) * kSourceWidth; },
                       [&](int32_t Y) { return Dest.data() + size_t(Y) * kDestWidth; });
        benchmark::DoNotOptimize(Dest.data());
    }
    AState.SetItemsProcessed(AState.iterations() * kSourceWidth * kSourceHeight);
}
BENCHMARK(BM_ResamplePhoto)->Unit(benchmark::kMillisecond);

void BM_BuildWeightMaps(benchmark::State& AState)
{
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    TOwned<TXPixWeightMap> Map = Owned(TXPixWeightMap::Create());
    for (auto _ : AState) {
        Map->Build(kDestWidth, kSourceWidth, Kernel.get(), false);
        Map->Build(kDestHeight, kSourceHeight, Kernel.get(), false);
        benchmark::DoNotOptimize(Map->Counts().data());
    }
}
BENCHMARK(BM_BuildWeightMaps)->Unit(benchmark::kMillisecond);

}  // namespace

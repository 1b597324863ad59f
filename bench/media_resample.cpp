// Scaling a 32-bit 4000 x 3000 photo to 1920 x 1080 with the Lanczos filter (radius 3), its
// weight maps cached after the first run, and building the two maps that the cache saves.
// Placing the same photo into a 1920 x 1080 wallpaper rectangle by image position (best fit
// and covering centre), as the wallpaper is drawn.
// Release build:
//   build/release/bench/media_resample --benchmark_min_time=2s
#include <benchmark/benchmark.h>

#include "XCore.App.h"
#include "XMedia.Graphics.Filters.h"
#include "XMedia.VCL.Graphics.h"

namespace {

constexpr int32_t kSourceWidth = 4000, kSourceHeight = 3000;
constexpr int32_t kDestWidth = 1920, kDestHeight = 1080;

TOwned<TBitmap> Photo()
{
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(kSourceWidth, kSourceHeight);
    uint32_t X = 0x9E3779B9u;
    for (int32_t Y = 0; Y < kSourceHeight; ++Y) {
        auto* Row = static_cast<TXRGBAColor*>(Bitmap->ScanLine(Y));
        for (int32_t I = 0; I < kSourceWidth; ++I) {
            X ^= X << 13, X ^= X >> 17, X ^= X << 5;
            Row[I] = TXRGBAColor{uint8_t(X), uint8_t(X >> 8), uint8_t(X >> 16), 255};
        }
    }
    return Bitmap;
}

void BM_ResamplePhoto(benchmark::State& AState)
{
    SetNVCoreApp(TXNVCoreApp::Create());   // the cache stamps uses with its clock
    TOwned<TBitmap> Source = Photo();
    TOwned<TBitmap> Dest = Owned(TBitmap::Create());
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    for (auto _ : AState) {
        ResampleBitmap(Source.get(), Dest.get(), kDestWidth, kDestHeight, Kernel.get());
        benchmark::DoNotOptimize(Dest->ScanLine(0));
    }
    AState.SetItemsProcessed(AState.iterations() * kSourceWidth * kSourceHeight);
    SetNVCoreApp(nullptr);
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

using TPlacement = void (*)(TCanvas*, const TRect&, TGraphic*, const TXFilterKernel*);

void DrawPhotoInWallpaper(benchmark::State& AState, TPlacement APlacement)
{
    SetNVCoreApp(TXNVCoreApp::Create());
    TOwned<TBitmap> Source = Photo();
    TOwned<TBitmap> Wallpaper = Owned(TBitmap::Create());
    Wallpaper->SetPixelFormat(pf32bit);
    Wallpaper->SetSize(kDestWidth, kDestHeight);
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    for (auto _ : AState) {
        APlacement(Wallpaper->Canvas(), Rect(0, 0, kDestWidth, kDestHeight), Source.get(), Kernel.get());
        benchmark::DoNotOptimize(Wallpaper->ScanLine(0));
    }
    AState.SetItemsProcessed(AState.iterations() * kSourceWidth * kSourceHeight);
    SetNVCoreApp(nullptr);
}
BENCHMARK_CAPTURE(DrawPhotoInWallpaper, BestFit, DrawGraphicBestFit)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DrawPhotoInWallpaper, Center, DrawGraphicCenter)->Unit(benchmark::kMillisecond);

}  // namespace

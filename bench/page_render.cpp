// The photo path of the wallpaper pages and our resampler against libvips, in one run, one
// thread. A 24-megapixel photo-like JPEG (6000 x 4000) is made once at start.
//  - TwoPagePhotos: two 1920 x 1080 pages, each with its own copy of the JPEG placed by the
//    covering position, as a page's background item draws it (decode, resample, draw).
//  - ResampleOurs: the decoded photo (24-bit, as the JPEG decodes) fitted to 1620 x 1080
//    with the Lanczos kernel of radius 3, weight maps cached.
//  - ResampleVipsReduce / ResampleVipsResize: libvips on the same pixels, concurrency 1, its
//    cache off: vips_reduce is Lanczos-3 alone; vips_resize (Lanczos-3) may shrink by a box
//    filter first. libvips works on its own thread, so every benchmark counts the process's
//    CPU time.
// Release build:
//   build/release/bench/page_render --benchmark_min_time=2s
#include <benchmark/benchmark.h>

#include "Vcl.Imaging.Jpeg.h"
#include "XCore.App.h"
#include "XMedia.Graphics.Filters.h"
#include "XMedia.VCL.Graphics.h"

#ifdef X_HAVE_VIPS
#include <vips/vips.h>
#endif

#include <cmath>

namespace {

constexpr int32_t kPhotoWidth = 6000, kPhotoHeight = 4000;
constexpr int32_t kFitWidth = 1620, kFitHeight = 1080;
constexpr int32_t kPageWidth = 1920, kPageHeight = 1080;

// Soft shapes, a gradient and fine noise: what a photo gives a JPEG coder and a filter.
TBytes MakePhotoJpeg()
{
    auto Photo = Owned(TBitmap::Create());
    Photo->SetPixelFormat(pf24bit);
    Photo->SetSize(kPhotoWidth, kPhotoHeight);
    uint32_t Seed = 0x9E3779B9u;
    for (int Y = 0; Y < kPhotoHeight; ++Y) {
        auto* Row = static_cast<uint8_t*>(Photo->ScanLine(Y));
        for (int X = 0; X < kPhotoWidth; ++X) {
            Seed ^= Seed << 13, Seed ^= Seed >> 17, Seed ^= Seed << 5;
            const int Noise = int(Seed % 9) - 4;
            const double Shape = 60 * std::sin(X / 300.0) * std::cos(Y / 230.0) + 30 * std::sin((X + Y) / 41.0);
            Row[3 * X] = uint8_t(std::clamp(int(120 + Shape) + Noise, 0, 255));
            Row[3 * X + 1] = uint8_t(std::clamp(X * 200 / kPhotoWidth + 20 + Noise, 0, 255));
            Row[3 * X + 2] = uint8_t(std::clamp(int(128 - Shape / 2) + Y / 40 + Noise, 0, 255));
        }
    }
    auto Jpeg = Owned(TJPEGImage::Create());
    Jpeg->Assign(Photo.get());
    auto Stream = Owned(TMemoryStream::Create());
    Jpeg->SaveToStream(Stream.get());
    TBytes Bytes(size_t(Stream->Size()));
    Stream->SetPosition(0);
    Stream->ReadBuffer(Bytes.data(), int64_t(Bytes.size()));
    return Bytes;
}

const TBytes& PhotoJpeg()
{
    static const TBytes Bytes = MakePhotoJpeg();
    return Bytes;
}

TOwned<TJPEGImage> LoadJpeg()
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(PhotoJpeg().data(), int64_t(PhotoJpeg().size()));
    Stream->SetPosition(0);
    auto Jpeg = Owned(TJPEGImage::Create());
    Jpeg->LoadFromStream(Stream.get());
    return Jpeg;
}

// The full decode, 24-bit, made once.
TBitmap* DecodedPhoto()
{
    static const TOwned<TBitmap> Decoded = [] {
        auto Bitmap = Owned(TBitmap::Create());
        Bitmap->Assign(LoadJpeg()->Bitmap());
        return Bitmap;
    }();
    return Decoded.get();
}

void BM_TwoPagePhotos(benchmark::State& AState)
{
    SetNVCoreApp(TXNVCoreApp::Create());   // the weight-map cache stamps uses with its clock
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    Kernel->SetRadius(2);   // the page's shared kernel
    PhotoJpeg();
    for (auto _ : AState) {
        for (int Page = 0; Page < 2; ++Page) {
            auto Target = Owned(TBitmap::Create());
            Target->SetPixelFormat(pf32bit);
            Target->SetSize(kPageWidth, kPageHeight);
            TOwned<TJPEGImage> Jpeg = LoadJpeg();
            DrawGraphicCenter(Target->Canvas(), Rect(0, 0, kPageWidth, kPageHeight), Jpeg.get(), Kernel.get());
            benchmark::DoNotOptimize(Target->ScanLine(0));
        }
    }
    SetNVCoreApp(nullptr);
}
BENCHMARK(BM_TwoPagePhotos)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_ResampleOurs(benchmark::State& AState)
{
    SetNVCoreApp(TXNVCoreApp::Create());
    TBitmap* Source = DecodedPhoto();
    TOwned<TBitmap> Dest = Owned(TBitmap::Create());
    TOwned<TXLanczosKernel> Kernel = Owned(TXLanczosKernel::Create());
    for (auto _ : AState) {
        ResampleBitmap(Source, Dest.get(), kFitWidth, kFitHeight, Kernel.get());
        benchmark::DoNotOptimize(Dest->ScanLine(0));
    }
    AState.SetItemsProcessed(AState.iterations() * kPhotoWidth * kPhotoHeight);
    SetNVCoreApp(nullptr);
}
BENCHMARK(BM_ResampleOurs)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

#ifdef X_HAVE_VIPS
// The decoded photo as a libvips image over the same bytes, rows packed.
std::vector<uint8_t>& PackedPhoto()
{
    static std::vector<uint8_t> Packed = [] {
        std::vector<uint8_t> Bytes(size_t(kPhotoWidth) * kPhotoHeight * 3);
        for (int Y = 0; Y < kPhotoHeight; ++Y)
            std::copy_n(static_cast<const uint8_t*>(DecodedPhoto()->ScanLine(Y)), kPhotoWidth * 3,
                        Bytes.data() + size_t(Y) * kPhotoWidth * 3);
        return Bytes;
    }();
    return Packed;
}

void StartVips()
{
    static const bool Started = [] {
        if (VIPS_INIT("page_render") != 0)
            return false;
        vips_concurrency_set(1);
        vips_cache_set_max(0);
        return true;
    }();
    (void)Started;
}

template <class TOperation>
void RunVips(benchmark::State& AState, TOperation AOperation)
{
    StartVips();
    std::vector<uint8_t>& Packed = PackedPhoto();
    for (auto _ : AState) {
        VipsImage* In = vips_image_new_from_memory(Packed.data(), Packed.size(), kPhotoWidth, kPhotoHeight, 3,
                                                   VIPS_FORMAT_UCHAR);
        VipsImage* Out = nullptr;
        if (In == nullptr || AOperation(In, &Out) != 0) {
            AState.SkipWithError(vips_error_buffer());
            break;
        }
        size_t Size = 0;
        void* Pixels = vips_image_write_to_memory(Out, &Size);
        benchmark::DoNotOptimize(Pixels);
        g_free(Pixels);
        g_object_unref(Out);
        g_object_unref(In);
    }
    AState.SetItemsProcessed(AState.iterations() * kPhotoWidth * kPhotoHeight);
}

void BM_ResampleVipsReduce(benchmark::State& AState)
{
    RunVips(AState, [](VipsImage* AIn, VipsImage** AOut) {
        return vips_reduce(AIn, AOut, double(kPhotoWidth) / kFitWidth, double(kPhotoHeight) / kFitHeight, "kernel",
                           VIPS_KERNEL_LANCZOS3, nullptr);
    });
}
BENCHMARK(BM_ResampleVipsReduce)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_ResampleVipsResize(benchmark::State& AState)
{
    RunVips(AState, [](VipsImage* AIn, VipsImage** AOut) {
        return vips_resize(AIn, AOut, double(kFitWidth) / kPhotoWidth, "vscale", double(kFitHeight) / kPhotoHeight,
                           "kernel", VIPS_KERNEL_LANCZOS3, nullptr);
    });
}
BENCHMARK(BM_ResampleVipsResize)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
#endif

}  // namespace

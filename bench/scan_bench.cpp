// The carving loop over a generated card image of 320 MB (random data, as a card full of
// compressed files looks, with 24 photos of 12 megapixels at sector boundaries), beside a plain read
// of the same file through the same buffered stream: the scan should run near that speed.
// The image lives in $TMPDIR and is read from the page cache after the first pass.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "Vcl.Graphics.h"
#include "Vcl.Imaging.Jpeg.h"
#include "XCore.App.h"
#include "XCore.Engine.WorkerThreads.h"
#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Work.S.h"

namespace {

using TBytes = std::vector<uint8_t>;
constexpr size_t kImageSize = 320u << 20;
constexpr int kJpegCount = 24;
constexpr int32_t kBufferSize = 262144;

// A 12-megapixel JPEG of a gradient with grain, about as large as a camera's.
TBytes PhotoJpeg(uint32_t ASeed)
{
    constexpr int kWidth = 4000, kHeight = 3000;
    TOwned<TBitmap> Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(kWidth, kHeight);
    std::mt19937 Random(ASeed);
    for (int Y = 0; Y < kHeight; ++Y) {
        auto* Row = static_cast<uint32_t*>(Bitmap->ScanLine(Y));
        for (int X = 0; X < kWidth; ++X)
            Row[X] = (Random() & 0x1F1F1F) + ((X * 200 / kWidth) << 16) + ((Y * 200 / kHeight) << 8);
    }
    TOwned<TJPEGImage> Jpeg = Owned(TJPEGImage::Create());
    Jpeg->Assign(Bitmap.get());
    TOwned<TMemoryStream> Bytes = Owned(TMemoryStream::Create());
    Jpeg->SaveToStream(Bytes.get());
    const auto* Data = static_cast<const uint8_t*>(Bytes->Memory());
    return TBytes(Data, Data + Bytes->Size());
}

// Made once per run: random bytes with the photos spread over the image; removed at exit.
struct TImageFile {
    std::filesystem::path Path;
    TImageFile();
    ~TImageFile() { std::filesystem::remove(Path); }
};

TImageFile::TImageFile()
{
    const char* Temp = std::getenv("TMPDIR");
    Path = std::filesystem::path(Temp ? Temp : "/tmp") / "scan_bench.img";
    TBytes Image(kImageSize);
    std::mt19937_64 Random(11);
    for (size_t I = 0; I + 8 <= Image.size(); I += 8) {
        uint64_t Value = Random();
        std::memcpy(Image.data() + I, &Value, 8);
    }
    const TBytes Photos[] = {PhotoJpeg(1), PhotoJpeg(2), PhotoJpeg(3)};
    const size_t Spacing = kImageSize / kJpegCount / 512 * 512;
    for (int I = 0; I < kJpegCount; ++I) {
        const TBytes& Photo = Photos[I % 3];
        std::copy(Photo.begin(), Photo.end(), Image.begin() + I * Spacing + 4096);
    }
    std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Image.data()), std::streamsize(Image.size()));
}

const std::filesystem::path& ImagePath()
{
    static const TImageFile File;
    return File.Path;
}

struct TFoundCounter {
    int Count = 0;
    void Found(IXNotification*) { ++Count; }
};

void Carve(benchmark::State& AState)
{
    SetNVCoreApp(TXNVCoreApp::Create());   // thumbnails use its clock, as in the program
    const std::filesystem::path& Path = ImagePath();
    for (auto _ : AState) {
        TOwned<TXBufFileStream> Disk = Owned(TXBufFileStream::Create(Path.string(), fmOpenRead | fmShareDenyWrite, kBufferSize));
        TOwned<TXBlocks> Blocks = Owned(TXBlocks::Create());
        Blocks->Add(0, Disk->Size());
        TOwned<TXSearch> Search = Owned(TXSearch::Create(static_cast<TComponent*>(nullptr)));
        TOwned<TXDRFileCollection> Files = Owned(TXDRFileCollection::Create(static_cast<TPersistent*>(nullptr)));
        TIntf<IXWorker> Worker(TXWorker::Create(rcmInterlocked, TIntf<IXEngine>()));
        TFoundCounter Counter;
        Worker->Subscribe(TXDRFoundFileAspect::StaticClass(), TXNotificationHandler::Bind<&TFoundCounter::Found>(&Counter));
        CarveBlocks(Search.get(), Disk.get(), Blocks.get(), Files.get(), Worker.Get());
        if (Counter.Count != kJpegCount)
            AState.SkipWithError(("found " + std::to_string(Counter.Count) + " photos").c_str());
        Worker->UnsubscribeHandler(TXNotificationHandler::Bind<&TFoundCounter::Found>(&Counter));
    }
    AState.SetBytesProcessed(static_cast<int64_t>(AState.iterations() * kImageSize));
    SetNVCoreApp(nullptr);
}

void Read(benchmark::State& AState)
{
    const std::filesystem::path& Path = ImagePath();
    TBytes Buffer(kBufferSize);
    for (auto _ : AState) {
        TOwned<TXBufFileStream> Disk = Owned(TXBufFileStream::Create(Path.string(), fmOpenRead | fmShareDenyWrite, kBufferSize));
        while (Disk->Read(Buffer.data(), kBufferSize) > 0)
            benchmark::DoNotOptimize(Buffer.data());
    }
    AState.SetBytesProcessed(static_cast<int64_t>(AState.iterations() * kImageSize));
}

BENCHMARK(Carve)->Unit(benchmark::kMillisecond);
BENCHMARK(Read)->Unit(benchmark::kMillisecond);

}  // namespace

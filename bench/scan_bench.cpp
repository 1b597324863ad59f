// The carving loop over a generated card image of 320 MB (random data, as a card full of
// compressed files looks, with 24 photos of 12 megapixels at sector boundaries), and the whole
// deep scan job of generated FAT32 cards of 256 MB (live and deleted photos of camera size, or
// of 640 pixels, the rest random), each beside a plain read of the same file through the same
// buffered stream: the scan should run near that speed. The images live in $TMPDIR and are
// read from the page cache after the first pass.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "../tests/fixtures/FatImages.h"
#include "Rtl.Classes.h"
#include "Vcl.Graphics.h"
#include "Vcl.Imaging.Jpeg.h"
#include "Win.Messages.h"
#include "XCore.App.h"
#include "XCore.Engine.WorkerThreads.h"
#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Gears.Work.h"
#include "XDR.Work.S.h"

namespace {

using TBytes = std::vector<uint8_t>;
constexpr size_t kImageSize = 320u << 20;
constexpr int kJpegCount = 24;
constexpr int32_t kBufferSize = 262144;

// A JPEG of a gradient with grain; at 4000 x 3000 about as large as a camera's.
TBytes PhotoJpeg(uint32_t ASeed, int AWidth = 4000, int AHeight = 3000)
{
    TOwned<TBitmap> Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(AWidth, AHeight);
    std::mt19937 Random(ASeed);
    for (int Y = 0; Y < AHeight; ++Y) {
        auto* Row = static_cast<uint32_t*>(Bitmap->ScanLine(Y));
        for (int X = 0; X < AWidth; ++X)
            Row[X] = (Random() & 0x1F1F1F) + ((X * 200 / AWidth) << 16) + ((Y * 200 / AHeight) << 8);
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

// ---- The whole deep scan of a FAT32 card ------------------------------------------------

constexpr uint32_t kCardSectors = 256u << 11;   // 256 MiB
constexpr uint8_t kCardSectorsPerCluster = 64;   // 32 KiB clusters

// A FAT32 card whose folder (cluster 3) lists the photos, stored one after the other; every
// fifth is deleted (its entry marked, its clusters freed). The rest of the card is random.
struct TCardFile {
    std::filesystem::path Path;
    TCardFile(const char* AName, int AWidth, int AHeight, int ACount);
    ~TCardFile() { std::filesystem::remove(Path); }
};

TCardFile::TCardFile(const char* AName, int AWidth, int AHeight, int ACount)
{
    const char* Temp = std::getenv("TMPDIR");
    Path = std::filesystem::path(Temp ? Temp : "/tmp") / AName;
    XTestFixtures::TFatImage Card = XTestFixtures::TFatImage::Fat32(kCardSectors, kCardSectorsPerCluster);
    std::mt19937_64 Random(7);
    for (int64_t I = Card.ClusterOffset(4); I + 8 <= int64_t(Card.Bytes.size()); I += 8) {
        uint64_t Value = Random();
        std::memcpy(Card.Bytes.data() + I, &Value, 8);
    }
    Card.PutEntry(XTestFixtures::TFatImage::Slot(Card.ClusterOffset(2), 0), "DCIM       ", 0x10, 3, 0);
    Card.SetFat(3, Card.EndOfChain());
    std::fill_n(Card.Bytes.begin() + Card.ClusterOffset(3), Card.ClusterSize(), 0);
    const TBytes Photos[] = {PhotoJpeg(1, AWidth, AHeight), PhotoJpeg(2, AWidth, AHeight), PhotoJpeg(3, AWidth, AHeight)};
    uint32_t Cluster = 4;
    for (int I = 0; I < ACount; ++I) {
        const TBytes& Photo = Photos[I % 3];
        const uint32_t Clusters = static_cast<uint32_t>((Photo.size() + Card.ClusterSize() - 1) / Card.ClusterSize());
        char Name[12];
        std::snprintf(Name, sizeof(Name), "IMG_%04dJPG", I + 1);
        const bool Deleted = I % 5 == 4;
        Card.PutEntry(XTestFixtures::TFatImage::Slot(Card.ClusterOffset(3), I), Name, 0x20, Cluster,
                      static_cast<uint32_t>(Photo.size()), Deleted);
        std::copy(Photo.begin(), Photo.end(), Card.Bytes.begin() + Card.ClusterOffset(Cluster));
        for (uint32_t C = 0; C < Clusters && !Deleted; ++C)
            Card.SetFat(Cluster + C, C + 1 == Clusters ? Card.EndOfChain() : Cluster + C + 1);
        Cluster += Clusters;
    }
    std::ofstream(Path, std::ios::binary)
        .write(reinterpret_cast<const char*>(Card.Bytes.data()), std::streamsize(Card.Bytes.size()));
}

const std::filesystem::path& CameraCardPath()
{
    static const TCardFile File("scan_bench_camera.img", 4000, 3000, 24);
    return File.Path;
}

const std::filesystem::path& SmallPhotoCardPath()
{
    static const TCardFile File("scan_bench_640.img", 640, 480, 1000);
    return File.Path;
}

struct TJobEnd {
    bool Ended = false;
    void Hear(IXNotification* ANotification)
    {
        Ended = Ended || AspectOf<TXOperationThreadTerminatedAspect>(ANotification) != nullptr;
    }
};

// The deep scan job as the wizard runs it: the worker gear's thread, the UI thread's loop.
int DeepScan(const std::filesystem::path& APath)
{
    using namespace XDR::Gears::Work;
    XCore::Engine::TXEngine* Engine = XCore::Engine::TXEngine::Create();
    TXDRWorkerGear* Gear = TXDRWorkerGear::Create(TIntf<IXEngine>(Engine));
    TXDRFileCollection* Files = TXDRFileCollection::Create(static_cast<TPersistent*>(nullptr));
    Gear->Data()->SetFiles(Files);
    TOwned<TXDRFileTypes> Types = Owned(TXDRFileTypes::Create());
    Types->GetEnabledExtensions(Gear->Data()->Extensions());
    TJobEnd End;
    Gear->SubscribeAll(TXNotificationHandler::Bind<&TJobEnd::Hear>(&End));
    Engine->Notify(TXNotification<TXAssembleAspect>::New(TXAssembleAspect::Create()));
    Gear->ExecuteCommand(TIntf<IXCommand>(TXDRDiskImageDeepScanWorkCommand::Create(Gear, APath.string())));
    while (!End.Ended) {
        TMsg Msg;
        while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(Msg);
        CheckSynchronize();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int Found = Files->Count();
    Gear->Free();
    Files->Free();
    Engine->Free();
    return Found;
}

void ScanCard(benchmark::State& AState, const std::filesystem::path& APath, int AExpected)
{
    SetNVCoreApp(TXNVCoreApp::Create());
    for (auto _ : AState)
        if (int Found = DeepScan(APath); Found < AExpected)
            AState.SkipWithError(("found " + std::to_string(Found) + " files").c_str());
    AState.SetBytesProcessed(static_cast<int64_t>(AState.iterations()) * kCardSectors * 512);
    SetNVCoreApp(nullptr);
}

void DeepScanCameraPhotos(benchmark::State& AState) { ScanCard(AState, CameraCardPath(), 24); }
void DeepScan640Photos(benchmark::State& AState) { ScanCard(AState, SmallPhotoCardPath(), 1000); }

void ReadCard(benchmark::State& AState)
{
    const std::filesystem::path& Path = SmallPhotoCardPath();
    TBytes Buffer(kBufferSize);
    for (auto _ : AState) {
        TOwned<TXBufFileStream> Disk =
            Owned(TXBufFileStream::Create(Path.string(), fmOpenRead | fmShareDenyWrite, kBufferSize));
        while (Disk->Read(Buffer.data(), kBufferSize) > 0)
            benchmark::DoNotOptimize(Buffer.data());
    }
    AState.SetBytesProcessed(static_cast<int64_t>(AState.iterations()) * kCardSectors * 512);
}

BENCHMARK(Carve)->Unit(benchmark::kMillisecond);
BENCHMARK(Read)->Unit(benchmark::kMillisecond);
BENCHMARK(DeepScanCameraPhotos)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DeepScan640Photos)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadCard)->Unit(benchmark::kMillisecond);

}  // namespace

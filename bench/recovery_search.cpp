// Searching all carving signatures over a 1 GB card image in the page cache, beside reading
// the same file raw (as "cat FILE > /dev/null" does). The image is made in $TMPDIR, or taken
// from X_BENCH_IMAGE when that names one; it is never committed.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <unistd.h>

#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"

namespace {

constexpr int64_t kImageSize = int64_t(1) << 30;

// Random data with zero-filled stretches (free clusters) and a signature every few MB.
std::string ImagePath()
{
    static const std::string Path = [] {
        if (const char* Given = std::getenv("X_BENCH_IMAGE"); Given != nullptr && std::filesystem::exists(Given))
            return std::string(Given);
        const char* Tmp = std::getenv("TMPDIR");
        std::string Made = std::string(Tmp != nullptr ? Tmp : "/tmp") + "/recovery_search_bench.img";
        if (std::filesystem::exists(Made) && std::filesystem::file_size(Made) == uint64_t(kImageSize))
            return Made;
        std::ofstream File(Made, std::ios::binary);
        std::mt19937_64 Random(7);
        std::vector<uint64_t> Chunk(1 << 17);   // 1 MB
        for (int64_t Written = 0; Written < kImageSize; Written += 8 * int64_t(Chunk.size())) {
            bool Free = (Written >> 20) % 4 == 3;
            for (uint64_t& Word : Chunk)
                Word = Free ? 0 : Random();
            if ((Written >> 20) % 3 == 0)
                reinterpret_cast<uint8_t*>(Chunk.data())[512 * 7] = 0xFF, reinterpret_cast<uint8_t*>(Chunk.data())[512 * 7 + 1] = 0xD8;
            File.write(reinterpret_cast<const char*>(Chunk.data()), std::streamsize(8 * Chunk.size()));
        }
        return Made;
    }();
    return Path;
}

const TXByteArrays kSignatures = {
    {0xFF, 0xD8}, {0x49, 0x49, 0x2A, 0x00}, {0x4D, 0x4D, 0x00, 0x2A}, {0x49, 0x49, 0x52, 0x4F},
    {0x49, 0x49, 0x55, 0x00}, {0x00, 0x4D, 0x52, 0x4D}, {0x52, 0x49, 0x46, 0x46},
    {0x00, 0x00, 0x00, 0x18, 0x66, 0x74, 0x79, 0x70}, {0x00, 0x00, 0x00, 0x20, 0x66, 0x74, 0x79, 0x70},
    {0x00, 0x00, 0x00, 0x1C, 0x66, 0x74, 0x79, 0x70}, {0x00, 0x00, 0x01, 0x18, 0x73, 0x6B, 0x69, 0x70}};

void BM_RawRead(benchmark::State& AState)
{
    std::vector<char> Buffer(131072);
    for (auto _ : AState) {
        int File = ::open(ImagePath().c_str(), O_RDONLY);
        while (::read(File, Buffer.data(), Buffer.size()) > 0) {
        }
        ::close(File);
    }
    AState.SetBytesProcessed(AState.iterations() * kImageSize);
}

// The carving loop's search: every signature at 512-byte candidates, hit after hit.
void SearchAll(benchmark::State& AState, TStream* AStream)
{
    TOwned<TXSearch> Search = Owned(TXSearch::Create(nullptr));
    Search->SetStream(AStream);
    int64_t Hits = 0;
    for (auto _ : AState) {
        int Index = -1;
        for (int64_t Found = 0; (Found = Search->FindAny(kSignatures, Index, Found, std::numeric_limits<int64_t>::max(), 0, 512)) >= 0; ++Found)
            ++Hits;
    }
    AState.counters["hits"] = benchmark::Counter(double(Hits) / double(AState.iterations()));
    AState.SetBytesProcessed(AState.iterations() * kImageSize);
}

void BM_SearchVolumeStream(benchmark::State& AState)
{
    TOwned<TXBufDiskStream> Disk = Owned(TXBufDiskStream::Create(ImagePath(), 262144, 4));
    SearchAll(AState, Disk.get());
}

void BM_SearchBlockStream(benchmark::State& AState)
{
    TOwned<TXBufDiskStream> Disk = Owned(TXBufDiskStream::Create(ImagePath(), 262144, 4));
    TOwned<TXBlocks> Free = Owned(TXBlocks::Create());
    for (int64_t Start = 0; Start < kImageSize; Start += 8 << 20)
        Free->Add(Start, 6 << 20);   // free areas with used clusters between them
    TOwned<TXBlockStream> Blocks = Owned(TXBlockStream::Create(Disk.get(), Free.get()));
    SearchAll(AState, Blocks.get());
    AState.SetBytesProcessed(AState.iterations() * Free->TotalSize());
}

}  // namespace

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchVolumeStream)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchBlockStream)->Unit(benchmark::kMillisecond)->UseRealTime();

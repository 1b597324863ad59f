// End detection of a 20 MB JPEG and a 50 MB MP4 that sit inside a larger stream, in bytes of
// file per second: in memory, and as the carving loop reads it (a search over a block stream
// over the 256 KB buffered file, the file in the page cache, in $TMPDIR). The JPEG's
// entropy-coded data is random with its 0xFF bytes stuffed, as an encoder writes it; the MP4 is
// "ftyp", "moov" and a 50 MB "mdat".
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "XCore.Intervals.Blocks.h"
#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Work.P.h"

namespace {

using TBytes = std::vector<uint8_t>;
constexpr size_t kPrefix = 1 << 20;
constexpr size_t kTail = 1 << 20;

void Append(TBytes& ABytes, std::initializer_list<uint8_t> AValues)
{
    for (uint8_t B : AValues)
        ABytes.push_back(B);
}

void AppendBE32(TBytes& ABytes, uint32_t AValue)
{
    Append(ABytes, {uint8_t(AValue >> 24), uint8_t(AValue >> 16), uint8_t(AValue >> 8), uint8_t(AValue)});
}

void AppendRandom(TBytes& ABytes, size_t ACount, std::mt19937& ARandom, bool AStuffed)
{
    for (size_t I = 0; I < ACount; ++I) {
        uint8_t B = static_cast<uint8_t>(ARandom());
        ABytes.push_back(B);
        if (AStuffed && B == 0xFF) {
            ABytes.push_back(0x00);
            ++I;
        }
    }
}

// Random bytes (JPEG markers included) around AFile.
TBytes Stream(const TBytes& AFile, std::mt19937& ARandom)
{
    TBytes Result;
    Result.reserve(kPrefix + AFile.size() + kTail);
    AppendRandom(Result, kPrefix, ARandom, false);
    Result.insert(Result.end(), AFile.begin(), AFile.end());
    AppendRandom(Result, kTail, ARandom, false);
    return Result;
}

TBytes Jpeg(size_t ASize, std::mt19937& ARandom)
{
    TBytes File;
    Append(File, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    Append(File, {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x0B, 0xB8, 0x0F, 0xA0, 0x03, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    Append(File, {0xFF, 0xDA, 0x00, 0x0C, 0x03, 1, 0, 2, 0x11, 3, 0x11, 0x00, 0x3F, 0x00});
    AppendRandom(File, ASize - File.size() - 2, ARandom, true);
    Append(File, {0xFF, 0xD9});
    return File;
}

TBytes Mp4(size_t ASize, std::mt19937& ARandom)
{
    TBytes File;
    AppendBE32(File, 32);
    Append(File, {'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 2, 0, 'i', 's', 'o', 'm', 'i', 's', 'o', '2', 'a', 'v',
                  'c', '1', 'm', 'p', '4', '1'});
    AppendBE32(File, 4096);
    Append(File, {'m', 'o', 'o', 'v'});
    AppendRandom(File, 4096 - 8, ARandom, false);
    AppendBE32(File, static_cast<uint32_t>(ASize - File.size()));
    Append(File, {'m', 'd', 'a', 't'});
    AppendRandom(File, ASize - File.size(), ARandom, false);
    return File;
}

using TMaker = TBytes (*)(size_t, std::mt19937&);

void Measure(benchmark::State& AState, TXDRScanSource& ASource, TXDRScanFormatClass AClass, size_t AFileSize)
{
    auto Format = Owned(AClass->Create());
    for (auto _ : AState) {
        int64_t End = Format->FindEnd(ASource, kPrefix);
        if (End != static_cast<int64_t>(kPrefix + AFileSize - 1))
            AState.SkipWithError("wrong end");
        benchmark::DoNotOptimize(End);
    }
    AState.SetBytesProcessed(static_cast<int64_t>(AState.iterations() * AFileSize));
}

void InMemory(benchmark::State& AState, TXDRScanFormatClass AClass, TMaker AMake, size_t ASize)
{
    std::mt19937 Random(7);
    TBytes File = AMake(ASize, Random);
    TBytes Bytes = Stream(File, Random);
    TXDRMemoryScanSource Source(Bytes);
    Measure(AState, Source, AClass, File.size());
}

void ThroughSearch(benchmark::State& AState, TXDRScanFormatClass AClass, TMaker AMake, size_t ASize)
{
    std::mt19937 Random(7);
    TBytes File = AMake(ASize, Random);
    TBytes Bytes = Stream(File, Random);
    const char* Temp = std::getenv("TMPDIR");
    std::filesystem::path Path = std::filesystem::path(Temp ? Temp : "/tmp") / "formats_bench.bin";
    std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
    {
        auto Disk = Owned(TXBufFileStream::Create(Path.string(), fmOpenRead | fmShareDenyWrite, 262144));
        auto Blocks = Owned(TXBlocks::Create());
        Blocks->Add(0, static_cast<int64_t>(Bytes.size()));
        auto Logical = Owned(TXBlockStream::Create(Disk.get(), Blocks.get()));
        auto Search = Owned(TXSearch::Create(static_cast<TComponent*>(nullptr)));
        Search->SetStream(Logical.get());
        TXDRSearchSource Source(Search.get());
        Measure(AState, Source, AClass, File.size());
    }
    std::filesystem::remove(Path);
}

BENCHMARK_CAPTURE(InMemory, Jpeg20MB, TXDRScanFormatJPG::Info(), &Jpeg, 20u << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(InMemory, Mp4_50MB, TXDRScanFormatMOV::Info(), &Mp4, 50u << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ThroughSearch, Jpeg20MB, TXDRScanFormatJPG::Info(), &Jpeg, 20u << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ThroughSearch, Mp4_50MB, TXDRScanFormatMOV::Info(), &Mp4, 50u << 20)->Unit(benchmark::kMicrosecond);

}  // namespace

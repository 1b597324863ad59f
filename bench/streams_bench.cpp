// CRC-32 beside zlib's own, and writing and reading a container of 100 MB of entries, of
// compressible text and of incompressible noise, in memory. Release build:
//   build/release/bench/streams_bench --benchmark_min_time=2s
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <vector>

#include "XCore.QStream.h"

namespace {

constexpr int64_t kEntrySize = 1 << 20;
constexpr int kEntryCount = 100;

std::vector<uint8_t> Noise(size_t ASize)
{
    std::vector<uint8_t> Data(ASize);
    uint64_t X = 0x9E3779B97F4A7C15ull;
    for (uint8_t& Byte : Data) {
        X ^= X << 13, X ^= X >> 7, X ^= X << 17;
        Byte = static_cast<uint8_t>(X >> 24);
    }
    return Data;
}

// Text with the repetition of real files: words from a small vocabulary.
std::vector<uint8_t> Text(size_t ASize)
{
    static const char* const kWords[] = {"calendar ", "photo ", "wallpaper ", "month ", "note ", "image ",
                                         "pack ", "holiday ", "event ", "monday\r\n"};
    std::vector<uint8_t> Noisy = Noise(ASize / 4 + 1);
    std::vector<uint8_t> Data;
    Data.reserve(ASize);
    for (size_t I = 0; Data.size() < ASize; ++I)
        for (const char* C = kWords[Noisy[I % Noisy.size()] % 10]; *C != 0 && Data.size() < ASize; ++C)
            Data.push_back(static_cast<uint8_t>(*C));
    return Data;
}

const std::vector<uint8_t>& Payload(bool ACompressible)
{
    static const std::vector<uint8_t> kText = Text(kEntrySize), kNoise = Noise(kEntrySize);
    return ACompressible ? kText : kNoise;
}

void WriteContainer(TMemoryStream* AStream, bool ACompressible)
{
    auto Writer = Owned(TXQStream::Create());
    const std::vector<uint8_t>& Data = Payload(ACompressible);
    bool OK = Writer->DoOpenStream(rmCreate | rmWrite, AStream, false, nullptr) && Writer->AddGroupText("Bench", "")
              && Writer->BeginHeader("Bench", 3, false, nullptr, kEntryCount);
    for (int I = 0; OK && I < kEntryCount; ++I)
        OK = Writer->WriteEntryBuffer(-2, Data.data(), nullptr, kEntrySize);
    if (!OK || !Writer->EndHeader())
        throw std::runtime_error("container write failed");
}

void BM_Crc32(benchmark::State& AState)
{
    std::vector<uint8_t> Data = Noise(static_cast<size_t>(AState.range(0)));
    for (auto _ : AState)
        benchmark::DoNotOptimize(UpdateCrc32(0, Data.data(), Data.size()));
    AState.SetBytesProcessed(AState.iterations() * AState.range(0));
}

void BM_Crc32ZLib(benchmark::State& AState)
{
    std::vector<uint8_t> Data = Noise(static_cast<size_t>(AState.range(0)));
    for (auto _ : AState)
        benchmark::DoNotOptimize(crc32(0, Data.data(), static_cast<uInt>(Data.size())));
    AState.SetBytesProcessed(AState.iterations() * AState.range(0));
}

void BM_ContainerWrite(benchmark::State& AState)
{
    bool Compressible = AState.range(0) != 0;
    int64_t Stored = 0;
    for (auto _ : AState) {
        auto Stream = Owned(TMemoryStream::Create());
        WriteContainer(Stream.get(), Compressible);
        Stored = Stream->Size();
    }
    AState.SetBytesProcessed(AState.iterations() * kEntrySize * kEntryCount);
    AState.counters["stored_MB"] = static_cast<double>(Stored) / 1e6;
}

void BM_ContainerRead(benchmark::State& AState)
{
    auto Stream = Owned(TMemoryStream::Create());
    WriteContainer(Stream.get(), AState.range(0) != 0);
    auto Dest = Owned(TMemoryStream::Create());
    for (auto _ : AState) {
        auto Reader = Owned(TXQStream::Create());
        if (!Reader->DoOpenStream(rmRead, Stream.get(), false, nullptr))
            throw std::runtime_error("container open failed");
        for (int I = 0; I < kEntryCount; ++I)
            if (!Reader->ReadEntry("Bench", 0, false, nullptr, Dest.get(), I))
                throw std::runtime_error("entry read failed");
    }
    AState.SetBytesProcessed(AState.iterations() * kEntrySize * kEntryCount);
}

}  // namespace

BENCHMARK(BM_Crc32)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_Crc32ZLib)->Arg(4096)->Arg(1 << 20);
BENCHMARK(BM_ContainerWrite)->ArgName("compressible")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContainerRead)->ArgName("compressible")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

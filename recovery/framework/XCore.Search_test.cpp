// Pattern search: single patterns, the multi-pattern candidates and their tie rule, window
// borders, a real card image against a plain reference, and cancellation.
#include "XCore.Search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include "../../tests/fixtures/CardImages.h"
#include "../../tests/fixtures/ReadFaults.h"
#include "XCore.Streams.Buffered.h"

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

TOwned<TMemoryStream> MemoryOf(const std::vector<uint8_t>& ABytes)
{
    TOwned<TMemoryStream> Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(ABytes.data(), static_cast<int64_t>(ABytes.size()));
    return Stream;
}

std::vector<uint8_t> Text(const char* AText)
{
    return std::vector<uint8_t>(AText, AText + std::strlen(AText));
}

TOwned<TXSearch> SearchOver(TStream* AStream)
{
    TOwned<TXSearch> Search = Owned(TXSearch::Create(nullptr));
    Search->SetStream(AStream);
    return Search;
}

TEST(SearchTest, FindPatternFindsTheFirstWholeMatch)
{
    struct {
        const char* Haystack;
        const char* Pattern;
        int64_t Limit, Start, Expected;
    } const Cases[] = {
        {"aab", "ab", kMax, 0, 1},  {"ba", "ab", kMax, 0, -1}, {"abab", "ab", kMax, 1, 2},
        {"abab", "ab", 1, 3, -1},   {"xxab", "ab", 2, 0, -1},  {"xxab", "ab", 3, 0, 2},
    };
    for (const auto& C : Cases) {
        TOwned<TMemoryStream> Stream = MemoryOf(Text(C.Haystack));
        EXPECT_EQ(SearchOver(Stream.get())->FindPattern(Text(C.Pattern), C.Limit, C.Start), C.Expected)
            << C.Pattern << " in " << C.Haystack << " from " << C.Start;
    }
}

TEST(SearchTest, MatchesAcrossWindowBorders)
{
    std::vector<uint8_t> Bytes(3 * 262144, 0);
    const std::vector<uint8_t> Pattern = Text("<xml>");
    std::copy(Pattern.begin(), Pattern.end(), Bytes.begin() + 2 * 262144 - 2);
    TOwned<TMemoryStream> Stream = MemoryOf(Bytes);
    TOwned<TXSearch> Search = SearchOver(Stream.get());
    EXPECT_EQ(Search->FindPattern({'<', 'x', 'm', 'l', '>'}, 0), 2 * 262144 - 2);
    EXPECT_TRUE(Search->MatchAt(Pattern, 4, 2 * 262144 - 2));
    EXPECT_FALSE(Search->MatchAt(Pattern, 4, 2 * 262144 - 1));
    EXPECT_TRUE(Search->MatchAt(Pattern, -1, 5));
    EXPECT_TRUE(Search->MatchRun(0, 2 * 262144 - 2, 0));
    EXPECT_FALSE(Search->MatchRun(0, 2 * 262144 - 1, 0));
    EXPECT_FALSE(Search->MatchRun(0, 10, static_cast<int64_t>(Bytes.size()) - 5));
}

TEST(SearchTest, FindAnyTakesTheLowestIndexThatMatchesAtACandidate)
{
    std::vector<uint8_t> Bytes(4096, 0);
    const uint8_t Exif[] = {0xFF, 0xD8, 0xFF, 0xE1};
    std::memcpy(&Bytes[1024], Exif, 4);
    std::memcpy(&Bytes[1], Exif, 4);   // not on a candidate
    std::memcpy(&Bytes[2048], Exif, 2);
    TOwned<TMemoryStream> Stream = MemoryOf(Bytes);
    TOwned<TXSearch> Search = SearchOver(Stream.get());
    int Index = -5;
    EXPECT_EQ(Search->FindAny({{0xFF, 0xD8}, {0xFF, 0xD8, 0xFF, 0xE1}}, Index, 0, kMax, 0, 512), 1024);
    EXPECT_EQ(Index, 0);
    const TXByteArrays Swapped = {{0xFF, 0xD8, 0xFF, 0xE1}, {0xFF, 0xD8}};
    EXPECT_EQ(Search->FindAny(Swapped, Index, 0, kMax, 0, 512), 1024);
    EXPECT_EQ(Index, 0);   // the longer pattern, which has the lower index
    EXPECT_EQ(Search->FindAny(Swapped, Index, 1025, kMax, 0, 512), 2048);
    EXPECT_EQ(Index, 1);
    EXPECT_EQ(Search->FindAny(Swapped, Index, 1, kMax, 1, 512), 1);   // candidates at 1, 513, ...
    EXPECT_EQ(Search->FindAny({{0xFF, 0xD8, 0xFF, 0xE1}}, Index, 1024, 1026, 0, 512), -1);   // past To
    EXPECT_EQ(Index, -1);
    EXPECT_EQ(Search->FindAny({{0xAB}}, Index, 0, kMax, 0, 512), -1);
}

// A movie's head: its size byte varies, "ftyp" does not; the masked byte matches any value,
// also when the candidate is read byte by byte at the stream's end.
TEST(SearchTest, FindAnyWithMasksIgnoresTheMaskedBits)
{
    std::vector<uint8_t> Bytes(2048 + 8, 0);
    const uint8_t Movie[] = {0x00, 0x00, 0x00, 0x14, 'f', 't', 'y', 'p'};
    std::memcpy(&Bytes[512], Movie, 8);
    std::memcpy(&Bytes[2048], Movie, 8);
    Bytes[2048 + 3] = 0x2C;
    TOwned<TMemoryStream> Stream = MemoryOf(Bytes);
    TOwned<TXSearch> Search = SearchOver(Stream.get());
    const TXByteArrays Patterns = {{0xFF, 0xD8}, {0x00, 0x00, 0x00, 0x00, 'f', 't', 'y', 'p'}};
    const TXByteArrays Masks = {{}, {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}};
    int Index = -1;
    EXPECT_EQ(Search->FindAny(Patterns, Masks, Index, 0, kMax, 0, 512), 512);
    EXPECT_EQ(Index, 1);
    EXPECT_EQ(Search->FindAny(Patterns, Masks, Index, 513, kMax, 0, 512), 2048);
    EXPECT_EQ(Search->FindAny(Patterns, Index, 0, kMax, 0, 512), -1);   // unmasked: exact bytes only
}

// What FindAny must answer, the slow way: at each candidate the lowest index that matches whole.
int64_t ReferenceFindAny(const std::vector<uint8_t>& ABytes, const TXByteArrays& APatterns, int& AIndex, int64_t AFrom)
{
    for (int64_t C = (AFrom + 511) / 512 * 512; C < static_cast<int64_t>(ABytes.size()); C += 512)
        for (size_t I = 0; I < APatterns.size(); ++I)
            if (C + APatterns[I].size() <= ABytes.size()
                && std::equal(APatterns[I].begin(), APatterns[I].end(), ABytes.begin() + C)) {
                AIndex = static_cast<int>(I);
                return C;
            }
    AIndex = -1;
    return -1;
}

TEST(SearchTest, FindAnyOnACardImageAgreesWithAPlainScan)
{
    const std::string Image = XTestFixtures::CardImage();
    std::ifstream File(Image, std::ios::binary);
    const std::vector<uint8_t> Bytes(std::istreambuf_iterator<char>(File), {});
    const TXByteArrays Patterns = {{0xFF, 0xD8, 0xFF, 0xE0}, {'R', 'I', 'F', 'F'}, {0xFF, 0xD8}, {0xF8, 0xFF}};
    TOwned<TXBufDiskStream> Disk = Owned(TXBufDiskStream::Create(Image, 262144, 4));
    TOwned<TXBlocks> Whole = Owned(TXBlocks::Create());
    Whole->Add(0, static_cast<int64_t>(Bytes.size()));
    TOwned<TXBlockStream> Blocks = Owned(TXBlockStream::Create(Disk.get(), Whole.get()));
    for (TStream* Stream : {static_cast<TStream*>(Disk.get()), static_cast<TStream*>(Blocks.get())}) {
        TOwned<TXSearch> Search = SearchOver(Stream);
        int Hits = 0;
        for (int64_t From = 0;; ++Hits) {
            int Index = -5, Expected = -5;
            int64_t Found = Search->FindAny(Patterns, Index, From, kMax, 0, 512);
            ASSERT_EQ(Found, ReferenceFindAny(Bytes, Patterns, Expected, From));
            ASSERT_EQ(Index, Expected);
            if (Found < 0)
                break;
            From = Found + 1;
        }
        EXPECT_GE(Hits, 4);   // the FAT, two photos and the video at least
    }
}

TEST(SearchTest, AnUnreadableSectorHidesNothingAfterIt)
{
    const std::string Image = (XTestFixtures::ScratchFolder() / "signatures.img").string();
    std::vector<uint8_t> Bytes(262144, 0x55);
    const int64_t Bad = 4096;
    Bytes[Bad + 512] = 0xFF, Bytes[Bad + 513] = 0xD8;   // the sector just after the bad one
    std::ofstream(Image, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
    XTestFixtures::TReadFaults Faults(Image, std::to_string(Bad) + "-" + std::to_string(Bad + 512) + "=EIO");
    TOwned<TXBufDiskStream> Disk = Owned(TXBufDiskStream::Create(Image, 262144, 4));
    TOwned<TXBlocks> Whole = Owned(TXBlocks::Create());
    Whole->Add(0, static_cast<int64_t>(Bytes.size()));
    TOwned<TXBlockStream> Blocks = Owned(TXBlockStream::Create(Disk.get(), Whole.get()));
    for (TStream* Stream : {static_cast<TStream*>(Disk.get()), static_cast<TStream*>(Blocks.get())}) {
        int Index = -1;
        EXPECT_EQ(SearchOver(Stream)->FindAny({{0xFF, 0xD8}}, Index, Bad, kMax, 0, 512), Bad + 512);
        EXPECT_EQ(Index, 0);
    }
    ClearError();
}

TEST(SearchTest, CancellationStopsWithinAWindow)
{
    TOwned<TMemoryStream> Stream = MemoryOf(std::vector<uint8_t>(64 * 262144, 0));
    TOwned<TXSearch> Search = SearchOver(Stream.get());
    struct TOperation {
        int Polls = 0;
        int CancelAt = 3;
        bool IsTerminated() { return ++Polls >= CancelAt; }
    } Operation;
    Search->SetTerminated(TXTerminatedTest::Bind<&TOperation::IsTerminated>(&Operation));
    int Index = 0;
    EXPECT_EQ(Search->FindAny({{0x01}}, Index, 0, kMax, 0, 1), -1);
    EXPECT_EQ(Operation.Polls, 3);
    Operation.Polls = 0;
    EXPECT_EQ(Search->FindPattern({0x01, 0x02}, 0), -1);
    EXPECT_EQ(Operation.Polls, 3);
    Operation.Polls = 0;
    uint8_t Byte = 0;
    Operation.CancelAt = 1;
    EXPECT_FALSE(Search->ReadByte(Byte, 0));
}

}  // namespace

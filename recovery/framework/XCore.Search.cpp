// XCore.Search.cpp: pattern searches over windows of the stream.
#include "XCore.Search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <limits>

#include "XCore.Errors.h"
#include "XCore.Streams.Buffered.h"

namespace {

constexpr int64_t kWindowSize = 262144;
constexpr int64_t kSectorSize = 512;

// Hands out the stream's bytes window by window: in place from a buffered stream or a block
// stream over one, through a copy from any other. The cancel test runs at every new window,
// so a scan stops within one.
class TWindowReader {
public:
    TWindowReader(TStream* AStream, std::function<bool()> ACancelled)
        : FStream(AStream), FBuffered(AsOrNull<TXCustomBufStream>(AStream)),
          FBlocks(AsOrNull<TXCustomBlockStream>(AStream)), FSize(AStream->Size()), FCancelled(std::move(ACancelled))
    {
    }

    // The bytes from APosition to the window's end; nullptr past the end or when cancelled.
    const uint8_t* From(int64_t APosition, int64_t& ACount)
    {
        if (APosition < FStart || APosition >= FStart + FCount) {
            if (!Load(APosition)) {
                ACount = 0;
                return nullptr;
            }
        }
        ACount = FStart + FCount - APosition;
        return FData + (APosition - FStart);
    }

    bool ByteAt(int64_t APosition, uint8_t& AByte)
    {
        int64_t Count = 0;
        const uint8_t* Data = From(APosition, Count);
        if (Data != nullptr)
            AByte = *Data;
        return Data != nullptr;
    }

    // Copies up to ACount bytes from APosition; fewer at the end or when cancelled.
    int64_t Copy(int64_t APosition, uint8_t* ATarget, int64_t ACount)
    {
        int64_t Done = 0;
        while (Done < ACount) {
            int64_t Count = 0;
            const uint8_t* Data = From(APosition + Done, Count);
            if (Data == nullptr)
                break;
            Count = std::min(Count, ACount - Done);
            std::copy_n(Data, Count, ATarget + Done);
            Done += Count;
        }
        return Done;
    }

private:
    bool Load(int64_t APosition)
    {
        FCount = 0;
        if (APosition < 0 || APosition >= FSize || FCancelled())
            return false;
        FStart = APosition;
        int64_t Wanted = kWindowSize - APosition % kWindowSize;
        try {
            if (FBuffered != nullptr)
                FData = FBuffered->PeekAt(APosition, FCount);
            else if (FBlocks != nullptr)
                FData = FBlocks->PeekAt(APosition, FCount);
            if (FCount > 0)
                return true;
        } catch (const std::exception&) {
            // An unreadable sector: only the rest of it reads as zeros, the bytes after it
            // come from the next window.
            CheckError();
            Wanted = kSectorSize - APosition % kSectorSize;
        }
        FCount = std::min(Wanted, FSize - APosition);
        FLocal.resize(static_cast<size_t>(kWindowSize));
        FData = FLocal.data();
        return StreamReadAt(FStream, FLocal.data(), FCount, APosition);
    }

    TStream* FStream;
    TXCustomBufStream* FBuffered;
    TXCustomBlockStream* FBlocks;
    int64_t FSize;
    std::function<bool()> FCancelled;
    std::vector<uint8_t> FLocal;
    const uint8_t* FData = nullptr;
    int64_t FStart = 0;
    int64_t FCount = 0;
};

enum class TCandidate { Found, NoMatch, End };

// The patterns of a multi-pattern search with the bits of each byte that must match.
class TMaskedPatterns {
public:
    TMaskedPatterns(const TXByteArrays& APatterns, const TXByteArrays& AMasks) : FPatterns(APatterns), FMasks(AMasks) {}
    size_t Count() const { return FPatterns.size(); }
    size_t Length(size_t AIndex) const { return FPatterns[AIndex].size(); }
    bool Matches(size_t AIndex, size_t AAt, uint8_t AByte) const
    {
        const uint8_t Mask = MaskAt(AIndex, AAt);
        return (AByte & Mask) == (FPatterns[AIndex][AAt] & Mask);
    }
    bool MatchesAll(size_t AIndex, const uint8_t* AData) const
    {
        for (size_t J = 0; J < Length(AIndex); ++J)
            if (!Matches(AIndex, J, AData[J]))
                return false;
        return !FPatterns[AIndex].empty();
    }

private:
    uint8_t MaskAt(size_t AIndex, size_t AAt) const
    {
        return AIndex < FMasks.size() && AAt < FMasks[AIndex].size() ? FMasks[AIndex][AAt] : 0xFF;
    }
    const TXByteArrays& FPatterns;
    const TXByteArrays& FMasks;
};

// One candidate, byte by byte as the patterns part: the first pattern to complete wins unless
// a lower-indexed one still alive also matches in full.
TCandidate MatchCandidate(TWindowReader& AReader, const TMaskedPatterns& APatterns, int64_t ACandidate, int64_t ATo,
                          int& AIndex)
{
    std::vector<bool> Alive(APatterns.Count(), true);
    auto MatchesRest = [&](size_t APattern, size_t AFrom) {
        for (size_t J = AFrom; J < APatterns.Length(APattern); ++J) {
            uint8_t Byte = 0;
            if (ACandidate + int64_t(J) > ATo || !AReader.ByteAt(ACandidate + int64_t(J), Byte)
                || !APatterns.Matches(APattern, J, Byte))
                return false;
        }
        return true;
    };
    for (size_t J = 0;; ++J) {
        uint8_t Byte = 0;
        if (ACandidate + int64_t(J) > ATo || !AReader.ByteAt(ACandidate + int64_t(J), Byte))
            return TCandidate::End;
        bool AnyMatched = false;
        for (size_t I = 0; I < APatterns.Count(); ++I) {
            if (!Alive[I] || APatterns.Length(I) <= J)
                continue;
            if (!APatterns.Matches(I, J, Byte)) {
                Alive[I] = false;
                continue;
            }
            AnyMatched = true;
            if (J + 1 < APatterns.Length(I))
                continue;
            AIndex = static_cast<int>(I);
            for (size_t K = 0; K < I; ++K)
                if (Alive[K] && MatchesRest(K, J + 1)) {
                    AIndex = static_cast<int>(K);
                    break;
                }
            return TCandidate::Found;
        }
        if (!AnyMatched)
            return TCandidate::NoMatch;
    }
}

// A candidate whose bytes all lie in one window, up to the longest pattern's end: what the
// byte-wise walk answers there is the lowest index that matches whole, so compare directly.
TCandidate MatchInPlace(const TMaskedPatterns& APatterns, const uint8_t* AData, int& AIndex)
{
    for (size_t I = 0; I < APatterns.Count(); ++I)
        if (APatterns.MatchesAll(I, AData)) {
            AIndex = static_cast<int>(I);
            return TCandidate::Found;
        }
    return TCandidate::NoMatch;
}

int64_t FirstCandidate(int64_t AFrom, int64_t AOffset, int64_t AAlign)
{
    int64_t Distance = AFrom - AOffset;
    int64_t Steps = Distance / AAlign + (Distance % AAlign > 0 ? 1 : 0);
    return AOffset + Steps * AAlign;
}

}  // namespace

bool TXSearch::IsCancelled() const
{
    return FTerminated && FTerminated();
}

bool TXSearch::ReadByte(uint8_t& AByte, int64_t APosition)
{
    return !IsCancelled() && StreamReadByteAt(FStream, AByte, APosition);
}

bool TXSearch::MatchAt(const TXByteArray& APattern, int32_t AHigh, int64_t APosition)
{
    if (AHigh < 0)
        return true;
    TXByteArray Bytes(static_cast<size_t>(AHigh) + 1);
    if (APosition < 0 || AHigh >= static_cast<int32_t>(APattern.size()) || APosition + AHigh >= FStream->Size())
        return false;
    return StreamReadAt(FStream, Bytes.data(), AHigh + 1, APosition) && std::equal(Bytes.begin(), Bytes.end(), APattern.begin());
}

bool TXSearch::MatchRun(uint8_t AValue, int64_t ACount, int64_t APosition)
{
    if (ACount <= 0)
        return true;
    if (APosition < 0 || APosition + ACount > FStream->Size())
        return false;
    TWindowReader Reader(FStream, [] { return false; });
    for (int64_t Done = 0; Done < ACount;) {
        int64_t Count = 0;
        const uint8_t* Data = Reader.From(APosition + Done, Count);
        Count = std::min(Count, ACount - Done);
        if (Data == nullptr || std::any_of(Data, Data + Count, [&](uint8_t B) { return B != AValue; }))
            return false;
        Done += Count;
    }
    return true;
}

int64_t TXSearch::FindPattern(const TXByteArray& APattern, int64_t ALimit, int64_t AStart)
{
    const int64_t Length = static_cast<int64_t>(APattern.size());
    const int64_t Last = std::min(ALimit, FStream->Size() - 1);   // the match's last byte at most
    if (Length == 0)
        return AStart;
    if (AStart < 0)
        return -1;
    TWindowReader Reader(FStream, [this] { return IsCancelled(); });
    std::vector<uint8_t> Seam;
    // In place, window by window; a match across a window's end is looked for in a copy of
    // the bytes on both sides of it.
    for (int64_t Position = AStart; Position + Length - 1 <= Last;) {
        int64_t Count = 0;
        const uint8_t* Data = Reader.From(Position, Count);
        if (Data == nullptr)
            return -1;   // cancelled
        Count = std::min(Count, Last - Position + 1);
        if (const void* Found = memmem(Data, static_cast<size_t>(Count), APattern.data(), APattern.size()))
            return Position + (static_cast<const uint8_t*>(Found) - Data);
        const int64_t Tail = std::min(Count, Length - 1);
        const int64_t Next = Position + Count;
        const int64_t Ahead = std::min(Length - 1, Last - Next + 1);
        if (Tail > 0 && Ahead > 0) {
            Seam.assign(Data + Count - Tail, Data + Count);
            Seam.resize(static_cast<size_t>(Tail + Ahead));
            if (Reader.Copy(Next, Seam.data() + Tail, Ahead) < Ahead)
                return -1;   // cancelled
            if (const void* Found = memmem(Seam.data(), Seam.size(), APattern.data(), APattern.size()))
                return Next - Tail + (static_cast<const uint8_t*>(Found) - Seam.data());
        }
        Position = Next;
    }
    return -1;
}

int64_t TXSearch::FindPattern(std::initializer_list<uint8_t> APattern, int64_t AStart)
{
    return FindPattern(TXByteArray(APattern), std::numeric_limits<int64_t>::max(), AStart);
}

int64_t TXSearch::FindAny(const TXByteArrays& APatterns, int& AIndex, int64_t AFrom, int64_t ATo, int64_t AOffset,
                          int64_t AAlign)
{
    return FindAny(APatterns, TXByteArrays(), AIndex, AFrom, ATo, AOffset, AAlign);
}

int64_t TXSearch::FindAny(const TXByteArrays& APatterns, const TXByteArrays& AMasks, int& AIndex, int64_t AFrom,
                          int64_t ATo, int64_t AOffset, int64_t AAlign)
{
    AIndex = -1;
    AAlign = std::max<int64_t>(AAlign, 1);
    const TMaskedPatterns Patterns(APatterns, AMasks);
    std::array<bool, 256> Starts{};
    for (size_t I = 0; I < Patterns.Count(); ++I)
        if (Patterns.Length(I) > 0)
            for (int Byte = 0; Byte < 256; ++Byte)
                Starts[Byte] = Starts[Byte] || Patterns.Matches(I, 0, static_cast<uint8_t>(Byte));
    int64_t Longest = 0;
    for (const TXByteArray& Pattern : APatterns)
        Longest = std::max(Longest, static_cast<int64_t>(Pattern.size()));
    TWindowReader Reader(FStream, [this] { return IsCancelled(); });
    for (int64_t Candidate = FirstCandidate(AFrom, AOffset, AAlign); Candidate <= ATo;) {
        int64_t Count = 0;
        const uint8_t* Data = Reader.From(Candidate, Count);
        if (Data == nullptr)
            return -1;
        // Most candidates fail on their first byte: skip them inside the window.
        int64_t Limit = ATo - Candidate >= Count ? Count : ATo - Candidate + 1;
        int64_t Step = 0;
        while (Step < Limit && !Starts[Data[Step]])
            Step += AAlign;
        Candidate += Step;
        if (Step >= Limit)
            continue;
        TCandidate Result = Count - Step >= Longest && ATo - Candidate >= Longest - 1
                                ? MatchInPlace(Patterns, Data + Step, AIndex)
                                : MatchCandidate(Reader, Patterns, Candidate, ATo, AIndex);
        switch (Result) {
        case TCandidate::Found:
            if (IsCancelled())
                break;
            return Candidate;
        case TCandidate::End:
            break;
        case TCandidate::NoMatch:
            Candidate += AAlign;
            continue;
        }
        AIndex = -1;
        return -1;
    }
    return -1;
}

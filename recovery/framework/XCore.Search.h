// XCore.Search.h: byte-pattern search in a 64-bit stream: one pattern from a position, many
// at once at aligned candidates (the carving loop's signature search), and exact matches.
// The searches scan whole windows of the stream, and poll the cancel test once per window.
#pragma once

#include <cstdint>

#include "Rtl.Classes.h"
#include "Rtl.Methods.h"
#include "Rtl.Streams.h"
#include "XCore.Types.Bytes.h"

// True when the operation the search runs for has been cancelled.
using TXTerminatedTest = TMethod<bool()>;

class TXSearch : public TComponent {
    X_CLASS(TXSearch, TComponent)
public:
    TStream* Stream() const { return FStream; }   // not owned
    void SetStream(TStream* AValue) { FStream = AValue; }
    // Without one, the search is never cancelled.
    TXTerminatedTest Terminated() const { return FTerminated; }
    void SetTerminated(TXTerminatedTest AValue) { FTerminated = AValue; }

    // The byte at APosition; False when cancelled or at or past the end.
    bool ReadByte(uint8_t& AByte, int64_t APosition);
    // The AHigh + 1 bytes at APosition equal APattern's first ones (True for a negative AHigh).
    bool MatchAt(const TXByteArray& APattern, int32_t AHigh, int64_t APosition);
    // ACount bytes from APosition all equal AValue (True for 0).
    bool MatchRun(uint8_t AValue, int64_t ACount, int64_t APosition);
    // The first position at or after AStart where APattern lies wholly at or before ALimit
    // (and inside the stream); -1 when none, or when cancelled.
    int64_t FindPattern(const TXByteArray& APattern, int64_t ALimit, int64_t AStart);
    int64_t FindPattern(std::initializer_list<uint8_t> APattern, int64_t AStart);
    // The first candidate AOffset + k * AAlign at or after AFrom where a pattern matches wholly
    // inside [AFrom, ATo]; AIndex gets the lowest index of the patterns matching there. -1 (and
    // AIndex -1) when none, when a byte after ATo or past the end would be needed before any
    // pattern completes, or when cancelled.
    int64_t FindAny(const TXByteArrays& APatterns, int& AIndex, int64_t AFrom, int64_t ATo, int64_t AOffset,
                    int64_t AAlign);
    // The same, where AMasks[i] holds the bits of each byte of pattern i that must match (a
    // 00 byte matches anything); a pattern without a mask, or with an empty one, matches exactly.
    int64_t FindAny(const TXByteArrays& APatterns, const TXByteArrays& AMasks, int& AIndex, int64_t AFrom, int64_t ATo,
                    int64_t AOffset, int64_t AAlign);

protected:
    TXSearch() = default;

private:
    bool IsCancelled() const;

    TStream* FStream = nullptr;
    TXTerminatedTest FTerminated;
};

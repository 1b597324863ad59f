// Rtl.Encoding.cpp: UTF-8, UTF-16 and Windows-1252 coding.
#include "Rtl.Encoding.h"

#include <algorithm>
#include <array>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Reads one UTF-8 sequence. A malformed one yields U+FFFD and consumes its longest valid
// prefix (at least one byte), the Unicode recommendation, so one bad byte costs one character.
char32_t NextUtf8(const uint8_t*& AFrom, const uint8_t* AEnd)
{
    uint8_t Lead = *AFrom++;
    if (Lead < 0x80)
        return Lead;
    int Trail = 0;
    char32_t Value = 0;
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    uint8_t Low = 0x80;
    uint8_t High = 0xBF;
    if (Lead >= 0xC2 && Lead <= 0xDF) {
        Trail = 1;
        Value = Lead & 0x1F;
    } else if (Lead >= 0xE0 && Lead <= 0xEF) {
        Trail = 2;
        Value = Lead & 0x0F;
        Low = Lead == 0xE0 ? 0xA0 : 0x80;
        High = Lead == 0xED ? 0x9F : 0xBF;
    } else if (Lead >= 0xF0 && Lead <= 0xF4) {
        Trail = 3;
        Value = Lead & 0x07;
        Low = Lead == 0xF0 ? 0x90 : 0x80;
        High = Lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return kReplacement;
    }
    for (int I = 0; I < Trail; ++I) {
        if (AFrom == AEnd || *AFrom < Low || *AFrom > High)
            return kReplacement;
        Value = (Value << 6) | (*AFrom++ & 0x3F);
        Low = 0x80;
        High = 0xBF;
    }
    return Value;
}

template <class TEmit>
void EmitUtf8(char32_t ACodePoint, TEmit AEmit)
{
    if (ACodePoint < 0x80) {
        AEmit(ACodePoint);
    } else if (ACodePoint < 0x800) {
        AEmit(0xC0 | (ACodePoint >> 6));
        AEmit(0x80 | (ACodePoint & 0x3F));
    } else if (ACodePoint < 0x10000) {
        AEmit(0xE0 | (ACodePoint >> 12));
        AEmit(0x80 | ((ACodePoint >> 6) & 0x3F));
        AEmit(0x80 | (ACodePoint & 0x3F));
    } else {
        AEmit(0xF0 | (ACodePoint >> 18));
        AEmit(0x80 | ((ACodePoint >> 12) & 0x3F));
        AEmit(0x80 | ((ACodePoint >> 6) & 0x3F));
        AEmit(0x80 | (ACodePoint & 0x3F));
    }
}

void AppendUtf8(String& AText, char32_t ACodePoint)
{
    EmitUtf8(ACodePoint, [&](char32_t AByte) { AText += static_cast<char>(AByte); });
}

template <class TEmit>
void EmitUtf16(char32_t ACodePoint, TEmit AEmit)
{
    if (ACodePoint < 0x10000) {
        AEmit(static_cast<char16_t>(ACodePoint));
    } else {
        ACodePoint -= 0x10000;
        AEmit(static_cast<char16_t>(0xD800 | (ACodePoint >> 10)));
        AEmit(static_cast<char16_t>(0xDC00 | (ACodePoint & 0x3FF)));
    }
}

bool IsHighSurrogate(char32_t AUnit)
{
    return AUnit >= 0xD800 && AUnit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t AUnit)
{
    return AUnit >= 0xDC00 && AUnit <= 0xDFFF;
}

// Reads one UTF-16 character from units fetched by AUnitAt (AUnits in all); an unpaired
// surrogate yields U+FFFD.
template <class TUnitAt>
char32_t NextUtf16(size_t& AIndex, size_t AUnits, TUnitAt AUnitAt)
{
    char32_t Unit = AUnitAt(AIndex++);
    if (IsLowSurrogate(Unit))
        return kReplacement;
    if (!IsHighSurrogate(Unit))
        return Unit;
    if (AIndex == AUnits || !IsLowSurrogate(AUnitAt(AIndex)))
        return kReplacement;
    char32_t Low = AUnitAt(AIndex++);
    return 0x10000 + ((Unit - 0xD800) << 10) + (Low - 0xDC00);
}

class TUTF8Encoding final : public TEncoding {
public:
    TBytes GetPreamble() const override { return {0xEF, 0xBB, 0xBF}; }

protected:
    void Encode(char32_t ACodePoint, TBytes& AOut) const override
    {
        EmitUtf8(ACodePoint, [&](char32_t AByte) { AOut.push_back(static_cast<uint8_t>(AByte)); });
    }
    char32_t Decode(const uint8_t*& AFrom, const uint8_t* AEnd) const override { return NextUtf8(AFrom, AEnd); }
};

class TUnicodeEncoding final : public TEncoding {
public:
    explicit TUnicodeEncoding(bool ABigEndian) : FBigEndian(ABigEndian) {}
    TBytes GetPreamble() const override { return FBigEndian ? TBytes{0xFE, 0xFF} : TBytes{0xFF, 0xFE}; }

protected:
    void Encode(char32_t ACodePoint, TBytes& AOut) const override
    {
        EmitUtf16(ACodePoint, [&](char16_t AUnit) {
            uint8_t High = static_cast<uint8_t>(AUnit >> 8);
            uint8_t Low = static_cast<uint8_t>(AUnit & 0xFF);
            AOut.push_back(FBigEndian ? High : Low);
            AOut.push_back(FBigEndian ? Low : High);
        });
    }
    char32_t Decode(const uint8_t*& AFrom, const uint8_t* AEnd) const override
    {
        // A lone last byte cannot be a unit.
        if (AEnd - AFrom < 2) {
            AFrom = AEnd;
            return kReplacement;
        }
        const uint8_t* Start = AFrom;
        size_t Index = 0;
        auto UnitAt = [&](size_t AAt) -> char32_t {
            const uint8_t* P = Start + 2 * AAt;
            return FBigEndian ? (P[0] << 8) | P[1] : (P[1] << 8) | P[0];
        };
        char32_t Result = NextUtf16(Index, static_cast<size_t>(AEnd - Start) / 2, UnitAt);
        AFrom = Start + 2 * Index;
        return Result;
    }

private:
    bool FBigEndian;
};

// Windows-1252 at 0x80..0x9F; the undefined bytes keep their own value, as in Latin-1.
constexpr std::array<char16_t, 32> kWin1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

class TAnsiEncoding final : public TEncoding {
public:
    TBytes GetPreamble() const override { return {}; }

protected:
    void Encode(char32_t ACodePoint, TBytes& AOut) const override
    {
        if (ACodePoint < 0x80 || (ACodePoint >= 0xA0 && ACodePoint <= 0xFF)) {
            AOut.push_back(static_cast<uint8_t>(ACodePoint));
            return;
        }
        auto Found = std::find(kWin1252High.begin(), kWin1252High.end(), ACodePoint);
        AOut.push_back(Found != kWin1252High.end() ? static_cast<uint8_t>(0x80 + (Found - kWin1252High.begin()))
                                                   : static_cast<uint8_t>('?'));
    }
    char32_t Decode(const uint8_t*& AFrom, const uint8_t*) const override
    {
        uint8_t Byte = *AFrom++;
        return Byte >= 0x80 && Byte <= 0x9F ? kWin1252High[Byte - 0x80] : Byte;
    }
};

bool StartsWith(std::span<const uint8_t> ABuffer, const TBytes& APrefix)
{
    return !APrefix.empty() && ABuffer.size() >= APrefix.size()
           && std::equal(APrefix.begin(), APrefix.end(), ABuffer.begin());
}

}  // namespace

const TEncoding* TEncoding::UTF8()
{
    static const TUTF8Encoding Instance;
    return &Instance;
}

const TEncoding* TEncoding::Unicode()
{
    static const TUnicodeEncoding Instance(false);
    return &Instance;
}

const TEncoding* TEncoding::BigEndianUnicode()
{
    static const TUnicodeEncoding Instance(true);
    return &Instance;
}

const TEncoding* TEncoding::ANSI()
{
    static const TAnsiEncoding Instance;
    return &Instance;
}

TBytes TEncoding::GetBytes(std::string_view AText) const
{
    TBytes Result;
    Result.reserve(AText.size());
    auto* From = reinterpret_cast<const uint8_t*>(AText.data());
    auto* End = From + AText.size();
    while (From != End)
        Encode(NextUtf8(From, End), Result);
    return Result;
}

String TEncoding::GetString(std::span<const uint8_t> ABytes) const
{
    String Result;
    Result.reserve(ABytes.size());
    const uint8_t* From = ABytes.data();
    const uint8_t* End = From + ABytes.size();
    while (From != End)
        AppendUtf8(Result, Decode(From, End));
    return Result;
}

size_t TEncoding::GetBufferEncoding(std::span<const uint8_t> ABuffer, const TEncoding*& AEncoding,
                                    const TEncoding* ADefault)
{
    if (AEncoding != nullptr) {
        TBytes Preamble = AEncoding->GetPreamble();
        return StartsWith(ABuffer, Preamble) ? Preamble.size() : 0;
    }
    for (const TEncoding* Candidate : {UTF8(), Unicode(), BigEndianUnicode()}) {
        TBytes Preamble = Candidate->GetPreamble();
        if (StartsWith(ABuffer, Preamble)) {
            AEncoding = Candidate;
            return Preamble.size();
        }
    }
    AEncoding = ADefault;
    return 0;
}

std::u16string Utf8ToUtf16(std::string_view AText)
{
    std::u16string Result;
    Result.reserve(AText.size());
    auto* From = reinterpret_cast<const uint8_t*>(AText.data());
    auto* End = From + AText.size();
    while (From != End)
        EmitUtf16(NextUtf8(From, End), [&](char16_t AUnit) { Result += AUnit; });
    return Result;
}

String Utf16ToUtf8(std::u16string_view AText)
{
    String Result;
    Result.reserve(AText.size());
    size_t Index = 0;
    while (Index < AText.size())
        AppendUtf8(Result, NextUtf16(Index, AText.size(), [&](size_t AAt) -> char32_t { return AText[AAt]; }));
    return Result;
}

size_t CodePointCount(std::string_view AText)
{
    size_t Count = 0;
    auto* From = reinterpret_cast<const uint8_t*>(AText.data());
    auto* End = From + AText.size();
    for (; From != End; ++Count)
        NextUtf8(From, End);
    return Count;
}

size_t Utf8CharLength(std::string_view AText, size_t APos)
{
    auto Lead = static_cast<unsigned char>(AText[APos]);
    size_t Length = Lead < 0x80 ? 1 : (Lead >> 5) == 0x6 ? 2 : (Lead >> 4) == 0xE ? 3 : (Lead >> 3) == 0x1E ? 4 : 1;
    if (APos + Length > AText.size())
        return 1;
    for (size_t I = 1; I < Length; ++I)
        if ((static_cast<unsigned char>(AText[APos + I]) & 0xC0) != 0x80)
            return 1;
    return Length;
}

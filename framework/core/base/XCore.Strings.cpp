// XCore.Strings.cpp: text helpers over UTF-8.
#include "XCore.Strings.h"

#include <clocale>
#include <locale.h>
#include <wctype.h>

#include <algorithm>

#include "Rtl.Encoding.h"
#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.Strings.h"
#include "Rtl.SysUtils.h"

namespace {

// The radix coding's digits: a digit's value is its place here.
constexpr std::string_view kRadixDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// ---- UTF-8 characters ----

// The code point of the character at APos that is ALength bytes long; a malformed byte is itself.
char32_t CharAt(std::string_view AText, size_t APos, size_t ALength)
{
    auto Lead = static_cast<unsigned char>(AText[APos]);
    if (ALength == 1)
        return Lead;
    char32_t Code = Lead & (0x7F >> ALength);
    for (size_t I = 1; I < ALength; ++I)
        Code = (Code << 6) | (static_cast<unsigned char>(AText[APos + I]) & 0x3F);
    return Code;
}

// The characters of AText as (code point, byte length) in order.
template <class TVisit>
void ForEachChar(std::string_view AText, TVisit AVisit)
{
    for (size_t Pos = 0; Pos < AText.size();) {
        size_t Length = Utf8CharLength(AText, Pos);
        AVisit(CharAt(AText, Pos, Length), std::string_view(AText.data() + Pos, Length));
        Pos += Length;
    }
}

String CharToUtf8(char32_t AChar)
{
    char16_t Units[2] = {static_cast<char16_t>(AChar), 0};
    size_t Count = 1;
    if (AChar > 0xFFFF) {
        Units[0] = static_cast<char16_t>(0xD800 + ((AChar - 0x10000) >> 10));
        Units[1] = static_cast<char16_t>(0xDC00 + ((AChar - 0x10000) & 0x3FF));
        Count = 2;
    }
    return Utf16ToUtf8(std::u16string_view(Units, Count));
}

// ---- Case ----

// Case mapping of the whole Unicode range, independent of the process's locale.
locale_t CaseLocale()
{
    static const locale_t Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return Locale;
}

char32_t ToUpperChar(char32_t AChar)
{
    if (locale_t Locale = CaseLocale())
        return static_cast<char32_t>(towupper_l(static_cast<wint_t>(AChar), Locale));
    return AChar >= 'a' && AChar <= 'z' ? AChar - 'a' + 'A' : AChar;
}

char32_t ToLowerChar(char32_t AChar)
{
    if (locale_t Locale = CaseLocale())
        return static_cast<char32_t>(towlower_l(static_cast<wint_t>(AChar), Locale));
    return AChar >= 'A' && AChar <= 'Z' ? AChar - 'A' + 'a' : AChar;
}

bool SameCharIgnoreCase(char32_t AChar, char32_t APattern)
{
    return AChar == APattern || AChar == ToUpperChar(APattern) || AChar == ToLowerChar(APattern);
}

// The bytes of AText from APos that match APattern ignoring case, or npos. The lengths can
// differ from the pattern's when a character and its other case differ in size.
size_t MatchIgnoreCase(std::string_view AText, size_t APos, std::string_view APattern)
{
    size_t Pos = APos;
    for (size_t At = 0; At < APattern.size();) {
        if (Pos >= AText.size())
            return std::string_view::npos;
        size_t PatternLength = Utf8CharLength(APattern, At);
        size_t TextLength = Utf8CharLength(AText, Pos);
        if (!SameCharIgnoreCase(CharAt(AText, Pos, TextLength), CharAt(APattern, At, PatternLength)))
            return std::string_view::npos;
        At += PatternLength;
        Pos += TextLength;
    }
    return Pos - APos;
}

// The 0-based start for a 1-based AStart, or npos when it lies past the text.
size_t StartIndex(std::string_view AText, int AStart)
{
    size_t Index = AStart < 1 ? 0 : static_cast<size_t>(AStart) - 1;
    return Index < AText.size() ? Index : std::string_view::npos;
}

int ToPosition(size_t AIndex)
{
    return AIndex == std::string_view::npos ? 0 : static_cast<int>(AIndex) + 1;
}

// ---- Radix ----

void CheckRadix(int ARadix)
{
    if (ARadix < 2 || ARadix > static_cast<int>(kRadixDigits.size()))
        throw EArgumentOutOfRangeException(SArgumentOutOfRange);
}

int DigitValue(char16_t AUnit)
{
    size_t At = AUnit < 0x80 ? kRadixDigits.find(static_cast<char>(AUnit)) : std::string_view::npos;
    return At == std::string_view::npos ? -1 : static_cast<int>(At);
}

int32_t RadixUnitsToInt(std::u16string_view ADigits, int ARadix)
{
    // Unsigned, so that a long digit string wraps as the 32-bit sum does instead of overflowing.
    uint32_t Result = 0;
    uint32_t Weight = 1;
    for (size_t I = ADigits.size(); I-- > 0;) {
        Result += static_cast<uint32_t>(DigitValue(ADigits[I])) * Weight;
        Weight *= static_cast<uint32_t>(ARadix);
    }
    return static_cast<int32_t>(Result);
}

bool PassesThroughRadixText(char16_t AUnit)
{
    return AUnit == u'\b' || AUnit == u'\n' || AUnit == u'\r' || AUnit == u' ';
}

// ---- Streams ----

// ACount bytes from AStream's position, -1 for all that is left. A count the stream cannot
// give raises before anything is allocated for it: counts often come from files.
String ReadStreamBytes(TStream* AStream, int64_t ACount)
{
    int64_t Left = AStream->Size() - AStream->Position();
    if (ACount == -1)
        ACount = std::max<int64_t>(Left, 0);
    if (ACount <= 0)
        return {};
    if (ACount > Left)
        throw EReadError("Stream read error");
    String Bytes(static_cast<size_t>(ACount), '\0');
    AStream->ReadBuffer(Bytes.data(), ACount);
    return Bytes;
}

}  // namespace

// ---- Search and extraction ----------------------------------------------------------------

int PosFrom(std::string_view ASubStr, std::string_view AText, int AStart)
{
    size_t From = StartIndex(AText, AStart);
    if (ASubStr.empty() || From == std::string_view::npos)
        return 0;
    return ToPosition(AText.find(ASubStr, From));
}

int PosFromIgnoreCase(std::string_view ASubStr, std::string_view AText, int AStart)
{
    size_t From = StartIndex(AText, AStart);
    if (ASubStr.empty() || From == std::string_view::npos)
        return 0;
    for (size_t Pos = From; Pos < AText.size(); Pos += Utf8CharLength(AText, Pos))
        if (MatchIgnoreCase(AText, Pos, ASubStr) != std::string_view::npos)
            return ToPosition(Pos);
    return 0;
}

bool SameTextIgnoreCase(std::string_view A, std::string_view B)
{
    return MatchIgnoreCase(A, 0, B) == A.size();
}

int RawLastPos(std::string_view ASubStr, std::string_view AText, int ACount)
{
    if (ACount >= 0 && static_cast<size_t>(ACount) < AText.size())
        AText = AText.substr(0, static_cast<size_t>(ACount));
    if (ASubStr.empty())
        return 0;
    return ToPosition(AText.rfind(ASubStr));
}

String ExtractBetween(std::string_view AStartTag, std::string_view AEndTag, std::string_view AText, int AStart)
{
    int StartPos = PosFrom(AStartTag, AText, AStart);
    if (StartPos == 0)
        return {};
    int TextStart = StartPos + static_cast<int>(AStartTag.size());
    int EndPos = PosFrom(AEndTag, AText, TextStart);
    if (EndPos == 0)
        return {};
    return String(AText.substr(static_cast<size_t>(TextStart) - 1, static_cast<size_t>(EndPos - TextStart)));
}

String ExtractBetweenIgnoreCase(std::string_view AStartTag, std::string_view AEndTag, std::string_view AText,
                                int AStart)
{
    size_t From = StartIndex(AText, AStart);
    if (AStartTag.empty() || From == std::string_view::npos)
        return {};
    for (size_t Pos = From; Pos < AText.size(); Pos += Utf8CharLength(AText, Pos)) {
        size_t TagLength = MatchIgnoreCase(AText, Pos, AStartTag);
        if (TagLength == std::string_view::npos)
            continue;
        int TextStart = ToPosition(Pos + TagLength);
        int EndPos = PosFromIgnoreCase(AEndTag, AText, TextStart);
        if (EndPos == 0)
            return {};
        return String(AText.substr(Pos + TagLength, static_cast<size_t>(EndPos - TextStart)));
    }
    return {};
}

String RawExtractBetweenLast(std::string_view AStartTag, std::string_view AEndTag, std::string_view AText,
                             int AStart)
{
    int StartPos = PosFrom(AStartTag, AText, AStart);
    int EndPos = RawLastPos(AEndTag, AText);
    int TextStart = StartPos + static_cast<int>(AStartTag.size());
    if (StartPos == 0 || EndPos == 0 || EndPos < TextStart)
        return {};
    return String(AText.substr(static_cast<size_t>(TextStart) - 1, static_cast<size_t>(EndPos - TextStart)));
}

void SplitAtFirst(std::string_view AText, String& ABefore, String& AAfter, std::string_view ASeparator)
{
    size_t At = ASeparator.empty() ? std::string_view::npos : AText.find(ASeparator);
    if (At == std::string_view::npos) {
        ABefore = String(AText);
        AAfter.clear();
        return;
    }
    ABefore = String(AText.substr(0, At));
    AAfter = String(AText.substr(At + ASeparator.size()));
}

String TextBefore(std::string_view AText, std::string_view ASeparator)
{
    String Before, After;
    SplitAtFirst(AText, Before, After, ASeparator);
    return Before;
}

String TextAfter(std::string_view AText, std::string_view ASeparator)
{
    String Before, After;
    SplitAtFirst(AText, Before, After, ASeparator);
    return After;
}

// ---- Replacement --------------------------------------------------------------------------

String ReplaceAll(std::string_view AOldPattern, std::string_view ANewPattern, std::string_view AText)
{
    if (AOldPattern.empty())
        return String(AText);
    String Result;
    size_t From = 0;
    for (size_t At; (At = AText.find(AOldPattern, From)) != std::string_view::npos; From = At + AOldPattern.size()) {
        Result.append(AText.substr(From, At - From));
        Result.append(ANewPattern);
    }
    Result.append(AText.substr(From));
    return Result;
}

String ReplaceAllIgnoreCase(std::string_view AOldPattern, std::string_view ANewPattern, std::string_view AText)
{
    if (AOldPattern.empty())
        return String(AText);
    String Result;
    for (size_t Pos = 0; Pos < AText.size();) {
        size_t Matched = MatchIgnoreCase(AText, Pos, AOldPattern);
        if (Matched != std::string_view::npos) {
            Result.append(ANewPattern);
            Pos += Matched;
        } else {
            size_t Length = Utf8CharLength(AText, Pos);
            Result.append(AText.substr(Pos, Length));
            Pos += Length;
        }
    }
    return Result;
}

namespace {

enum TMarkers { mkKeep, mkReplace };

// Replaces each block from AStartTag to the next AEndTag after it: the text between the tags
// (mkKeep) or the whole block, tags included (mkReplace). Scanning resumes after the new text.
String ReplaceMarkedBlocks(std::string_view AStartTag, std::string_view AEndTag, std::string_view ANewText,
                           std::string_view AText, int AStart, TMarkers AMarkers)
{
    String Result(AText);
    int Pos = AStart;
    for (;;) {
        int StartPos = PosFrom(AStartTag, Result, Pos);
        if (StartPos == 0)
            break;
        int TextStart = StartPos + static_cast<int>(AStartTag.size());
        int EndPos = PosFrom(AEndTag, Result, TextStart);
        if (EndPos == 0)
            break;
        int From = AMarkers == mkKeep ? TextStart : StartPos;
        int To = AMarkers == mkKeep ? EndPos : EndPos + static_cast<int>(AEndTag.size());
        Result.replace(static_cast<size_t>(From) - 1, static_cast<size_t>(To - From), ANewText);
        Pos = From + static_cast<int>(ANewText.size()) + (AMarkers == mkKeep ? static_cast<int>(AEndTag.size()) : 0);
    }
    return Result;
}

}  // namespace

String ReplaceBetween(std::string_view AStartTag, std::string_view AEndTag, std::string_view ANewText,
                      std::string_view AText, int AStart)
{
    return ReplaceMarkedBlocks(AStartTag, AEndTag, ANewText, AText, AStart, mkKeep);
}

String ReplaceEnclosed(std::string_view AStartTag, std::string_view AEndTag, std::string_view ANewText,
                       std::string_view AText, int AStart)
{
    return ReplaceMarkedBlocks(AStartTag, AEndTag, ANewText, AText, AStart, mkReplace);
}

String RawReplaceMulti(std::string_view AText, const std::vector<String>& APatterns,
                       const std::vector<String>& AReplacements)
{
    if (APatterns.size() != AReplacements.size())
        throw EArgumentException("Patterns and replacements differ in number");
    String Result;
    Result.reserve(AText.size());
    for (size_t Pos = 0; Pos < AText.size();) {
        auto Match = std::find_if(APatterns.begin(), APatterns.end(), [&](const String& APattern) {
            return !APattern.empty() && AText.substr(Pos).starts_with(APattern);
        });
        if (Match == APatterns.end()) {
            Result += AText[Pos++];
            continue;
        }
        Result += AReplacements[static_cast<size_t>(Match - APatterns.begin())];
        Pos += Match->size();
    }
    return Result;
}

String UnescapeXMLEntities(std::string_view AText)
{
    static const std::vector<String> Entities = {"&lt;", "&gt;", "&amp;", "&apos;", "&quot;"};
    static const std::vector<String> Characters = {"<", ">", "&", "'", "\""};
    return RawReplaceMulti(AText, Entities, Characters);
}

// ---- Quoting and identifiers --------------------------------------------------------------

String EnsureQuoted(std::string_view AText, char AQuote)
{
    if (AText.empty() || AText.front() == AQuote)
        return String(AText);
    String Result(1, AQuote);
    for (char C : AText) {
        Result += C;
        if (C == AQuote)
            Result += AQuote;
    }
    Result += AQuote;
    return Result;
}

String UnquoteStr(std::string_view AText, char AQuote)
{
    if (AText.size() < 2 || AText.front() != AQuote)
        return String(AText);
    String Result;
    for (size_t Pos = 1; Pos < AText.size(); ++Pos) {
        if (AText[Pos] != AQuote) {
            Result += AText[Pos];
            continue;
        }
        if (Pos + 1 < AText.size() && AText[Pos + 1] == AQuote) {
            Result += AQuote;
            ++Pos;
            continue;
        }
        return Result;   // the closing quote; anything after it is not part of the value
    }
    return String(AText);   // no closing quote: not a quoted text
}

String SanitizeIdentifier(std::string_view AText)
{
    auto Allowed = [](char32_t C) {
        return (C >= '0' && C <= ':') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z')
               || std::u32string_view(U" !#*-._").find(C) != std::u32string_view::npos;
    };
    String Result;
    ForEachChar(Trim(AText), [&](char32_t AChar, std::string_view ABytes) {
        if (Allowed(AChar))
            Result.append(ABytes);
        else
            Result += '_';
    });
    return Result;
}

String JoinStrings(std::string_view ASeparator, const TStrings* ALines)
{
    String Result;
    for (int I = 0; I < ALines->Count(); ++I) {
        String Line = ALines->Strings(I);
        if (Line.empty())
            continue;
        if (!Result.empty())
            Result.append(ASeparator);
        Result += Line;
    }
    return Result;
}

String CreateGUIDText()
{
    TGUID Guid;
    if (!CreateGUID(Guid))
        return {};
    String Text = Guid.ToString();
    return Text.substr(1, Text.size() - 2);
}

// ---- Streams and files -------------------------------------------------------------------

String ReadStreamString(TStream* AStream, int64_t ACount)
{
    try {
        String Bytes = ReadStreamBytes(AStream, ACount);
        return TEncoding::ANSI()->GetString({reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size()});
    } catch (const std::exception&) {
        return {};
    }
}

String ReadStreamUTF8(TStream* AStream, int64_t ACount)
{
    return ReadStreamBytes(AStream, ACount);
}

void WriteRawToStream(TStream* AStream, std::string_view AData)
{
    AStream->WriteBuffer(AData.data(), static_cast<int64_t>(AData.size()));
}

void SaveRawToFile(const String& AFileName, std::string_view AData)
{
    SafeWriteFileBytes(AFileName, TBytes(AData.begin(), AData.end()));
}

// ---- Tags ---------------------------------------------------------------------------------

String OpenTag(std::string_view AName)
{
    return "<" + String(AName) + ">";
}

String CloseTag(std::string_view AName)
{
    return "</" + String(AName) + ">";
}

String RawOpenTagNamed(std::string_view ATag, std::string_view AValue)
{
    if (AValue.empty())
        return OpenTag(ATag);
    return "<" + String(ATag) + " name=\"" + String(AValue) + "\">";
}

String ReadTag(std::string_view AName, std::string_view AText, int AStart)
{
    return ExtractBetween(OpenTag(AName), CloseTag(AName), AText, AStart);
}

int32_t ReadTagInt(std::string_view AName, std::string_view AText, int AStart)
{
    return ReadTagIntDef(AName, AText, 0, AStart);
}

int32_t ReadTagIntDef(std::string_view AName, std::string_view AText, int32_t ADefault, int AStart)
{
    return StrToIntDef(ReadTag(AName, AText, AStart), ADefault);
}

String RawReadTagToLast(std::string_view AName, std::string_view AText, int AStart)
{
    return RawExtractBetweenLast(OpenTag(AName), CloseTag(AName), AText, AStart);
}

String RawWriteTag(std::string_view AName, std::string_view AValue)
{
    return OpenTag(AName) + "\r\n" + String(AValue) + "\r\n" + CloseTag(AName);
}

String RawWriteTagNamed(std::string_view ATag, std::string_view ANameValue, std::string_view AText)
{
    return RawOpenTagNamed(ATag, ANameValue) + "\r\n" + String(AText) + "\r\n" + CloseTag(ATag);
}

// ---- Radix coding -------------------------------------------------------------------------

String IntToRadix(uint32_t AValue, int ARadix, int AWidth)
{
    CheckRadix(ARadix);
    String Result;
    for (; AValue > 0; AValue /= static_cast<uint32_t>(ARadix))
        Result.insert(Result.begin(), kRadixDigits[AValue % static_cast<uint32_t>(ARadix)]);
    if (static_cast<int>(Result.size()) < AWidth)
        Result.insert(0, static_cast<size_t>(AWidth) - Result.size(), kRadixDigits[0]);
    return Result.empty() ? String(1, kRadixDigits[0]) : Result;
}

int32_t RadixToInt(std::string_view ADigits, int ARadix)
{
    CheckRadix(ARadix);
    return RadixUnitsToInt(Utf8ToUtf16(ADigits), ARadix);
}

int RadixDigitWidth(int ARadix)
{
    CheckRadix(ARadix);
    return ARadix >= 16 ? 2 : (32 + ARadix - 1) / ARadix;
}

String EncodeRadix(std::string_view AData, int ARadix)
{
    int Width = RadixDigitWidth(ARadix);
    String Result;
    Result.reserve(AData.size() * static_cast<size_t>(Width));
    for (char Byte : AData)
        Result += IntToRadix(static_cast<unsigned char>(Byte), ARadix, Width);
    return Result;
}

String DecodeRadix(std::string_view AText, int ARadix)
{
    auto Width = static_cast<size_t>(RadixDigitWidth(ARadix));
    std::u16string Units = Utf8ToUtf16(AText);
    String Result;
    // A group starts only where at least two units remain: a lone last unit is no byte.
    for (size_t Pos = 0; Pos + 1 < Units.size(); Pos += Width)
        Result += static_cast<char>(RadixUnitsToInt(std::u16string_view(Units).substr(Pos, Width), ARadix));
    return Result;
}

String DecodeRadixText(std::string_view AText, int ARadix)
{
    auto Width = static_cast<size_t>(RadixDigitWidth(ARadix));
    std::u16string Units = Utf8ToUtf16(AText);
    std::u16string Decoded;
    for (size_t Pos = 0; Pos + 1 < Units.size();) {
        if (PassesThroughRadixText(Units[Pos])) {
            Decoded += Units[Pos++];
            continue;
        }
        Decoded += static_cast<char16_t>(RadixUnitsToInt(std::u16string_view(Units).substr(Pos, Width), ARadix));
        Pos += Width;
    }
    return Utf16ToUtf8(Decoded);
}

// ---- Padding ------------------------------------------------------------------------------

String SafeFormat(std::string_view AFormat, const std::vector<TVarRec>& AArgs)
{
    try {
        return Format(AFormat, AArgs);
    } catch (const EConvertError&) {
        return String(AFormat);
    }
}

String CharString(char32_t AChar, int ACount)
{
    String One = CharToUtf8(AChar);
    String Result;
    for (int I = 0; I < ACount; ++I)
        Result += One;
    return Result;
}

String RawCharString(char AChar, int ACount)
{
    return ACount > 0 ? String(static_cast<size_t>(ACount), AChar) : String();
}

String PadInt(int64_t AValue, char32_t APadChar, int AWidth)
{
    String Digits = IntToStr(AValue);
    return CharString(APadChar, AWidth - static_cast<int>(Digits.size())) + Digits;
}

String RawPadLeft(std::string_view AText, char APadChar, int AWidth)
{
    return RawCharString(APadChar, AWidth - static_cast<int>(AText.size())) + String(AText);
}

// ---- TXStrFields --------------------------------------------------------------------------

String TXStrFields::GetField(int AIndex) const
{
    return AIndex >= 0 && static_cast<size_t>(AIndex) < Fields.size() ? Fields[static_cast<size_t>(AIndex)] : String();
}

void TXStrFields::SetField(int AIndex, const String& AValue)
{
    if (AIndex < 0)
        return;
    if (static_cast<size_t>(AIndex) >= Fields.size())
        Fields.resize(static_cast<size_t>(AIndex) + 1);
    Fields[static_cast<size_t>(AIndex)] = AValue;
}

void TXStrFields::Split(std::string_view AText, std::string_view ASeparators)
{
    Fields.clear();
    if (AText.empty())
        return;
    std::u32string Separators;
    ForEachChar(ASeparators, [&](char32_t AChar, std::string_view) { Separators += AChar; });
    Fields.emplace_back();
    ForEachChar(AText, [&](char32_t AChar, std::string_view ABytes) {
        if (Separators.find(AChar) != std::u32string::npos)
            Fields.emplace_back();
        else
            Fields.back().append(ABytes);
    });
}

void TXStrFields::SplitFixed(std::string_view AText, int AWidth)
{
    Fields.clear();
    if (AWidth <= 0)
        return;
    int InField = 0;
    ForEachChar(AText, [&](char32_t, std::string_view ABytes) {
        if (InField == 0)
            Fields.emplace_back();
        Fields.back().append(ABytes);
        InField = (InField + 1) % AWidth;
    });
}

// ---- TXRawStringStream --------------------------------------------------------------------

void TXRawStringStream::Construct(const String& AData)
{
    FData = AData;
}

void TXRawStringStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

int64_t TXRawStringStream::Read(void* ABuffer, int64_t ACount)
{
    int64_t Count = std::clamp<int64_t>(ACount, 0, Size() - FPosition);
    FData.copy(static_cast<char*>(ABuffer), static_cast<size_t>(Count), static_cast<size_t>(FPosition));
    FPosition += Count;
    return Count;
}

int64_t TXRawStringStream::Write(const void* ABuffer, int64_t ACount)
{
    if (ACount <= 0)
        return 0;
    if (FPosition + ACount > Size())
        SetSize(FPosition + ACount);
    FData.replace(static_cast<size_t>(FPosition), static_cast<size_t>(ACount), static_cast<const char*>(ABuffer),
                  static_cast<size_t>(ACount));
    FPosition += ACount;
    return ACount;
}

int64_t TXRawStringStream::Seek(int64_t AOffset, TSeekOrigin AOrigin)
{
    int64_t From = AOrigin == soBeginning ? 0 : AOrigin == soCurrent ? FPosition : Size();
    // Offsets are clamped before they are added, so that no sum can overflow.
    FPosition = From + std::clamp<int64_t>(AOffset, -From, Size() - From);
    return FPosition;
}

void TXRawStringStream::SetSize(int64_t ANewSize)
{
    ANewSize = std::max<int64_t>(ANewSize, 0);
    if (static_cast<uint64_t>(ANewSize) > FData.max_size())
        throw EOutOfMemory(SOutOfMemory);
    FData.resize(static_cast<size_t>(ANewSize));
    FPosition = std::min(FPosition, Size());
}

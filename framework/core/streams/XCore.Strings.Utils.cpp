// XCore.Strings.Utils.cpp: size, duration and Boolean texts, ANSI text files, folding.
#include "XCore.Strings.Utils.h"

#include <algorithm>
#include <span>
#include <vector>

#include "Rtl.Encoding.h"
#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.SysUtils.h"
#include "XCore.Strings.h"

namespace {

// The characters of a UTF-8 text, each whole.
std::vector<std::string_view> Characters(std::string_view AText)
{
    std::vector<std::string_view> Result;
    for (size_t At = 0; At < AText.size();) {
        size_t Length = Utf8CharLength(AText, At);
        Result.push_back(AText.substr(At, Length));
        At += Length;
    }
    return Result;
}

}  // namespace

// ---- Number texts ------------------------------------------------------------------------

String FormatSizeKBMB(int64_t ALimitKB, double ASize)
{
    if (ASize < static_cast<double>(ALimitKB) * 1024)
        return SafeFormat("%0.2f KB", {ASize / 1024});
    return SafeFormat("%0.2f MB", {ASize / 1048576});
}

String FormatDuration(const String& AHoursWord, const String& AMinutesWord, const String& ASecondsWord,
                      int64_t ASeconds)
{
    ASeconds = std::max<int64_t>(ASeconds, 0);
    int64_t Hours = ASeconds / 3600;
    int64_t Minutes = ASeconds % 3600 / 60;
    if (Hours != 0)
        return IntToStr(Hours) + " " + AHoursWord + " " + IntToStr(Minutes) + " " + AMinutesWord;
    return IntToStr(Minutes) + " " + AMinutesWord + " " + IntToStr(ASeconds % 60) + " " + ASecondsWord;
}

String FormatDimensions(int32_t AWidth, int32_t AHeight)
{
    return IntToStr(AWidth) + "x" + IntToStr(AHeight);
}

bool ParseBoolText(std::string_view AText)
{
    if (AText.empty())
        return false;
    switch (AText.front()) {
    case 'T':
    case 't':
        return true;
    case 'F':
    case 'f':
        return false;
    default:
        int64_t Value = 0;
        return TryStrToInt64(AText, Value) && Value != 0;
    }
}

// ---- Text files --------------------------------------------------------------------------

bool ReadStreamText(TStream* AStream, int64_t ACount, String& AText)
{
    try {
        int64_t Available = AStream->Size() - AStream->Position();
        if (ACount == -1)
            ACount = Available;
        if (ACount <= 0) {
            AText.clear();
            return true;
        }
        // Checked before allocating, so a wild count cannot ask for the whole memory.
        if (ACount > Available)
            return false;
        TBytes Bytes(static_cast<size_t>(ACount));
        AStream->ReadBuffer(Bytes.data(), ACount);
        AText = TEncoding::ANSI()->GetString(Bytes);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void SaveTextToFile(const String& AFileName, const String& AText)
{
    SafeWriteFileBytes(AFileName, TEncoding::ANSI()->GetBytes(AText));
}

String LoadTextFromFile(const String& AFileName)
{
    auto File = Owned(TFileStream::Create(AFileName, fmOpenRead | fmShareDenyWrite));
    String Text;
    if (!ReadStreamText(File.get(), -1, Text))
        throw EReadError("Stream read error");
    return Text;
}

// ---- Folding -----------------------------------------------------------------------------

String FoldText(std::string_view AText)
{
    std::vector<std::string_view> Chars = Characters(AText);
    String Result;
    Result.reserve(AText.size());
    for (size_t Front = 0, Back = Chars.size(); Front < Back; ++Front) {
        Result += Chars[Front];
        if (--Back > Front)
            Result += Chars[Back];
    }
    return Result;
}

String UnfoldText(std::string_view AFolded)
{
    std::vector<std::string_view> Chars = Characters(AFolded);
    String Result;
    Result.reserve(AFolded.size());
    for (size_t I = 0; I < Chars.size(); I += 2)
        Result += Chars[I];
    for (size_t I = Chars.size() - Chars.size() % 2; I >= 2; I -= 2)
        Result += Chars[I - 1];
    return Result;
}

// XCore.Strings.Tags.cpp: tagged values, size texts and hex dumps.
#include "XCore.Strings.Tags.h"

#include <array>
#include <cstdio>

#include "Rtl.SysUtils.h"

namespace {

constexpr std::array<std::string_view, 5> kXmlChars = {"<", ">", "&", "'", "\""};
constexpr std::array<std::string_view, 5> kXmlEntities = {"&lt;", "&gt;", "&amp;", "&apos;", "&quot;"};

// FIXME: the user's decimal separator once the locale layer is in the build; "." until then.
String FormatNumber(const char* AFormat, double AValue)
{
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, AFormat, AValue);
    return Buffer;
}

}  // namespace

String ReplaceTexts(std::string_view AText, std::span<const std::string_view> ASearch,
                    std::span<const std::string_view> AReplace)
{
    String Result;
    Result.reserve(AText.size());
    size_t I = 0;
    while (I < AText.size()) {
        size_t Match = 0;
        while (Match < ASearch.size() && (ASearch[Match].empty() || AText.substr(I, ASearch[Match].size()) != ASearch[Match]))
            ++Match;
        if (Match < ASearch.size() && Match < AReplace.size()) {
            Result += AReplace[Match];
            I += ASearch[Match].size();
        } else {
            Result += AText[I++];
        }
    }
    return Result;
}

String EscapeXMLText(std::string_view AText)
{
    return ReplaceTexts(AText, kXmlChars, kXmlEntities);
}

String UnescapeXMLText(std::string_view AText)
{
    return ReplaceTexts(AText, kXmlEntities, kXmlChars);
}

String OpenTagText(std::string_view AName)
{
    // Appending, not "<" + name: GCC 12 warns wrongly (-Wrestrict) on that form at -O2.
    String Tag = "<";
    return Tag.append(AName).append(">");
}

String CloseTagText(std::string_view AName)
{
    String Tag = "</";
    return Tag.append(AName).append(">");
}

String WriteTagText(std::string_view AName, std::string_view AValue)
{
    return OpenTagText(AName) + EscapeXMLText(AValue) + CloseTagText(AName);
}

String WriteTagInt64(std::string_view AName, int64_t AValue)
{
    return OpenTagText(AName) + IntToStr(AValue) + CloseTagText(AName);
}

String WriteTagUInt(std::string_view AName, uint32_t AValue)
{
    return OpenTagText(AName) + UIntToStr(AValue) + CloseTagText(AName);
}

String WriteTagBlock(std::string_view AName, std::string_view AText)
{
    return OpenTagText(AName) + "\r\n" + String(AText) + "\r\n" + CloseTagText(AName);
}

String ReadTagText(std::string_view AText, std::string_view AName, size_t AStart)
{
    size_t Open = AText.find(OpenTagText(AName), AStart);
    if (Open == std::string_view::npos)
        return {};
    size_t From = Open + AName.size() + 2;
    size_t Close = AText.find(CloseTagText(AName), From);
    return Close == std::string_view::npos ? String() : String(AText.substr(From, Close - From));
}

int64_t ReadTagInt64(std::string_view AText, std::string_view AName, size_t AStart)
{
    return StrToInt64Def(ReadTagText(AText, AName, AStart), 0);
}

String FormatQuotient(double AValue, double ADivisor)
{
    return FormatNumber("%0.2f", AValue / ADivisor);
}

String FormatByteSize(double ASize)
{
    if (ASize < 1024)
        return FormatNumber("%0.0f bytes", ASize);
    if (ASize < 1048576)
        return FormatNumber("%0.2f KB", ASize / 1024);
    if (ASize >= 1073741824)
        return FormatNumber("%0.2f GB", ASize / 1073741824);
    return FormatNumber("%0.2f MB", ASize / 1048576);
}

String BytesToHexText(std::span<const uint8_t> ABytes, std::string_view ASeparator)
{
    String Result;
    for (uint8_t Byte : ABytes)
        Result += IntToHex(Byte, 2) + String(ASeparator);
    return Result;
}

// XCore.Strings.Tags.cpp: tagged values, size texts and hex dumps.
#include "XCore.Strings.Tags.h"

#include <array>

#include "Rtl.SysUtils.h"
#include "Win.Locale.h"
#include "XCore.Strings.h"

namespace {

constexpr std::array<std::string_view, 5> kXmlChars = {"<", ">", "&", "'", "\""};
constexpr std::array<std::string_view, 5> kXmlEntities = {"&lt;", "&gt;", "&amp;", "&apos;", "&quot;"};

// Two decimals with the user's decimal separator.
String FormatNumber(const char* AFormat, double AValue)
{
    String Text = SafeFormat(AFormat, {AValue});
    String Separator = GetLocaleFormatSettings(LOCALE_USER_DEFAULT).DecimalSeparator;
    if (!Separator.empty() && Separator != ".")
        Text = ReplaceAll(".", Separator, Text);
    return Text;
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

String WriteTagText(std::string_view AName, std::string_view AValue)
{
    return OpenTag(AName) + EscapeXMLText(AValue) + CloseTag(AName);
}

String WriteTagInt64(std::string_view AName, int64_t AValue)
{
    return OpenTag(AName) + IntToStr(AValue) + CloseTag(AName);
}

String WriteTagUInt(std::string_view AName, uint32_t AValue)
{
    return OpenTag(AName) + UIntToStr(AValue) + CloseTag(AName);
}

String WriteTagBlock(std::string_view AName, std::string_view AText)
{
    return OpenTag(AName) + "\r\n" + String(AText) + "\r\n" + CloseTag(AName);
}

int64_t ReadTagInt64(std::string_view AText, std::string_view AName, int AStart)
{
    return StrToInt64Def(ReadTag(AName, AText, AStart), 0);
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

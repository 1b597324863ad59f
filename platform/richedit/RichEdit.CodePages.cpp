#include <iconv.h>

#include <cerrno>

#include "RichEdit.Rtf.h"
#include "Rtl.Encoding.h"

namespace {

// iconv's names of the Windows code pages fonts use; others are read as the ANSI code page.
const char* IconvName(int ACodePage)
{
    switch (ACodePage) {
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 10000: return "MACINTOSH";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

// An iconv descriptor keeps state, so each conversion opens its own.
struct TIconv {
    TIconv(const char* ATo, const char* AFrom) : Handle(iconv_open(ATo, AFrom)) {}
    ~TIconv()
    {
        if (Handle != iconv_t(-1))
            iconv_close(Handle);
    }
    explicit operator bool() const { return Handle != iconv_t(-1); }
    iconv_t Handle;
};

}  // namespace

int CodePageOfCharset(uint8_t ACharset)
{
    switch (ACharset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0;
    }
}

std::u32string DecodeCodePage(int ACodePage, std::string_view ABytes)
{
    const char* Name = IconvName(ACodePage);
    if (Name == nullptr) {
        String Text = TEncoding::ANSI()->GetString(std::span(reinterpret_cast<const uint8_t*>(ABytes.data()), ABytes.size()));
        return ToUtf32(Text);
    }
    TIconv Converter("UTF-32LE", Name);
    std::u32string Result;
    if (!Converter)
        return std::u32string(ABytes.size(), U'\uFFFD');
    char* In = const_cast<char*>(ABytes.data());
    size_t InLeft = ABytes.size();
    while (InLeft > 0) {
        char32_t Buffer[256];
        char* Out = reinterpret_cast<char*>(Buffer);
        size_t OutLeft = sizeof(Buffer);
        size_t Done = iconv(Converter.Handle, &In, &InLeft, &Out, &OutLeft);
        Result.append(Buffer, (sizeof(Buffer) - OutLeft) / sizeof(char32_t));
        if (Done == size_t(-1) && errno != E2BIG) {
            // A byte the code page does not define, or a lead byte without its trail byte.
            Result += U'\uFFFD';
            ++In;
            --InLeft;
            iconv(Converter.Handle, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return Result;
}

bool EncodeCodePage(int ACodePage, char32_t AChar, String& AOut)
{
    const char* Name = IconvName(ACodePage);
    if (Name == nullptr) {
        String Text = ToUtf8(std::u32string_view(&AChar, 1));
        TBytes Bytes = TEncoding::ANSI()->GetBytes(Text);
        if (Bytes.size() != 1 || (Bytes[0] == '?' && AChar != U'?'))
            return false;
        AOut += char(Bytes[0]);
        return true;
    }
    TIconv Converter(Name, "UTF-32LE");
    if (!Converter)
        return false;
    char32_t Char = AChar;
    char* In = reinterpret_cast<char*>(&Char);
    size_t InLeft = sizeof(Char);
    char Buffer[8];
    char* Out = Buffer;
    size_t OutLeft = sizeof(Buffer);
    if (iconv(Converter.Handle, &In, &InLeft, &Out, &OutLeft) == size_t(-1))
        return false;
    AOut.append(Buffer, sizeof(Buffer) - OutLeft);
    return true;
}

// Rtl.SysUtils.cpp: number and string routines of the runtime.
#include "Rtl.SysUtils.h"

#include <sys/random.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

#include "Rtl.Encoding.h"

void RaiseListIndexError(int64_t AIndex)
{
    throw EListError("List index out of bounds (" + IntToStr(AIndex) + ")");
}

int64_t Round(double AValue)
{
    // nearbyint rounds by the current mode, which is to-nearest-even unless someone changed it.
    return static_cast<int64_t>(std::nearbyint(AValue));
}

int64_t Trunc(double AValue)
{
    return static_cast<int64_t>(std::trunc(AValue));
}

int32_t MulDiv(int32_t ANumber, int32_t ANumerator, int32_t ADenominator)
{
    if (ADenominator == 0)
        return -1;
    int64_t Product = static_cast<int64_t>(ANumber) * ANumerator;
    int64_t Quotient = Product / ADenominator;
    int64_t Remainder = Product % ADenominator;
    // Halves away from zero: compare twice the remainder with the divisor, both made positive.
    if (2 * std::llabs(Remainder) >= std::llabs(static_cast<int64_t>(ADenominator)))
        Quotient += ((Product < 0) != (ADenominator < 0)) ? -1 : 1;
    if (Quotient > std::numeric_limits<int32_t>::max() || Quotient < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(Quotient);
}

String IntToStr(int64_t AValue)
{
    return std::to_string(AValue);
}

String UIntToStr(uint64_t AValue)
{
    return std::to_string(AValue);
}

String IntToHex(uint64_t AValue, int ADigits)
{
    char Buffer[32];
    std::snprintf(Buffer, sizeof Buffer, "%0*llX", ADigits, static_cast<unsigned long long>(AValue));
    return Buffer;
}

namespace {

template <class T>
bool TryParseInteger(std::string_view AText, T& AValue)
{
    bool Negative = false;
    if (!AText.empty() && (AText[0] == '-' || AText[0] == '+')) {
        Negative = AText[0] == '-';
        AText.remove_prefix(1);
    }
    int Base = 10;
    if (!AText.empty() && AText[0] == '$') {
        Base = 16;
        AText.remove_prefix(1);
    } else if (AText.size() > 2 && AText[0] == '0' && (AText[1] == 'x' || AText[1] == 'X')) {
        Base = 16;
        AText.remove_prefix(2);
    }
    if (AText.empty())
        return false;
    // Parse the magnitude unsigned so that the most negative value fits, then apply the sign.
    uint64_t Magnitude = 0;
    auto [End, Error] = std::from_chars(AText.data(), AText.data() + AText.size(), Magnitude, Base);
    if (Error != std::errc() || End != AText.data() + AText.size())
        return false;
    using TLimits = std::numeric_limits<T>;
    if (Negative) {
        if (Magnitude > static_cast<uint64_t>(TLimits::max()) + 1)
            return false;
        AValue = static_cast<T>(0 - Magnitude);
    } else {
        // Hexadecimal may spell a negative value by its bits ($FFFFFFFF is -1), as Delphi allows.
        uint64_t Limit = Base == 16 ? static_cast<uint64_t>(std::make_unsigned_t<T>(-1))
                                    : static_cast<uint64_t>(TLimits::max());
        if (Magnitude > Limit)
            return false;
        AValue = static_cast<T>(Magnitude);
    }
    return true;
}

[[noreturn]] void RaiseNotInteger(std::string_view AText)
{
    throw EConvertError("'" + String(AText) + "' is not a valid integer value");
}

[[noreturn]] void RaiseNotFloat(std::string_view AText)
{
    throw EConvertError("'" + String(AText) + "' is not a valid floating point value");
}

// AValue (finite, not 0) as its 15 significant digits without trailing zeros and the decimal
// exponent of the first digit.
std::pair<String, int> SignificantDigits(double AValue)
{
    char Buffer[32];
    auto Written = std::to_chars(Buffer, Buffer + sizeof Buffer, std::fabs(AValue), std::chars_format::scientific, 14);
    std::string_view Text(Buffer, Written.ptr);   // "d.dddddddddddddde+XX"
    size_t E = Text.find('e');
    String Digits = String(1, Text[0]) + String(Text.substr(2, E - 2));
    Digits.erase(Digits.find_last_not_of('0') + 1);
    int Exponent = 0;
    std::string_view ExponentText = Text.substr(E + 1);
    if (ExponentText.front() == '+')
        ExponentText.remove_prefix(1);
    std::from_chars(ExponentText.data(), ExponentText.data() + ExponentText.size(), Exponent);
    return {Digits, Exponent};
}

bool IsAsciiLetter(char C)
{
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
}

char AsciiUpper(char C)
{
    return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

char AsciiLower(char C)
{
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

bool IsTrimmed(char C)
{
    return static_cast<unsigned char>(C) <= ' ';
}

}  // namespace

bool TryStrToInt(std::string_view AText, int32_t& AValue)
{
    return TryParseInteger(AText, AValue);
}

int32_t StrToInt(std::string_view AText)
{
    int32_t Value = 0;
    if (!TryParseInteger(AText, Value))
        RaiseNotInteger(AText);
    return Value;
}

int32_t StrToIntDef(std::string_view AText, int32_t ADefault)
{
    int32_t Value = 0;
    return TryParseInteger(AText, Value) ? Value : ADefault;
}

bool TryStrToInt64(std::string_view AText, int64_t& AValue)
{
    return TryParseInteger(AText, AValue);
}

int64_t StrToInt64(std::string_view AText)
{
    int64_t Value = 0;
    if (!TryParseInteger(AText, Value))
        RaiseNotInteger(AText);
    return Value;
}

int64_t StrToInt64Def(std::string_view AText, int64_t ADefault)
{
    int64_t Value = 0;
    return TryParseInteger(AText, Value) ? Value : ADefault;
}

String FloatToStr(double AValue)
{
    if (std::isnan(AValue))
        return "NAN";
    if (std::isinf(AValue))
        return AValue < 0 ? "-INF" : "INF";
    if (AValue == 0)
        return "0";
    auto [Digits, Exponent] = SignificantDigits(AValue);
    String Result = AValue < 0 ? "-" : "";
    if (Exponent > 14 || Exponent < -4) {
        Result += Digits.substr(0, 1);
        if (Digits.size() > 1)
            Result += "." + Digits.substr(1);
        return Result + "E" + IntToStr(Exponent);
    }
    if (Exponent < 0)
        return Result + "0." + String(static_cast<size_t>(-Exponent - 1), '0') + Digits;
    auto IntegerDigits = static_cast<size_t>(Exponent) + 1;
    if (Digits.size() <= IntegerDigits)
        return Result + Digits + String(IntegerDigits - Digits.size(), '0');
    return Result + Digits.substr(0, IntegerDigits) + "." + Digits.substr(IntegerDigits);
}

bool TryStrToFloat(std::string_view AText, double& AValue)
{
    std::string_view Text = AText;
    bool Negative = !Text.empty() && Text[0] == '-';
    if (!Text.empty() && (Text[0] == '-' || Text[0] == '+'))
        Text.remove_prefix(1);
    // from_chars would also take "inf" and "nan", which are no numbers in a file.
    if (Text.empty() || !(Text[0] == '.' || (Text[0] >= '0' && Text[0] <= '9')))
        return false;
    double Value = 0;
    auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error != std::errc() || End != Text.data() + Text.size())
        return false;
    AValue = Negative ? -Value : Value;
    return true;
}

double StrToFloat(std::string_view AText)
{
    double Value = 0;
    if (!TryStrToFloat(AText, Value))
        RaiseNotFloat(AText);
    return Value;
}

String UpperCase(std::string_view AText)
{
    String Result(AText);
    for (char& C : Result)
        C = AsciiUpper(C);
    return Result;
}

String LowerCase(std::string_view AText)
{
    String Result(AText);
    for (char& C : Result)
        C = AsciiLower(C);
    return Result;
}

int CompareText(std::string_view A, std::string_view B)
{
    size_t Count = std::min(A.size(), B.size());
    for (size_t I = 0; I < Count; ++I) {
        auto CA = static_cast<unsigned char>(AsciiUpper(A[I]));
        auto CB = static_cast<unsigned char>(AsciiUpper(B[I]));
        if (CA != CB)
            return CA < CB ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

bool SameText(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && CompareText(A, B) == 0;
}

int CompareStr(std::string_view A, std::string_view B)
{
    int Result = A.compare(B);
    return Result < 0 ? -1 : (Result > 0 ? 1 : 0);
}

String Trim(std::string_view AText)
{
    return TrimRight(TrimLeft(AText));
}

String TrimLeft(std::string_view AText)
{
    size_t First = 0;
    while (First < AText.size() && IsTrimmed(AText[First]))
        ++First;
    return String(AText.substr(First));
}

String TrimRight(std::string_view AText)
{
    size_t Length = AText.size();
    while (Length > 0 && IsTrimmed(AText[Length - 1]))
        --Length;
    return String(AText.substr(0, Length));
}

bool IsValidIdent(std::string_view AText)
{
    if (AText.empty() || !(IsAsciiLetter(AText[0]) || AText[0] == '_'))
        return false;
    for (char C : AText.substr(1))
        if (!(IsAsciiLetter(C) || (C >= '0' && C <= '9') || C == '_'))
            return false;
    return true;
}

String QuotedStr(std::string_view AText)
{
    String Result = "'";
    for (char C : AText) {
        Result += C;
        if (C == '\'')
            Result += '\'';
    }
    Result += '\'';
    return Result;
}

bool CreateGUID(TGUID& AGuid)
{
    uint8_t Bytes[16];
    if (getrandom(Bytes, sizeof Bytes, 0) != static_cast<ssize_t>(sizeof Bytes))
        return false;
    // RFC 4122: version 4 in the high nibble of byte 6, variant 10 in the top bits of byte 8.
    Bytes[6] = static_cast<uint8_t>((Bytes[6] & 0x0F) | 0x40);
    Bytes[8] = static_cast<uint8_t>((Bytes[8] & 0x3F) | 0x80);
    AGuid.D1 = (uint32_t(Bytes[0]) << 24) | (uint32_t(Bytes[1]) << 16) | (uint32_t(Bytes[2]) << 8) | Bytes[3];
    AGuid.D2 = static_cast<uint16_t>((Bytes[4] << 8) | Bytes[5]);
    AGuid.D3 = static_cast<uint16_t>((Bytes[6] << 8) | Bytes[7]);
    std::copy(Bytes + 8, Bytes + 16, AGuid.D4.begin());
    return true;
}

namespace {

// Parses and renders one Format specifier after its "%".
class TFormatter {
public:
    TFormatter(std::string_view AFormat, const std::vector<TVarRec>& AArgs) : FFormat(AFormat), FArgs(AArgs) {}

    String Run()
    {
        String Result;
        for (FPos = 0; FPos < FFormat.size();) {
            char C = FFormat[FPos++];
            if (C != '%')
                Result += C;
            else if (FPos < FFormat.size() && FFormat[FPos] == '%')
                Result += FFormat[FPos++];
            else
                Result += Specifier();
        }
        return Result;
    }

private:
    [[noreturn]] void Fail() const
    {
        throw EConvertError("Format '" + String(FFormat) + "' invalid or incompatible with argument");
    }

    const TVarRec& NextArg()
    {
        if (FArgIndex >= FArgs.size())
            Fail();
        return FArgs[FArgIndex++];
    }

    // A number of the specifier, "*" for the next argument, or -1 when there is none.
    int64_t Number()
    {
        if (FPos < FFormat.size() && FFormat[FPos] == '*') {
            ++FPos;
            const auto* Value = std::get_if<int64_t>(&NextArg());
            if (Value == nullptr)
                Fail();
            return *Value;
        }
        int64_t Value = -1;
        while (FPos < FFormat.size() && FFormat[FPos] >= '0' && FFormat[FPos] <= '9')
            Value = (Value < 0 ? 0 : Value * 10) + (FFormat[FPos++] - '0');
        return Value;
    }

    String Specifier()
    {
        int64_t First = Number();
        if (FPos < FFormat.size() && FFormat[FPos] == ':') {
            ++FPos;
            FArgIndex = static_cast<size_t>(First < 0 ? 0 : First);
            First = Number();
        }
        bool Left = false;
        if (First < 0 && FPos < FFormat.size() && FFormat[FPos] == '-') {
            Left = true;
            ++FPos;
            First = Number();
        }
        int64_t Precision = -1;
        if (FPos < FFormat.size() && FFormat[FPos] == '.') {
            ++FPos;
            Precision = std::max<int64_t>(Number(), 0);
        }
        if (FPos >= FFormat.size())
            Fail();
        String Text = Render(FFormat[FPos++], Precision);
        return Pad(Text, First, Left);
    }

    String Render(char AType, int64_t APrecision)
    {
        const TVarRec& Arg = NextArg();
        switch (AType | 0x20) {
        case 'd': case 'u': case 'x': {
            const auto* Value = std::get_if<int64_t>(&Arg);
            if (Value == nullptr)
                Fail();
            return Integer(*Value, AType | 0x20, APrecision);
        }
        case 'e': case 'f': case 'g': case 'n': {
            double Value = 0;
            if (const auto* Float = std::get_if<double>(&Arg))
                Value = *Float;
            else if (const auto* Int = std::get_if<int64_t>(&Arg))
                Value = static_cast<double>(*Int);
            else
                Fail();
            return Float(Value, AType | 0x20, APrecision);
        }
        case 's': {
            const auto* Value = std::get_if<String>(&Arg);
            if (Value == nullptr)
                Fail();
            return APrecision < 0 ? *Value : Value->substr(0, CharsToBytes(*Value, APrecision));
        }
        default:
            Fail();
        }
    }

    static String Integer(int64_t AValue, char AType, int64_t APrecision)
    {
        // u and x show a negative 32-bit value by its bits, as the 32-bit platform did.
        uint64_t Bits = AValue < 0 && AValue >= INT32_MIN ? uint32_t(AValue) : uint64_t(AValue);
        String Digits = AType == 'd' ? std::to_string(AValue < 0 ? 0 - uint64_t(AValue) : uint64_t(AValue))
                        : AType == 'u' ? std::to_string(Bits) : IntToHex(Bits, 1);
        if (APrecision > static_cast<int64_t>(Digits.size()))
            Digits.insert(0, static_cast<size_t>(APrecision) - Digits.size(), '0');
        return (AType == 'd' && AValue < 0 ? "-" : "") + Digits;
    }

    static String Float(double AValue, char AType, int64_t APrecision)
    {
        char Buffer[512];
        if (AType == 'e') {
            std::snprintf(Buffer, sizeof Buffer, "%.*E", int(APrecision < 0 ? 14 : std::max<int64_t>(APrecision - 1, 0)),
                          AValue);
            // The exponent has at least three digits ("1.5E+003").
            String Text = Buffer;
            size_t Exponent = Text.find('E');
            if (Exponent != String::npos && Text.size() - Exponent - 2 < 3)
                Text.insert(Exponent + 2, 3 - (Text.size() - Exponent - 2), '0');
            return Text;
        }
        if (AType == 'g') {
            std::snprintf(Buffer, sizeof Buffer, "%.*G", int(APrecision < 0 ? 15 : std::min<int64_t>(APrecision, 17)), AValue);
            return Buffer;
        }
        std::snprintf(Buffer, sizeof Buffer, "%.*f", int(std::min<int64_t>(APrecision < 0 ? 2 : APrecision, 18)), AValue);
        String Text = Buffer;
        if (AType == 'n')
            GroupThousands(Text);
        return Text;
    }

    static void GroupThousands(String& AText)
    {
        size_t Start = AText[0] == '-' ? 1 : 0;
        size_t End = AText.find('.');
        if (End == String::npos)
            End = AText.size();
        for (size_t At = End; At > Start + 3; At -= 3)
            AText.insert(At - 3, 1, ',');
    }

    // The bytes of the first ACount characters of AText.
    static size_t CharsToBytes(const String& AText, int64_t ACount)
    {
        size_t Pos = 0;
        for (int64_t Chars = 0; Pos < AText.size() && Chars < ACount; ++Chars)
            Pos += Utf8CharLength(AText, Pos);
        return Pos;
    }

    static String Pad(const String& AText, int64_t AWidth, bool ALeft)
    {
        int64_t Chars = 0;
        for (char C : AText)
            Chars += (static_cast<unsigned char>(C) & 0xC0) != 0x80;
        if (AWidth <= Chars)
            return AText;
        String Fill(static_cast<size_t>(AWidth - Chars), ' ');
        return ALeft ? AText + Fill : Fill + AText;
    }

    std::string_view FFormat;
    const std::vector<TVarRec>& FArgs;
    size_t FPos = 0;
    size_t FArgIndex = 0;
};

}  // namespace

String Format(std::string_view AFormat, const std::vector<TVarRec>& AArgs)
{
    return TFormatter(AFormat, AArgs).Run();
}

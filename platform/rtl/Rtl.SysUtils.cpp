// Rtl.SysUtils.cpp: number and string routines of the runtime.
#include "Rtl.SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

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

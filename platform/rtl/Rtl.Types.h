// Rtl.Types.h: the runtime's basic value types: String, TBytes, GUIDs, COM result codes, dates
// and money. String is UTF-8 everywhere; a GUID parses from its registry text at compile time.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using String = std::string;
using TBytes = std::vector<uint8_t>;

using HRESULT = int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);

struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    std::array<uint8_t, 8> D4{};

    // "{8C5471A3-7CC6-43D4-AC58-9D9EC771167A}"; a malformed text fails to compile when
    // parsed in a constant expression and throws std::invalid_argument otherwise.
    static constexpr TGUID Parse(std::string_view AText);
    String ToString() const;
    constexpr bool IsEmpty() const { return *this == TGUID{}; }

    friend constexpr bool operator==(const TGUID&, const TGUID&) = default;
    friend constexpr auto operator<=>(const TGUID&, const TGUID&) = default;
};

namespace XRtlDetail {

constexpr uint32_t HexDigit(char C)
{
    if (C >= '0' && C <= '9')
        return static_cast<uint32_t>(C - '0');
    if (C >= 'A' && C <= 'F')
        return static_cast<uint32_t>(C - 'A' + 10);
    if (C >= 'a' && C <= 'f')
        return static_cast<uint32_t>(C - 'a' + 10);
    throw std::invalid_argument("GUID: not a hexadecimal digit");
}

constexpr uint32_t HexValue(std::string_view AText, size_t AFrom, size_t ADigits)
{
    uint32_t Value = 0;
    for (size_t I = 0; I < ADigits; ++I)
        Value = (Value << 4) | HexDigit(AText[AFrom + I]);
    return Value;
}

}  // namespace XRtlDetail

constexpr TGUID TGUID::Parse(std::string_view AText)
{
    using XRtlDetail::HexValue;
    if (AText.size() != 38 || AText[0] != '{' || AText[37] != '}' || AText[9] != '-' || AText[14] != '-'
        || AText[19] != '-' || AText[24] != '-')
        throw std::invalid_argument("GUID: expected {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
    TGUID G;
    G.D1 = HexValue(AText, 1, 8);
    G.D2 = static_cast<uint16_t>(HexValue(AText, 10, 4));
    G.D3 = static_cast<uint16_t>(HexValue(AText, 15, 4));
    G.D4[0] = static_cast<uint8_t>(HexValue(AText, 20, 2));
    G.D4[1] = static_cast<uint8_t>(HexValue(AText, 22, 2));
    for (size_t I = 0; I < 6; ++I)
        G.D4[2 + I] = static_cast<uint8_t>(HexValue(AText, 25 + 2 * I, 2));
    return G;
}

// Days since 30 December 1899, the time of day as the fraction. A type of its own rather than
// an alias of double, so that a published property knows it holds a date; it converts to and
// from double both ways, so arithmetic on it reads as on a double.
struct TDateTime {
    double Value = 0;

    constexpr TDateTime() = default;
    constexpr TDateTime(double AValue) : Value(AValue) {}
    constexpr operator double() const { return Value; }
};

// A fixed-point number with four decimals, held as a 64-bit count of ten-thousandths so that
// sums of money stay exact. Only the conversion to double is explicit: with both directions
// implicit, comparing with a double would be ambiguous.
class Currency {
public:
    constexpr Currency() = default;
    // Rounded to the nearest ten-thousandth, halves to even; a value outside the 64-bit range
    // raises EConvertError.
    Currency(double AValue);
    static constexpr Currency FromScaled(int64_t AScaled)
    {
        Currency Result;
        Result.FScaled = AScaled;
        return Result;
    }

    constexpr int64_t Scaled() const { return FScaled; }
    explicit constexpr operator double() const { return static_cast<double>(FScaled) / 10000; }

    friend constexpr bool operator==(Currency, Currency) = default;
    friend constexpr auto operator<=>(Currency, Currency) = default;

private:
    int64_t FScaled = 0;
};

// Rtl.SysUtils.h: the runtime's exception classes, number helpers with Delphi's rounding
// rules, and the basic string routines. Strings are UTF-8; the case rules are ASCII-only
// unless a routine says otherwise (Delphi's CompareText and SameText are too).
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>
#include <variant>
#include <vector>

#include "Rtl.Types.h"

// ---- Exceptions --------------------------------------------------------------------------

class Exception : public std::exception {
public:
    explicit Exception(String AMessage) : FMessage(std::move(AMessage)) {}
    const String& Message() const { return FMessage; }
    void SetMessage(const String& AValue) { FMessage = AValue; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    String FMessage;
};

#define X_EXCEPTION(Name, Parent)         \
    class Name : public Parent {          \
    public:                               \
        using Parent::Parent;             \
    }

X_EXCEPTION(EAbort, Exception);                       // silent: operation boundaries swallow it
X_EXCEPTION(EInvalidOperation, Exception);
X_EXCEPTION(EInvalidCast, Exception);
X_EXCEPTION(EInvalidPointer, Exception);
X_EXCEPTION(EOutOfMemory, Exception);
X_EXCEPTION(EConvertError, Exception);
X_EXCEPTION(EListError, Exception);
X_EXCEPTION(EStringListError, Exception);
X_EXCEPTION(EComponentError, Exception);
X_EXCEPTION(EClassNotFound, Exception);
X_EXCEPTION(EArgumentException, Exception);
X_EXCEPTION(EArgumentOutOfRangeException, EArgumentException);
X_EXCEPTION(EPropertyError, Exception);
// A stream or file failure; AOSError is the errno of the system call that failed (0 when none
// did), so that a caller can record it beside the message, which already holds its reason.
class EStreamError : public Exception {
public:
    explicit EStreamError(String AMessage, int AOSError = 0) : Exception(std::move(AMessage)), FOSError(AOSError) {}
    int OSError() const { return FOSError; }

private:
    int FOSError = 0;
};
X_EXCEPTION(EReadError, EStreamError);
X_EXCEPTION(EWriteError, EStreamError);
X_EXCEPTION(EFilerError, EStreamError);
X_EXCEPTION(EFOpenError, EStreamError);
X_EXCEPTION(EFCreateError, EStreamError);
X_EXCEPTION(EOSError, Exception);

// Messages the runtime raises with, shared so that tests and callers can match them.
inline constexpr const char* SArgumentOutOfRange = "Argument out of range";
inline constexpr const char* SInvalidCast = "Invalid class typecast";
inline constexpr const char* SOutOfMemory = "Out of memory";

// Raises EListError "List index out of bounds (N)".
[[noreturn]] void RaiseListIndexError(int64_t AIndex);

// ---- Numbers -----------------------------------------------------------------------------

// Delphi's Round: to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int64_t Round(double AValue);
// Delphi's Trunc: towards zero.
int64_t Trunc(double AValue);
// Windows' MulDiv: ANumber * ANumerator / ADenominator with a 64-bit product, rounded to the
// nearest with halves away from zero; -1 when ADenominator is 0 or the result overflows.
int32_t MulDiv(int32_t ANumber, int32_t ANumerator, int32_t ADenominator);
// Pascal's div and mod: the quotient truncates towards zero and the remainder takes the sign
// of the dividend (-7 div 2 = -3, -7 mod 2 = -1), which C++'s / and % also give.
constexpr int64_t Div(int64_t A, int64_t B) { return A / B; }
constexpr int64_t Mod(int64_t A, int64_t B) { return A % B; }

// ---- Strings -----------------------------------------------------------------------------

String IntToStr(int64_t AValue);
String UIntToStr(uint64_t AValue);
// Upper-case hexadecimal with at least ADigits digits.
String IntToHex(uint64_t AValue, int ADigits);
// Decimal with an optional sign, or hexadecimal after "$" or "0x"; surrounding blanks are
// not allowed. StrToInt raises EConvertError "'X' is not a valid integer value".
int32_t StrToInt(std::string_view AText);
int32_t StrToIntDef(std::string_view AText, int32_t ADefault);
bool TryStrToInt(std::string_view AText, int32_t& AValue);
int64_t StrToInt64(std::string_view AText);
int64_t StrToInt64Def(std::string_view AText, int64_t ADefault);
bool TryStrToInt64(std::string_view AText, int64_t& AValue);

// Floating point with "." as the decimal separator whatever the locale: the form numbers take
// in files. FloatToStr gives up to 15 significant digits, in fixed notation unless the exponent
// is above 14 or below -4 ("1E20", "1.5E-7"). StrToFloat accepts an optional sign, digits with
// one optional ".", and an optional exponent; it raises EConvertError
// "'X' is not a valid floating point value".
String FloatToStr(double AValue);
double StrToFloat(std::string_view AText);
bool TryStrToFloat(std::string_view AText, double& AValue);

String UpperCase(std::string_view AText);
String LowerCase(std::string_view AText);
// Case-insensitive for ASCII letters only, byte order otherwise: <0, 0 or >0.
int CompareText(std::string_view A, std::string_view B);
bool SameText(std::string_view A, std::string_view B);
// Exact byte order: <0, 0 or >0.
int CompareStr(std::string_view A, std::string_view B);

// Removes leading and trailing characters up to and including the space (control characters too).
String Trim(std::string_view AText);
String TrimLeft(std::string_view AText);
String TrimRight(std::string_view AText);

// A Pascal identifier: a letter or "_" first, then letters, digits and "_".
bool IsValidIdent(std::string_view AText);
// The text between single quotes, with every quote inside doubled.
String QuotedStr(std::string_view AText);

// ---- Formatting --------------------------------------------------------------------------

// One argument of Format: an integer, a floating-point number or a text.
using TVarRec = std::variant<int64_t, double, String>;

// Delphi's Format. Each specifier is %[index:][-][width][.precision]type, "%%" a percent sign;
// "*" as width or precision takes it from the next argument. Types: d (integer; the precision
// is the least number of digits), u (unsigned), x (upper-case hexadecimal), e, f, g and n
// (floating point: scientific, fixed, the shorter, fixed with "," between thousands; "." is the
// decimal separator) and s (text; the precision is the most characters). The width counts
// characters; "-" aligns left. A specifier that is malformed, lacks its argument or does not fit
// its type raises EConvertError "Format 'F' invalid or incompatible with argument".
String Format(std::string_view AFormat, const std::vector<TVarRec>& AArgs);

// ---- GUIDs -------------------------------------------------------------------------------

// A new random (version 4) GUID; False when the system has no randomness to give.
[[nodiscard]] bool CreateGUID(TGUID& AGuid);

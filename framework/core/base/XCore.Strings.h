// XCore.Strings.h: text helpers: search and extraction from a start position, replacement
// between markers, quoting, tag texts, the radix coding, padding, a fixed-width splitter, and
// byte strings read from, written to and kept in streams.
// Texts are UTF-8. Positions are 1-based byte positions (0: not found), so a position found by
// one helper is a valid Start for another; a match never begins inside a character.
// The "Raw" forms name the byte-string variants; with UTF-8 throughout they are the same.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "Rtl.Streams.h"
#include "Rtl.SysUtils.h"
#include "Rtl.Types.h"

class TStrings;

// ---- Search and extraction ----------------------------------------------------------------

// The first ASubStr in AText at or after AStart (below 1 counts as 1); 0 when either is empty.
int PosFrom(std::string_view ASubStr, std::string_view AText, int AStart = 1);
// As PosFrom; a character of AText matches the pattern's character, its upper- or lower-case form.
int PosFromIgnoreCase(std::string_view ASubStr, std::string_view AText, int AStart = 1);
// Equal texts, each character matching the other's in either case (any script, not only ASCII).
bool SameTextIgnoreCase(std::string_view A, std::string_view B);
inline int RawPosFrom(std::string_view ASubStr, std::string_view AText, int AStart = 1)
{
    return PosFrom(ASubStr, AText, AStart);
}
// The start of the last ASubStr lying wholly within the first ACount bytes (-1: all of AText).
int RawLastPos(std::string_view ASubStr, std::string_view AText, int ACount = -1);

// The text between the first AStartTag at or after AStart and the first AEndTag after it;
// empty when either is missing.
String ExtractBetween(std::string_view AStartTag, std::string_view AEndTag, std::string_view AText, int AStart = 1);
String ExtractBetweenIgnoreCase(std::string_view AStartTag, std::string_view AEndTag, std::string_view AText,
                                int AStart = 1);
inline String RawExtractBetween(std::string_view AStartTag, std::string_view AEndTag, std::string_view AText,
                                int AStart = 1)
{
    return ExtractBetween(AStartTag, AEndTag, AText, AStart);
}
// As ExtractBetween, up to the last AEndTag of the whole text.
String RawExtractBetweenLast(std::string_view AStartTag, std::string_view AEndTag, std::string_view AText,
                             int AStart = 1);

// Without ASeparator, ABefore is the whole text and AAfter empty.
void SplitAtFirst(std::string_view AText, String& ABefore, String& AAfter, std::string_view ASeparator);
String TextBefore(std::string_view AText, std::string_view ASeparator);
String TextAfter(std::string_view AText, std::string_view ASeparator);

// ---- Replacement --------------------------------------------------------------------------

String ReplaceAll(std::string_view AOldPattern, std::string_view ANewPattern, std::string_view AText);
String ReplaceAllIgnoreCase(std::string_view AOldPattern, std::string_view ANewPattern, std::string_view AText);
// Each AStartTag ... AEndTag pair from AStart on keeps its tags; the text between becomes ANewText.
String ReplaceBetween(std::string_view AStartTag, std::string_view AEndTag, std::string_view ANewText,
                      std::string_view AText, int AStart = 1);
// Each AStartTag ... AEndTag block from AStart on, tags included, becomes ANewText.
String ReplaceEnclosed(std::string_view AStartTag, std::string_view AEndTag, std::string_view ANewText,
                       std::string_view AText, int AStart = 1);
// One left-to-right pass: at each position the first pattern that matches there is replaced by
// the replacement of the same index; empty patterns never match. Raises EArgumentException
// when the lists differ in length.
String RawReplaceMulti(std::string_view AText, const std::vector<String>& APatterns,
                       const std::vector<String>& AReplacements);
// The five predefined XML entities, in one pass ("&amp;lt;" gives "&lt;").
String UnescapeXMLEntities(std::string_view AText);

// ---- Quoting and identifiers --------------------------------------------------------------

// Empty stays empty; a text that starts with AQuote is kept; otherwise quoted, inner quotes doubled.
String EnsureQuoted(std::string_view AText, char AQuote);
// Surrounding quotes removed and doubled quotes halved; a text not enclosed in AQuote is kept.
String UnquoteStr(std::string_view AText, char AQuote);
// Trimmed; every character outside space ! # * - . 0-9 : A-Z _ a-z becomes "_".
String SanitizeIdentifier(std::string_view AText);
// The non-empty lines joined with ASeparator.
String JoinStrings(std::string_view ASeparator, const TStrings* ALines);
// A new GUID as 36 upper-case characters without braces; empty when none can be made.
String CreateGUIDText();

// ---- Streams and files -------------------------------------------------------------------

// ACount bytes from the position (-1: up to the end) as text in the system ANSI code page.
// Any failure, a short stream among them, gives the empty text.
String ReadStreamString(TStream* AStream, int64_t ACount);
// ACount bytes from the position (-1: up to the end) as they are. Raises EReadError when the
// stream holds fewer than a positive ACount; other counts give the empty string.
String ReadStreamUTF8(TStream* AStream, int64_t ACount);
void WriteRawToStream(TStream* AStream, std::string_view AData);
// Saved through a temporary file, so a failure leaves an existing file as it was; raises
// EFCreateError or EWriteError.
void SaveRawToFile(const String& AFileName, std::string_view AData);

// ---- Tags ---------------------------------------------------------------------------------

String OpenTag(std::string_view AName);
String CloseTag(std::string_view AName);
inline String RawOpenTag(std::string_view AName) { return OpenTag(AName); }
inline String RawCloseTag(std::string_view AName) { return CloseTag(AName); }
// <Tag name="Value">, or <Tag> when AValue is empty.
String RawOpenTagNamed(std::string_view ATag, std::string_view AValue);
String ReadTag(std::string_view AName, std::string_view AText, int AStart = 1);
// The tag's text as an integer; 0 (ADefault) when missing or not a number.
int32_t ReadTagInt(std::string_view AName, std::string_view AText, int AStart = 1);
int32_t ReadTagIntDef(std::string_view AName, std::string_view AText, int32_t ADefault, int AStart = 1);
inline String RawReadTag(std::string_view AName, std::string_view AText, int AStart = 1)
{
    return ReadTag(AName, AText, AStart);
}
// From the first opening tag to the last closing tag of the whole text.
String RawReadTagToLast(std::string_view AName, std::string_view AText, int AStart = 1);
// Opening tag, CR LF, the value, CR LF, closing tag.
String RawWriteTag(std::string_view AName, std::string_view AValue);
String RawWriteTagNamed(std::string_view ATag, std::string_view ANameValue, std::string_view AText);

// ---- Radix coding -------------------------------------------------------------------------
// Digits come from one table of 36 symbols, "0".."9" then "A".."Z", so radix 16 is ordinary
// upper-case hexadecimal. A radix outside 2..36 raises EArgumentOutOfRangeException.

// AValue's digits, left-padded with "0" to AWidth (0: no padding; "0" for the value 0).
String IntToRadix(uint32_t AValue, int ARadix, int AWidth = 0);
// A character outside the table counts as the digit -1; the sum wraps in 32 bits.
int32_t RadixToInt(std::string_view ADigits, int ARadix);
// Digits per coded byte: 2 from radix 16 up, otherwise 32 / radix rounded up.
int RadixDigitWidth(int ARadix);
String EncodeRadix(std::string_view AData, int ARadix);
// Each group of RadixDigitWidth digits back to one byte. Groups are counted in UTF-16 units;
// a lone last unit is not decoded.
String DecodeRadix(std::string_view AText, int ARadix);
// Each group back to one UTF-16 code unit, the result as UTF-8; backspace, line feed, carriage
// return and space pass through unchanged.
String DecodeRadixText(std::string_view AText, int ARadix);
inline String DecodeOctal(std::string_view AText) { return DecodeRadix(AText, 8); }

// ---- Padding ------------------------------------------------------------------------------

// Format, or AFormat itself when the arguments do not fit it.
String SafeFormat(std::string_view AFormat, const std::vector<TVarRec>& AArgs);
// ACount copies of the character; empty for a count of 0 or less.
String CharString(char32_t AChar, int ACount);
String RawCharString(char AChar, int ACount);
// The decimal text with APadChar in front up to AWidth characters, before any sign ("0-5").
String PadInt(int64_t AValue, char32_t APadChar, int AWidth);
inline String ZeroPadInt(int64_t AValue, int AWidth) { return PadInt(AValue, U'0', AWidth); }
String RawPadLeft(std::string_view AText, char APadChar, int AWidth);

// ---- Fixed-width fields -------------------------------------------------------------------

struct TXStrFields {
    std::vector<String> Fields;

    // Empty for an index outside the fields.
    String GetField(int AIndex) const;
    // A negative index does nothing; an index past the end adds empty fields up to it.
    void SetField(int AIndex, const String& AValue);
    // Splits at every character of ASeparators: n separators give n + 1 fields; an empty text none.
    void Split(std::string_view AText, std::string_view ASeparators);
    // Pieces of AWidth characters, the last one shorter; no fields for a width of 0 or less.
    void SplitFixed(std::string_view AText, int AWidth);
};

// ---- A stream over a byte string ----------------------------------------------------------

// The position stays within 0..length: seeks are clamped, so a read never meets a gap.
// A write overwrites in place and grows the string only past its end.
class TXRawStringStream : public TStream {
    X_CLASS(TXRawStringStream, TStream)
public:
    static TXRawStringStream* CreateFromData(const String& AData) { return Create(AData); }

    const String& Data() const { return FData; }
    void Clear();

    int64_t Read(void* ABuffer, int64_t ACount) override;
    int64_t Write(const void* ABuffer, int64_t ACount) override;
    // From the end counts like every stream: length + AOffset.
    int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t ANewSize) override;

protected:
    TXRawStringStream() = default;
    void Construct(const String& AData = {});

private:
    String FData;
    int64_t FPosition = 0;
};

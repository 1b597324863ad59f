// Rtl.ComponentText.cpp: binary component streams to text and back.
#include "Rtl.ComponentText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "Rtl.ComponentStreams.h"
#include "Rtl.Encoding.h"

namespace {

constexpr const char* kLineBreak = "\r\n";
// Source characters per line of a long string, and bytes per line of binary data.
constexpr size_t kStringPieceLength = 64;
constexpr size_t kBytesPerLine = 32;
// Nesting deeper than any real file: crafted text must not exhaust the stack.
constexpr int kMaxTextDepth = 64;

const char* const kHeaderWords[] = {"object", "inherited", "inline"};

String Indent(int ALevel)
{
    return String(static_cast<size_t>(ALevel) * 2, ' ');
}

// ---- Binary to text ----------------------------------------------------------------------

// The code point of the UTF-8 character at APos, which is ALength bytes long. A malformed byte
// stands for the character of its value.
char32_t CodePointAt(std::string_view AText, size_t APos, size_t ALength)
{
    auto Byte = [&](size_t I) { return static_cast<unsigned char>(AText[APos + I]); };
    if (ALength == 1)
        return Byte(0);
    char32_t Code = Byte(0) & (0xFF >> (ALength + 1));
    for (size_t I = 1; I < ALength; ++I)
        Code = (Code << 6) | (Byte(I) & 0x3F);
    return Code;
}

// The string as quoted runs and #codes, in pieces of about kStringPieceLength characters.
std::vector<String> QuotedPieces(std::string_view AText)
{
    std::vector<String> Pieces(1);
    bool InQuotes = false;
    for (size_t Pos = 0; Pos < AText.size();) {
        size_t Length = Utf8CharLength(AText, Pos);
        char32_t Code = CodePointAt(AText, Pos, Length);
        Pos += Length;
        if (Pieces.back().size() >= kStringPieceLength) {
            if (InQuotes)
                Pieces.back() += '\'';
            Pieces.emplace_back();
            InQuotes = false;
        }
        String& Piece = Pieces.back();
        bool Printable = Code >= ' ' && Code < 0x7F;
        if (Printable != InQuotes) {
            Piece += '\'';
            InQuotes = Printable;
        }
        if (!Printable)
            Piece += "#" + UIntToStr(Code);
        else
            Piece += Code == '\'' ? String("''") : String(1, static_cast<char>(Code));
    }
    if (InQuotes)
        Pieces.back() += '\'';
    if (Pieces.back().empty())
        Pieces.back() = "''";
    return Pieces;
}

// Shortest text that reads back to the same value, with "." and an upper-case exponent.
template <class TFloat>
String FloatText(TFloat AValue)
{
    char Buffer[64];
    auto [End, Error] = std::to_chars(Buffer, Buffer + sizeof(Buffer), AValue);
    String Text(Buffer, End);
    size_t E = Text.find('e');
    if (E == String::npos)
        return Text;
    String Exponent = Text.substr(E + 1);
    bool Negative = Exponent[0] == '-';
    size_t Digits = Exponent.find_first_not_of("+-0");
    return Text.substr(0, E) + "E" + (Negative ? "-" : "") + Exponent.substr(Digits);
}

// Ten-thousandths as an exact decimal.
String CurrencyText(int64_t AScaled)
{
    bool Negative = AScaled < 0;
    uint64_t Magnitude = Negative ? 0 - static_cast<uint64_t>(AScaled) : static_cast<uint64_t>(AScaled);
    String Text = UIntToStr(Magnitude / 10000);
    String Fraction = UIntToStr(Magnitude % 10000 + 10000).substr(1);
    Fraction.erase(Fraction.find_last_not_of('0') + 1);
    if (!Fraction.empty())
        Text += "." + Fraction;
    return (Negative ? "-" : "") + Text;
}

String HexLine(const TBytes& ABytes, size_t AFrom)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    String Line;
    for (size_t I = AFrom; I < ABytes.size() && I < AFrom + kBytesPerLine; ++I) {
        Line += kDigits[ABytes[I] >> 4];
        Line += kDigits[ABytes[I] & 15];
    }
    return Line;
}

class TTextWriter {
public:
    explicit TTextWriter(TReader* AReader) : FReader(AReader) {}
    void WriteObject(TFilerFlag AFlag, int ALevel);
    const String& Text() const { return FText; }

private:
    void WriteProperties(int ALevel);
    // The value's text; a value that takes several lines starts with a line break.
    String ValueText(int ALevel);
    String ListText(int ALevel);
    String CollectionText(int ALevel);
    String SetText();
    String StringText(int ALevel);
    String BinaryText(int ALevel);

    TReader* FReader;
    String FText;
};

void TTextWriter::WriteObject(TFilerFlag AFlag, int ALevel)
{
    String ClassName = FReader->ReadStr();
    String Name = FReader->ReadStr();
    FText += Indent(ALevel) + kHeaderWords[AFlag] + " " + (Name.empty() ? ClassName : Name + ": " + ClassName) + kLineBreak;
    WriteProperties(ALevel + 1);
    TFilerFlag Flag;
    while (FReader->ReadPrefix(Flag))
        WriteObject(Flag, ALevel + 1);
    FText += Indent(ALevel) + "end" + kLineBreak;
}

void TTextWriter::WriteProperties(int ALevel)
{
    for (String Path = FReader->ReadStr(); !Path.empty(); Path = FReader->ReadStr()) {
        String Value = ValueText(ALevel);
        FText += Indent(ALevel) + Path + (Value.starts_with(kLineBreak) ? " =" : " = ") + Value + kLineBreak;
    }
}

String TTextWriter::ValueText(int ALevel)
{
    if (ALevel > kMaxTextDepth)
        throw EReadError("Component stream nested too deeply");
    switch (FReader->NextValue()) {
    case vaList:
        return ListText(ALevel);
    case vaInt:
        return IntToStr(FReader->ReadInteger());
    case vaExtended: {
        // A plain float keeps a "." or an exponent, or it would read back as an integer.
        FReader->ReadValue();
        String Text = FloatText(FReader->ReadDoublePayload());
        return Text.find_first_of(".E") == String::npos ? Text + ".0" : Text;
    }
    case vaSingle:
        FReader->ReadValue();
        return FloatText(FReader->ReadSinglePayload()) + "s";
    case vaCurrency:
        FReader->ReadValue();
        return CurrencyText(FReader->ReadInt64Payload()) + "c";
    case vaDate:
        FReader->ReadValue();
        return FloatText(FReader->ReadDoublePayload()) + "d";
    case vaString:
        return StringText(ALevel);
    case vaIdent:
        return FReader->ReadIdent();
    case vaNil:
        FReader->ReadValue();
        return "nil";
    case vaSet:
        return SetText();
    case vaCollection:
        return CollectionText(ALevel);
    case vaBinary:
        return BinaryText(ALevel);
    default:
        throw EReadError("Invalid stream format");
    }
}

String TTextWriter::ListText(int ALevel)
{
    FReader->ReadListBegin();
    String Text = "(";
    while (!FReader->EndOfList()) {
        // A long string's pieces line up with the items.
        String Value = FReader->NextValue() == vaString ? StringText(ALevel) : ValueText(ALevel + 1);
        Text += Value.starts_with(kLineBreak) ? Value : kLineBreak + Indent(ALevel + 1) + Value;
    }
    FReader->ReadListEnd();
    return Text + ")";
}

String TTextWriter::CollectionText(int ALevel)
{
    FReader->ReadValue();
    String Text = "<";
    while (!FReader->EndOfList()) {
        FReader->ReadListBegin();
        Text += kLineBreak + Indent(ALevel + 1) + "item" + kLineBreak;
        // WriteProperties appends to FText; the item's lines belong to this value.
        std::swap(Text, FText);
        WriteProperties(ALevel + 2);
        std::swap(Text, FText);
        Text += Indent(ALevel + 1) + "end";
    }
    FReader->ReadValue();
    return Text + ">";
}

String TTextWriter::SetText()
{
    FReader->ReadValue();
    String Text = "[";
    for (String Name = FReader->ReadStr(); !Name.empty(); Name = FReader->ReadStr())
        Text += (Text.size() > 1 ? ", " : "") + Name;
    return Text + "]";
}

String TTextWriter::StringText(int ALevel)
{
    std::vector<String> Pieces = QuotedPieces(FReader->ReadString());
    if (Pieces.size() == 1)
        return Pieces[0];
    String Text;
    for (size_t I = 0; I < Pieces.size(); ++I)
        Text += kLineBreak + Indent(ALevel + 1) + Pieces[I] + (I + 1 < Pieces.size() ? " +" : "");
    return Text;
}

String TTextWriter::BinaryText(int ALevel)
{
    FReader->ReadValue();
    TBytes Bytes = FReader->ReadBinaryPayload();
    String Text = "{";
    for (size_t From = 0; From < Bytes.size(); From += kBytesPerLine)
        Text += kLineBreak + Indent(ALevel + 1) + HexLine(Bytes, From);
    return Text + "}";
}

// ---- Text to binary ----------------------------------------------------------------------

enum TToken : uint8_t { toEOF, toSymbol, toIdent, toString, toInteger, toFloat };

// Splits the text into tokens; a string token is all its quoted runs and #codes joined.
class TParser {
public:
    explicit TParser(String AText) : FText(std::move(AText)) { NextToken(); }

    TToken Token() const { return FToken; }
    char Symbol() const { return FToken == toSymbol ? FTokenText[0] : '\0'; }
    const String& TokenText() const { return FTokenText; }
    const String& StringValue() const { return FString; }
    // The float's suffix ('s', 'c', 'd') or '\0'.
    char FloatType() const { return FFloatType; }
    bool IsWord(std::string_view AWord) const { return FToken == toIdent && SameText(FTokenText, AWord); }
    void NextToken();
    [[noreturn]] void Error(const String& AMessage) const;
    void CheckSymbol(char ASymbol);
    String ReadIdent();
    // The bytes of "{...}", the opening brace taken.
    TBytes ReadHex();

private:
    char Peek(size_t AOffset = 0) const { return FPos + AOffset < FText.size() ? FText[FPos + AOffset] : '\0'; }
    void SkipBlanks();
    void ReadNumber();
    void ReadString();
    void ReadQuoted(std::u16string& AUnits);
    void ReadCharCode(std::u16string& AUnits);

    String FText;
    size_t FPos = 0;
    int FLine = 1;
    TToken FToken = toEOF;
    String FTokenText;
    String FString;
    char FFloatType = '\0';
};

bool IsIdentStart(char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}

bool IsDigit(char C)
{
    return C >= '0' && C <= '9';
}

bool IsHexDigit(char C)
{
    return IsDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
}

void TParser::Error(const String& AMessage) const
{
    throw EParserError("Error in line " + IntToStr(FLine) + ": " + AMessage);
}

void TParser::SkipBlanks()
{
    while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') {
        if (FText[FPos] == '\n')
            ++FLine;
        ++FPos;
    }
}

void TParser::NextToken()
{
    SkipBlanks();
    FTokenText.clear();
    FFloatType = '\0';
    char C = Peek();
    if (FPos >= FText.size()) {
        FToken = toEOF;
    } else if (IsIdentStart(C)) {
        size_t Start = FPos;
        while (IsIdentStart(Peek()) || IsDigit(Peek()) || Peek() == '.')
            ++FPos;
        FTokenText = FText.substr(Start, FPos - Start);
        FToken = toIdent;
    } else if (IsDigit(C) || C == '$') {
        ReadNumber();
    } else if (C == '\'' || C == '#') {
        ReadString();
    } else {
        FTokenText = String(1, C);
        ++FPos;
        FToken = toSymbol;
    }
}

// Decimal (with "." and an exponent for floats, then an optional s, c or d) or "$" hexadecimal.
void TParser::ReadNumber()
{
    size_t Start = FPos;
    FToken = toInteger;
    if (Peek() == '$') {
        ++FPos;
        while (IsHexDigit(Peek()))
            ++FPos;
    } else {
        while (IsDigit(Peek()))
            ++FPos;
        if (Peek() == '.' && IsDigit(Peek(1))) {
            FToken = toFloat;
            for (++FPos; IsDigit(Peek());)
                ++FPos;
        }
        size_t Sign = Peek(1) == '+' || Peek(1) == '-' ? 1 : 0;
        if ((Peek() == 'e' || Peek() == 'E') && IsDigit(Peek(1 + Sign))) {
            FToken = toFloat;
            for (FPos += 1 + Sign; IsDigit(Peek());)
                ++FPos;
        }
    }
    FTokenText = FText.substr(Start, FPos - Start);
    char Suffix = static_cast<char>(Peek() | 0x20);
    if (FTokenText[0] != '$' && (Suffix == 's' || Suffix == 'c' || Suffix == 'd')) {
        FToken = toFloat;
        FFloatType = Suffix;
        ++FPos;
    }
    if (IsIdentStart(Peek()) || IsDigit(Peek()) || FTokenText == "$")
        Error("Invalid number");
}

void TParser::ReadString()
{
    std::u16string Units;
    while (Peek() == '\'' || Peek() == '#') {
        if (Peek() == '\'')
            ReadQuoted(Units);
        else
            ReadCharCode(Units);
    }
    FString = Utf16ToUtf8(Units);
    FToken = toString;
}

void TParser::ReadQuoted(std::u16string& AUnits)
{
    String Raw;
    for (++FPos;; ++FPos) {
        if (FPos >= FText.size() || FText[FPos] == '\r' || FText[FPos] == '\n')
            Error("Unterminated string");
        if (FText[FPos] == '\'') {
            if (Peek(1) != '\'')
                break;
            ++FPos;
        }
        Raw += FText[FPos];
    }
    ++FPos;
    String Decoded = TEncoding::ANSI()->GetString(std::span(reinterpret_cast<const uint8_t*>(Raw.data()), Raw.size()));
    AUnits += Utf8ToUtf16(Decoded);
}

// "#" and a decimal or "$" hexadecimal code point, or one half of a surrogate pair.
void TParser::ReadCharCode(std::u16string& AUnits)
{
    ++FPos;
    bool Hex = Peek() == '$';
    FPos += Hex ? 1 : 0;
    uint32_t Code = 0;
    size_t Digits = 0;
    for (; Hex ? IsHexDigit(Peek()) : IsDigit(Peek()); ++FPos, ++Digits) {
        if (Code > 0x10FFFF)
            Error("Invalid character code");
        char C = Peek();
        uint32_t Digit = IsDigit(C) ? static_cast<uint32_t>(C - '0') : static_cast<uint32_t>((C | 0x20) - 'a' + 10);
        Code = Code * (Hex ? 16 : 10) + Digit;
    }
    if (Digits == 0 || Code > 0x10FFFF)
        Error("Invalid character code");
    if (Code > 0xFFFF) {
        Code -= 0x10000;
        AUnits += static_cast<char16_t>(0xD800 + (Code >> 10));
        AUnits += static_cast<char16_t>(0xDC00 + (Code & 0x3FF));
    } else {
        AUnits += static_cast<char16_t>(Code);
    }
}

void TParser::CheckSymbol(char ASymbol)
{
    if (Symbol() != ASymbol)
        Error(String("'") + ASymbol + "' expected");
    NextToken();
}

String TParser::ReadIdent()
{
    if (FToken != toIdent)
        Error("Identifier expected");
    String Result = FTokenText;
    NextToken();
    return Result;
}

TBytes TParser::ReadHex()
{
    TBytes Bytes;
    for (SkipBlanks(); Peek() != '}'; SkipBlanks()) {
        if (!IsHexDigit(Peek()) || !IsHexDigit(Peek(1)))
            Error("Invalid binary value");
        Bytes.push_back(static_cast<uint8_t>(std::stoul(FText.substr(FPos, 2), nullptr, 16)));
        FPos += 2;
    }
    ++FPos;
    NextToken();
    return Bytes;
}

class TBinaryWriter {
public:
    TBinaryWriter(TParser& AParser, TWriter* AWriter) : FParser(AParser), FWriter(AWriter) {}
    void ConvertObject();

private:
    void ConvertHeader();
    void ConvertProperty();
    void ConvertValue();
    void ConvertNumber(bool ANegative);
    Currency ParseCurrency(const String& AText) const;
    void ConvertIdentValue();
    void ConvertString();
    void ConvertSet();
    void ConvertList();
    void ConvertCollection();
    bool AtHeader() const;

    TParser& FParser;
    TWriter* FWriter;
    int FDepth = 0;

    struct TDepthGuard {
        explicit TDepthGuard(TBinaryWriter& AOwner) : Owner(AOwner)
        {
            if (++Owner.FDepth > kMaxTextDepth)
                Owner.FParser.Error("Nested too deeply");
        }
        ~TDepthGuard() { --Owner.FDepth; }
        TBinaryWriter& Owner;
    };
};

bool TBinaryWriter::AtHeader() const
{
    for (const char* Word : kHeaderWords)
        if (FParser.IsWord(Word))
            return true;
    return false;
}

void TBinaryWriter::ConvertObject()
{
    TDepthGuard Depth(*this);
    if (!AtHeader())
        FParser.Error("'object' expected");
    ConvertHeader();
    while (!FParser.IsWord("end") && !AtHeader())
        ConvertProperty();
    FWriter->WriteStr({});
    while (AtHeader())
        ConvertObject();
    FWriter->WriteValue(vaNull);
    if (!FParser.IsWord("end"))
        FParser.Error("'end' expected");
    FParser.NextToken();
}

// "object Name: TClass" or "object TClass" for an unnamed component.
void TBinaryWriter::ConvertHeader()
{
    TFilerFlag Flag = ffObject;
    for (uint8_t I = 0; I < std::size(kHeaderWords); ++I)
        if (FParser.IsWord(kHeaderWords[I]))
            Flag = static_cast<TFilerFlag>(I);
    FParser.NextToken();
    String First = FParser.ReadIdent();
    String Name;
    String ClassName = First;
    if (FParser.Symbol() == ':') {
        FParser.NextToken();
        Name = First;
        ClassName = FParser.ReadIdent();
    }
    FWriter->WritePrefix(Flag);
    FWriter->WriteStr(ClassName);
    FWriter->WriteStr(Name);
}

void TBinaryWriter::ConvertProperty()
{
    FWriter->WriteStr(FParser.ReadIdent());
    FParser.CheckSymbol('=');
    ConvertValue();
}

void TBinaryWriter::ConvertValue()
{
    TDepthGuard Depth(*this);
    switch (FParser.Token()) {
    case toInteger:
    case toFloat:
        return ConvertNumber(false);
    case toString:
        return ConvertString();
    case toIdent:
        return ConvertIdentValue();
    case toSymbol:
        break;
    default:
        FParser.Error("Value expected");
    }
    switch (FParser.Symbol()) {
    case '-':
        FParser.NextToken();
        if (FParser.Token() != toInteger && FParser.Token() != toFloat)
            FParser.Error("Number expected");
        return ConvertNumber(true);
    case '[':
        return ConvertSet();
    case '(':
        return ConvertList();
    case '<':
        return ConvertCollection();
    case '{':
        return FWriter->WriteBinary(FParser.ReadHex());
    default:
        FParser.Error("Invalid property value");
    }
}

void TBinaryWriter::ConvertNumber(bool ANegative)
{
    String Text = (ANegative ? "-" : "") + FParser.TokenText();
    if (FParser.Token() == toInteger) {
        int64_t Value;
        if (!TryStrToInt64(Text, Value))
            FParser.Error("Integer out of range: " + Text);
        FWriter->WriteInteger(Value);
    } else {
        double Value;
        if (!TryStrToFloat(Text, Value) || !std::isfinite(Value)
            || (FParser.FloatType() == 's' && !std::isfinite(static_cast<float>(Value))))
            FParser.Error("Invalid floating point value: " + Text);
        switch (FParser.FloatType()) {
        case 's':
            FWriter->WriteSingle(static_cast<float>(Value));
            break;
        case 'c':
            FWriter->WriteCurrency(ParseCurrency(Text));
            break;
        case 'd':
            FWriter->WriteDate(Value);
            break;
        default:
            FWriter->WriteFloat(Value);
        }
    }
    FParser.NextToken();
}

// Exact for plain decimals of up to four places, which is what the writer gives; anything
// else is rounded through a double.
Currency TBinaryWriter::ParseCurrency(const String& AText) const
{
    size_t Dot = AText.find('.');
    String Fraction = Dot == String::npos ? String() : AText.substr(Dot + 1);
    int64_t Whole;
    int64_t Scaled;
    if (Fraction.size() <= 4 && Fraction.find_first_not_of("0123456789") == String::npos
        && TryStrToInt64(AText.substr(0, Dot), Whole)
        && !__builtin_mul_overflow(Whole, int64_t(10000), &Scaled)) {
        int64_t Part = Fraction.empty() ? 0 : StrToInt64((Fraction + "000").substr(0, 4));
        if (!__builtin_add_overflow(Scaled, AText[0] == '-' ? -Part : Part, &Scaled))
            return Currency::FromScaled(Scaled);
    }
    try {
        return Currency(StrToFloat(AText));
    } catch (const EConvertError&) {
        FParser.Error("Currency out of range: " + AText);
    }
}

void TBinaryWriter::ConvertIdentValue()
{
    if (FParser.IsWord("nil"))
        FWriter->WriteValue(vaNil);
    else
        FWriter->WriteIdent(FParser.TokenText());
    FParser.NextToken();
}

// Quoted runs and codes, and further strings joined by "+".
void TBinaryWriter::ConvertString()
{
    String Value = FParser.StringValue();
    for (FParser.NextToken(); FParser.Symbol() == '+'; FParser.NextToken()) {
        FParser.NextToken();
        if (FParser.Token() != toString)
            FParser.Error("String expected");
        Value += FParser.StringValue();
    }
    FWriter->WriteString(Value);
}

void TBinaryWriter::ConvertSet()
{
    FParser.NextToken();
    FWriter->WriteValue(vaSet);
    while (FParser.Symbol() != ']') {
        FWriter->WriteStr(FParser.ReadIdent());
        if (FParser.Symbol() == ',')
            FParser.NextToken();
        else if (FParser.Symbol() != ']')
            FParser.Error("']' expected");
    }
    FParser.NextToken();
    FWriter->WriteStr({});
}

void TBinaryWriter::ConvertList()
{
    FParser.NextToken();
    FWriter->WriteListBegin();
    while (FParser.Symbol() != ')')
        ConvertValue();
    FParser.NextToken();
    FWriter->WriteListEnd();
}

// "<" then "item" blocks of properties, each closed by "end", then ">".
void TBinaryWriter::ConvertCollection()
{
    FParser.NextToken();
    FWriter->WriteValue(vaCollection);
    while (FParser.Symbol() != '>') {
        if (!FParser.IsWord("item"))
            FParser.Error("'item' expected");
        FParser.NextToken();
        FWriter->WriteListBegin();
        while (!FParser.IsWord("end"))
            ConvertProperty();
        FWriter->WriteStr({});
        FParser.NextToken();
    }
    FParser.NextToken();
    FWriter->WriteListEnd();
}

String ReadRest(TStream* AInput)
{
    int64_t Count = AInput->Size() - AInput->Position();
    String Text(static_cast<size_t>(std::max<int64_t>(Count, 0)), '\0');
    AInput->ReadBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    return Text;
}

}  // namespace

void ObjectBinaryToText(TStream* AInput, TStream* AOutput)
{
    auto Reader = Owned(TReader::Create(AInput, 4096));
    Reader->ReadSignature();
    TFilerFlag Flag;
    if (!Reader->ReadPrefix(Flag))
        throw EReadError("Invalid stream format");
    TTextWriter Writer(Reader.get());
    Writer.WriteObject(Flag, 0);
    AOutput->WriteBuffer(Writer.Text().data(), static_cast<int64_t>(Writer.Text().size()));
}

// The binary form is built apart and copied out whole, so that bad text leaves AOutput as it was.
void ObjectTextToBinary(TStream* AInput, TStream* AOutput)
{
    TParser Parser(ReadRest(AInput));
    auto Binary = Owned(TMemoryStream::Create());
    auto Writer = Owned(TWriter::Create(Binary.get()));
    Writer->WriteSignature();
    TBinaryWriter Converter(Parser, Writer.get());
    Converter.ConvertObject();
    AOutput->WriteBuffer(Binary->Memory(), Binary->Size());
}

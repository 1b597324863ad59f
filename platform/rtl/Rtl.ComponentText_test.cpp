// The text form: each value form read and written back in its one written shape, headers,
// and malformed text rejected with a parser error that leaves the output alone.
#include "Rtl.ComponentText.h"

#include <gtest/gtest.h>

#include "Rtl.ComponentStreams.h"

namespace {

// The text's bytes as they are, not re-encoded.
TOwned<TMemoryStream> BytesOf(const String& AText)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AText.data(), static_cast<int64_t>(AText.size()));
    Stream->SetPosition(0);
    return Stream;
}

String TextToBinaryToText(const String& AText)
{
    auto Text = BytesOf(AText);
    auto Binary = Owned(TMemoryStream::Create());
    ObjectTextToBinary(Text.get(), Binary.get());
    Binary->SetPosition(0);
    auto Out = Owned(TStringStream::Create());
    ObjectBinaryToText(Binary.get(), Out.get());
    return Out->DataString();
}

struct TValueForm {
    const char* Name;
    String Input;
    String Written;   // what follows the property name
};

const TValueForm kValueForms[] = {
    {"QuotedAndCodes", "'a'#$42'c'#39", " = 'aBc'''"},
    {"ControlCharacters", "#9'x'#0", " = #9'x'#0"},
    {"JoinedWithPlus", "'x' +\r\n    'y' + #10", " = 'xy'#10"},
    {"Empty", "''", " = ''"},
    {"SurrogatePair", "#55357#56832", " = #128512"},
    {"AnsiByteInQuotes", "'caf\xE9'", " = 'caf'#233"},
    {"Utf8WrittenAsCodes", "#8364", " = #8364"},
    {"LongStringSplit", "'" + String(70, 'x') + "'",
     " =\r\n    '" + String(63, 'x') + "' +\r\n    '" + String(7, 'x') + "'"},
    {"Integer", "-17", " = -17"},
    {"Hexadecimal", "$FF", " = 255"},
    {"Int64", "9223372036854775807", " = 9223372036854775807"},
    {"Float", "1.50", " = 1.5"},
    {"FloatExponent", "1e20", " = 1E20"},
    {"FloatWhole", "2.0", " = 2.0"},
    {"FloatNegativeZero", "-0.0", " = -0.0"},
    {"FloatSmall", "-2.5E-7", " = -2.5E-7"},
    {"Single", "0.1s", " = 0.1s"},
    {"SingleFromInteger", "3s", " = 3s"},
    {"Currency", "12.3456c", " = 12.3456c"},
    {"CurrencyNegative", "-0.5c", " = -0.5c"},
    {"CurrencyLarge", "922337203685477.5807c", " = 922337203685477.5807c"},
    {"Date", "45000.5d", " = 45000.5d"},
    {"Identifier", "True", " = True"},
    {"DottedIdentifier", "Form1.Button1", " = Form1.Button1"},
    {"Nil", "nil", " = nil"},
    {"Set", "[ b ,a ]", " = [b, a]"},
    {"EmptySet", "[]", " = []"},
    {"List", "( 1 'a'\r\n Ident )", " = (\r\n    1\r\n    'a'\r\n    Ident)"},
    {"ListOfLongString", "('" + String(65, 'y') + "')",
     " = (\r\n    '" + String(63, 'y') + "' +\r\n    'yy')"},
    {"EmptyList", "()", " = ()"},
    {"Binary", "{ 0a\r\n ff }", " = {\r\n    0AFF}"},
    {"EmptyBinary", "{}", " = {}"},
    {"Collection", "<item P = 1 end item end>", " = <\r\n    item\r\n      P = 1\r\n    end\r\n    item\r\n    end>"},
    {"EmptyCollection", "<>", " = <>"},
};

class ValueFormTest : public ::testing::TestWithParam<TValueForm> {};

TEST_P(ValueFormTest, ReadsAndWritesBack)
{
    String Text = TextToBinaryToText("object X: TX\r\n  P = " + GetParam().Input + "\r\nend\r\n");
    EXPECT_EQ(Text, "object X: TX\r\n  P" + GetParam().Written + "\r\nend\r\n");
}

INSTANTIATE_TEST_SUITE_P(Values, ValueFormTest, ::testing::ValuesIn(kValueForms),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(ComponentTextTest, HeadersAndNestingAreNormalised)
{
    String Text = TextToBinaryToText("OBJECT Form1 : TForm\n"
                                     "inherited Panel1: TPanel  Caption = 'p'\n"
                                     "inline Frame1: TFrame object TLabel end end\n"
                                     "end\n"
                                     "END trailing words are not read");
    EXPECT_EQ(Text,
              "object Form1: TForm\r\n"
              "  inherited Panel1: TPanel\r\n"
              "    Caption = 'p'\r\n"
              "    inline Frame1: TFrame\r\n"
              "      object TLabel\r\n"
              "      end\r\n"
              "    end\r\n"
              "  end\r\n"
              "end\r\n");
}

struct TMalformed {
    const char* Name;
    String Text;
};

const TMalformed kMalformed[] = {
    {"Empty", ""},
    {"Garbage", "\x01\x02garbage"},
    {"HeaderOnly", "object"},
    {"NoClassAfterColon", "object A:\r\nend"},
    {"MissingEnd", "object A: T\r\n  P = 1\r\n"},
    {"MissingEquals", "object A: T\r\n  P 1\r\nend"},
    {"MissingValue", "object A: T\r\n  P =\r\nend"},
    {"UnterminatedString", "object A: T\r\n  P = 'abc\r\nend"},
    {"StringAtEnd", "object A: T\r\n  P = 'abc"},
    {"PlusWithoutString", "object A: T\r\n  P = 'a' + 1\r\nend"},
    {"CodeWithoutDigits", "object A: T\r\n  P = #\r\nend"},
    {"CodeTooLarge", "object A: T\r\n  P = #1114112\r\nend"},
    {"CodeOverflow", "object A: T\r\n  P = #99999999999999999999\r\nend"},
    {"IntegerOutOfRange", "object A: T\r\n  P = 99999999999999999999\r\nend"},
    {"CurrencyOutOfRange", "object A: T\r\n  P = 1e300c\r\nend"},
    {"FloatOverflow", "object A: T\r\n  P = 1e999\r\nend"},
    {"SingleOverflow", "object A: T\r\n  P = 1e39s\r\nend"},
    {"NumberRunsIntoLetters", "object A: T\r\n  P = 12ab\r\nend"},
    {"LoneDollar", "object A: T\r\n  P = $\r\nend"},
    {"MinusWithoutNumber", "object A: T\r\n  P = -x\r\nend"},
    {"UnclosedSet", "object A: T\r\n  P = [a, b\r\nend"},
    {"SetOfNumbers", "object A: T\r\n  P = [1]\r\nend"},
    {"UnclosedList", "object A: T\r\n  P = (1 2"},
    {"UnclosedCollection", "object A: T\r\n  P = <\r\n    item\r\n"},
    {"CollectionWithoutItem", "object A: T\r\n  P = <1>\r\nend"},
    {"OddHexDigits", "object A: T\r\n  P = {0A1}\r\nend"},
    {"NotHex", "object A: T\r\n  P = {zz}\r\nend"},
    {"UnclosedBinary", "object A: T\r\n  P = {0A"},
    {"StraySymbol", "object A: T\r\n  P = )\r\nend"},
    {"DeepLists", "object A: T\r\n  P = " + String(10000, '(')},
    {"DeepObjects", [] {
         String Text;
         for (int I = 0; I < 10000; ++I)
             Text += "object T\r\n";
         return Text;
     }()},
};

class MalformedTextTest : public ::testing::TestWithParam<TMalformed> {};

TEST_P(MalformedTextTest, RaisesParserErrorAndWritesNothing)
{
    auto Text = BytesOf(GetParam().Text);
    auto Binary = Owned(TMemoryStream::Create());
    EXPECT_THROW(ObjectTextToBinary(Text.get(), Binary.get()), EParserError);
    EXPECT_EQ(Binary->Size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Text, MalformedTextTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(ComponentTextTest, ParserErrorNamesTheLine)
{
    auto Text = Owned(TStringStream::Create("object A: T\r\n  P = 1\r\n  Q = ?\r\nend\r\n"));
    auto Binary = Owned(TMemoryStream::Create());
    try {
        ObjectTextToBinary(Text.get(), Binary.get());
        FAIL() << "no error";
    } catch (const EParserError& E) {
        EXPECT_EQ(E.Message(), "Error in line 3: Invalid property value");
    }
}

TEST(ComponentTextTest, MalformedBinaryRaisesReadError)
{
    auto Text = Owned(TStringStream::Create("object A: T\r\n  P = (1 'two' [x])\r\nend\r\n"));
    auto Binary = Owned(TMemoryStream::Create());
    ObjectTextToBinary(Text.get(), Binary.get());
    const TBytes Whole(Binary->Memory(), Binary->Memory() + Binary->Size());

    std::vector<TBytes> Damaged;
    for (size_t Size = 0; Size < Whole.size(); ++Size)
        Damaged.emplace_back(Whole.begin(), Whole.begin() + static_cast<ptrdiff_t>(Size));
    TBytes BadSignature = Whole;
    BadSignature[0] = 'Y';
    Damaged.push_back(BadSignature);
    for (const TBytes& Bytes : Damaged) {
        auto In = Owned(TMemoryStream::Create());
        In->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        In->SetPosition(0);
        auto Out = Owned(TStringStream::Create());
        EXPECT_THROW(ObjectBinaryToText(In.get(), Out.get()), EReadError) << Bytes.size();
    }
}

}  // namespace

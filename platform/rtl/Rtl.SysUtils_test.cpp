// Rounding rules, number texts and the string routines that files and messages depend on.
#include "Rtl.SysUtils.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SysUtilsTest, RoundTiesToEvenAndMulDivAwayFromZero)
{
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(2.51), 3);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 1, -2), -3);
    EXPECT_EQ(MulDiv(100, 144, 96), 150);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 2), -1);   // the quotient overflows
    EXPECT_EQ(Div(-7, 2), -3);
    EXPECT_EQ(Mod(-7, 2), -1);
}

struct TIntCase {
    const char* Text;
    bool Valid;
    int32_t Value;
};

TEST(SysUtilsTest, IntegerTexts)
{
    const TIntCase Cases[] = {
        {"42", true, 42},          {"-2147483648", true, INT32_MIN}, {"2147483648", false, 0},
        {"$FF", true, 255},        {"0x10", true, 16},               {"$FFFFFFFF", true, -1},
        {" 1", false, 0},          {"", false, 0},                   {"+7", true, 7},
        {"12a", false, 0},         {"-", false, 0},
    };
    for (const TIntCase& C : Cases) {
        int32_t Value = 0;
        EXPECT_EQ(TryStrToInt(C.Text, Value), C.Valid) << C.Text;
        if (C.Valid) {
            EXPECT_EQ(Value, C.Value) << C.Text;
        }
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
    EXPECT_EQ(StrToIntDef("x", 9), 9);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
}

TEST(SysUtilsTest, TextComparisonsAndTrimming)
{
    EXPECT_EQ(CompareText("abc", "ABD"), -1);
    EXPECT_EQ(CompareText("ab", "AB"), 0);
    EXPECT_EQ(CompareText("ab", "a"), 1);
    EXPECT_TRUE(SameText("Panel1", "PANEL1"));
    EXPECT_FALSE(SameText("Ä", "ä"));   // letter case is ASCII-only here
    EXPECT_EQ(CompareStr("a", "B"), 1);
    EXPECT_EQ(Trim("\t x y \r\n"), "x y");
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_TRUE(IsValidIdent("_Panel1"));
    EXPECT_FALSE(IsValidIdent("1Panel"));
    EXPECT_FALSE(IsValidIdent("Pa nel"));
    EXPECT_EQ(IntToHex(255, 4), "00FF");
}

TEST(SysUtilsTest, FloatToStrGivesFifteenDigitsFixedOrScientific)
{
    struct TRow {
        double Value;
        const char* Expected;
    };
    const TRow Rows[] = {
        {0, "0"},
        {1.5, "1.5"},
        {-0.125, "-0.125"},
        {100, "100"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {1e14, "100000000000000"},
        {1e15, "1E15"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {-1.5e-7, "-1.5E-7"},
    };
    for (const TRow& Row : Rows)
        EXPECT_EQ(FloatToStr(Row.Value), Row.Expected);
}

TEST(SysUtilsTest, StrToFloatTakesDecimalTextOnly)
{
    struct TRow {
        const char* Text;
        double Expected;
    };
    const TRow Valid[] = {
        {"1.5", 1.5}, {"-2", -2}, {"+3", 3}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000}, {"-1.25E+2", -125},
    };
    for (const TRow& Row : Valid)
        EXPECT_EQ(StrToFloat(Row.Text), Row.Expected) << Row.Text;
    for (const char* Text : {"", ".", "abc", "1,5", " 1", "1 ", "inf", "nan", "1e", "--1", "+-1", "1e999"}) {
        double Value = 7;
        EXPECT_FALSE(TryStrToFloat(Text, Value)) << Text;
        EXPECT_EQ(Value, 7) << Text;
    }
    try {
        StrToFloat("1,5");
        FAIL() << "a comma was taken for a decimal point";
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), "'1,5' is not a valid floating point value");
    }
}

TEST(SysUtilsTest, FormatRendersEachSpecifier)
{
    const struct {
        const char* Format;
        std::vector<TVarRec> Args;
        const char* Expected;
    } Cases[] = {
        {"%d%%", {int64_t(42)}, "42%"},
        {"%.4d|%5d|%-5d|", {int64_t(-7), int64_t(12), int64_t(12)}, "-0007|   12|12   |"},
        {"%x %u", {int64_t(-1), int64_t(-1)}, "FFFFFFFF 4294967295"},
        {"%1:s %0:s", {String("a"), String("b")}, "b a"},
        {"%*d", {int64_t(4), int64_t(5)}, "   5"},
        {"%.2f %.0f %f", {1.005, 2.5, 3.0}, "1.00 2 3.00"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.3e", {1500.0}, "1.50E+003"},
        {"%g", {0.5}, "0.5"},
        {"%.2s|%4s", {String("Жук"), String("ü")}, "Жу|   ü"},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Format(Case.Format, Case.Args), Case.Expected) << Case.Format;
}

TEST(SysUtilsTest, FormatRejectsWhatDoesNotFit)
{
    for (const char* Bad : {"%d", "%s %s", "%", "%q"})
        EXPECT_THROW(Format(Bad, {String("x")}), EConvertError) << Bad;
}

}  // namespace

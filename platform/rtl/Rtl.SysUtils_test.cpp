// Rounding rules and the string routines that files and messages depend on.
#include "Rtl.SysUtils.h"

#include <gtest/gtest.h>

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

}  // namespace

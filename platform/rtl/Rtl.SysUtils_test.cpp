// Number text of the runtime: floating point in the form files hold it.
#include "Rtl.SysUtils.h"

#include <gtest/gtest.h>

namespace {

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

}  // namespace

// Colour records and the conversions between colour spaces. Pixels are copied out of colour
// values before they are compared: the packed member cannot be bound to a reference.
#include "XMedia.Colors.h"

#include <gtest/gtest.h>

namespace {

void ExpectPixelNear(TXFotoPixel AActual, TXFotoPixel AExpected, float ATolerance)
{
    EXPECT_NEAR(AActual.C1, AExpected.C1, ATolerance);
    EXPECT_NEAR(AActual.C2, AExpected.C2, ATolerance);
    EXPECT_NEAR(AActual.C3, AExpected.C3, ATolerance);
}

TEST(MediaColorsTest, TColorAndPixelBytes)
{
    TXRGBColor C = ColorToRGBColor(0x00336699);
    EXPECT_EQ(C, (TXRGBColor{0x33, 0x66, 0x99}));
    EXPECT_EQ(RGBColorToColor(C), 0x00336699);
    SetRGBClamped(C, 300, -4, 17);
    EXPECT_EQ(C, (TXRGBColor{17, 0, 255}));
    EXPECT_TRUE(IsGreyRGB(TXRGBColor{9, 9, 9}));
    EXPECT_FALSE(IsGreyRGB(TXRGBColor{9, 9, 8}));
}

TEST(MediaColorsTest, SystemColoursAreResolved)
{
    TColor Saved = GetSysColor(COLOR_BTNFACE);
    SetSysColor(COLOR_BTNFACE, 0x00102030);
    TColor ButtonFace = TColor(0xFF000000u | COLOR_BTNFACE);
    EXPECT_EQ(ColorToRGBColor(ButtonFace), (TXRGBColor{0x10, 0x20, 0x30}));
    TXColorValue V = ColorValueFromColor(ButtonFace);
    EXPECT_EQ(V.Alpha, 255);
    EXPECT_EQ(ColorValueToColor(V), 0x00102030);
    SetSysColor(COLOR_BTNFACE, Saved);
}

struct TKnownColor {
    const char* Name;
    TColor Color;
    TXColorSpace Space;
    TXFotoPixel Expected;
    float Tolerance;
};

const TKnownColor kKnownColors[] = {
    {"RedToHSL", RGB(255, 0, 0), spHSL, {0, 1, 0.5f}, 1e-6f},
    {"GreenToHSL", RGB(0, 255, 0), spHSL, {120, 1, 0.5f}, 1e-4f},
    {"PaleBlueToHSL", RGB(128, 128, 255), spHSL, {240, 1, 0.75098f}, 1e-3f},
    {"MagentaToHSLWrapsHue", RGB(255, 0, 128), spHSL, {329.88f, 1, 0.5f}, 1e-2f},
    {"GreyToHSL", RGB(77, 77, 77), spHSL, {0, 0, 0.30196f}, 1e-5f},
    {"RedToCMY", RGB(255, 0, 0), spCMY, {0, 1, 1}, 1e-6f},
    {"RedToXYZ", RGB(255, 0, 0), spXYZ, {41.24f, 21.26f, 1.93f}, 1e-3f},
    {"WhiteToXYZ", RGB(255, 255, 255), spXYZ, {95.05f, 100, 108.9f}, 1e-2f},
    {"WhiteToLab", RGB(255, 255, 255), spLab, {100, 0, -0.01f}, 1e-2f},
    {"RedToLab", RGB(255, 0, 0), spLab, {53.24f, 80.11f, 67.22f}, 1e-2f},
    {"BlackToLab", RGB(0, 0, 0), spLab, {0, 0, 0}, 1e-4f},
};

class KnownColorTest : public ::testing::TestWithParam<TKnownColor> {};

TEST_P(KnownColorTest, ConvertsAndComesBack)
{
    const TKnownColor& C = GetParam();
    TXColorValue V = ColorValueFromColorIn(C.Color, C.Space);
    EXPECT_EQ(V.Space, C.Space);
    EXPECT_EQ(V.Alpha, 255);
    ExpectPixelNear(V.Pixel, C.Expected, C.Tolerance);
    EXPECT_EQ(ColorValueToColor(V), C.Color);
}

INSTANTIATE_TEST_SUITE_P(Colors, KnownColorTest, ::testing::ValuesIn(kKnownColors),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(MediaColorsTest, EveryPairOfSpacesRoundTrips)
{
    const TXColorSpace kSpaces[] = {spRGB, spHSL, spCMY, spXYZ, spLab};
    const TColor kColors[] = {RGB(12, 200, 99), RGB(250, 250, 3), RGB(1, 2, 3), RGB(128, 64, 255)};
    for (TColor Color : kColors)
        for (TXColorSpace From : kSpaces)
            for (TXColorSpace To : kSpaces) {
                TXColorValue V = ColorValueFromColorIn(Color, From);
                ConvertColorValueInPlace(V, To);
                EXPECT_EQ(V.Space, To);
                EXPECT_EQ(ColorValueToColor(V), Color) << int(From) << " -> " << int(To);
            }
}

TEST(MediaColorsTest, OutOfGamutValuesAreClampedOnlyAtTheEnd)
{
    TXColorValue V{spXYZ, 255, {150, 20, -30}};
    TXColorValue Rgb;
    ConvertColorValue(V, spRGB, Rgb);
    TXFotoPixel P = Rgb.Pixel;
    EXPECT_GT(P.C3, 255);   // red keeps its excess
    EXPECT_LT(P.C2, 0);
    EXPECT_EQ(ColorValueToColor(V), RGB(255, 0, 0));
    TXColorValue Wild{spRGB, 255, {std::numeric_limits<float>::quiet_NaN(), 1e30f, -1e30f}};
    EXPECT_EQ(ColorValueToColor(Wild), RGB(0, 255, 0));
}

TEST(MediaColorsTest, ConvertingIntoTheSourceItself)
{
    TXColorValue V = ColorValueFromColor(RGB(255, 0, 0));
    ConvertColorValue(V, spHSL, V);
    EXPECT_EQ(V.Space, spHSL);
    EXPECT_TRUE(V.Pixel == (TXFotoPixel{0, 1, 0.5f}));
}

TEST(MediaColorsTest, UnknownSpacesKeepTheComponents)
{
    TXColorValue V{spRGB, 7, {1, 2, 3}};
    TXColorValue Out;
    ConvertColorValue(V, TXColorSpace(4), Out);
    EXPECT_EQ(Out.Space, 4);
    EXPECT_EQ(Out.Alpha, 7);
    EXPECT_TRUE(Out.Pixel == (TXFotoPixel{1, 2, 3}));
    ConvertColorValue(TXColorValue{TXColorSpace(5), 0, {9, 8, 7}}, spHSL, Out);
    EXPECT_EQ(Out.Space, spHSL);
    EXPECT_TRUE(Out.Pixel == (TXFotoPixel{9, 8, 7}));
}

TEST(MediaColorsTest, HueToChannelWrapsAndFollowsTheFourSegments)
{
    EXPECT_FLOAT_EQ(HueToChannel(0, 1, 30), 127.5f);
    EXPECT_FLOAT_EQ(HueToChannel(0, 1, 390), 127.5f);
    EXPECT_FLOAT_EQ(HueToChannel(0, 1, -330), 127.5f);
    EXPECT_FLOAT_EQ(HueToChannel(0, 1, 100), 255);
    EXPECT_FLOAT_EQ(HueToChannel(0, 1, 210), 127.5f);
    EXPECT_FLOAT_EQ(HueToChannel(0.2f, 1, 300), 51);
}

TEST(MediaColorsTest, ComponentExtremes)
{
    EXPECT_EQ(MaxComponent(TXFotoPixel{-1, 5, 2}), 5);
    EXPECT_EQ(MinComponent(TXFotoPixel{-1, 5, 2}), -1);
}

TEST(MediaColorsTest, ChannelsAreStoredByName)
{
    EXPECT_EQ(GetEnumName(TypeInfo<TXColorChannel>(), 17), "ccb");
    EXPECT_EQ(GetEnumValue(TypeInfo<TXColorChannel>(), "ccLight"), ccLight);
}

}  // namespace

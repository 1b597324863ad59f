// XMedia.Colors.h: colour records and conversions between RGB, HSL, CMY, CIE XYZ and CIE Lab.
// Pixel bytes run blue, green, red (as in a bitmap); a TColor is 0x00BBGGRR.
#pragma once

#include <cstdint>

#include "Rtl.TypInfo.h"
#include "Win.Graphics.h"

struct TXRGBColor {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    friend bool operator==(const TXRGBColor&, const TXRGBColor&) = default;
};

struct TXRGBAColor {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Alpha = 0;
    friend bool operator==(const TXRGBAColor&, const TXRGBAColor&) = default;
};

// Three components whose meaning is set by the colour space of the value holding them:
// RGB blue, green, red (0..255); HSL hue (degrees), saturation, lightness (0..1); CMY cyan,
// magenta, yellow (0..1); XYZ X, Y, Z; Lab L, a, b.
struct TXFotoPixel {
    float C1 = 0;
    float C2 = 0;
    float C3 = 0;
    friend bool operator==(TXFotoPixel, TXFotoPixel) = default;
};

// Colour space codes. A value may carry another code; no conversion is defined for it.
enum TXColorSpace : uint8_t { spRGB = 0, spHSL = 1, spCMY = 2, spXYZ = 3, spLab = 6 };

// Packed to 14 bytes, so Pixel is misaligned: pass it by value, never bind a reference to it.
#pragma pack(push, 1)
struct TXColorValue {
    TXColorSpace Space = spRGB;
    uint8_t Alpha = 0;
    TXFotoPixel Pixel;
};
#pragma pack(pop)

static_assert(sizeof(TXRGBColor) == 3 && sizeof(TXRGBAColor) == 4 && sizeof(TXColorValue) == 14);

// The three channels of each space follow the component order of TXFotoPixel.
X_ENUM(TXColorChannel, ccMaster, ccBlue, ccGreen, ccRed, ccAlpha, ccHue, ccSaturation, ccLight, ccCyan, ccMagenta,
       ccYellow, ccBlack, ccX, ccY, ccZ, ccL, cca, ccb);

// A system colour (negative) is resolved first.
TXRGBColor ColorToRGBColor(TColor AColor);
TColor RGBColorToColor(const TXRGBColor& AColor);
void SetRGBClamped(TXRGBColor& AColor, int32_t ARed, int32_t AGreen, int32_t ABlue);
bool IsGreyRGB(const TXRGBColor& AColor);

// Space RGB, alpha 255.
TXColorValue ColorValueFromColor(TColor AColor);
TXColorValue ColorValueFromColorIn(TColor AColor, TXColorSpace ASpace);
// Intermediate values are not clamped: an out-of-gamut colour keeps its excess. ADest may be
// ASource itself.
void ConvertColorValue(TXColorValue ASource, TXColorSpace ASpace, TXColorValue& ADest);
void ConvertColorValueInPlace(TXColorValue& AValue, TXColorSpace ASpace);
// Rounded and clamped to 0..255 per channel.
TColor ColorValueToColor(const TXColorValue& AValue);

float MaxComponent(TXFotoPixel APixel);
float MinComponent(TXFotoPixel APixel);

TXFotoPixel RGBToHSL(TXFotoPixel APixel);
TXFotoPixel HSLToRGB(TXFotoPixel APixel);
// One channel of HSLToRGB at hue AHue (degrees), between AM1 and AM2; 0..255.
float HueToChannel(float AM1, float AM2, float AHue);
TXFotoPixel RGBToCMY(TXFotoPixel APixel);
TXFotoPixel CMYToRGB(TXFotoPixel APixel);
TXFotoPixel RGBToXYZ(TXFotoPixel APixel);
TXFotoPixel XYZToRGB(TXFotoPixel APixel);
TXFotoPixel XYZToLab(TXFotoPixel APixel);
TXFotoPixel LabToXYZ(TXFotoPixel APixel);

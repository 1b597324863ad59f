#include "XMedia.Colors.h"

#include <algorithm>
#include <cmath>

#include "Rtl.SysUtils.h"

namespace {

// The reciprocals are single-precision constants that the conversions multiply by, so
// results match to the last bit of a float wherever a division would round differently.
constexpr float kInv255 = 1.0f / 255.0f;
constexpr float kInv1292 = 1.0f / 12.92f;
constexpr float kInv1055 = 1.0f / 1.055f;
constexpr float kInv60 = 1.0f / 60.0f;
constexpr float kInv116 = 1.0f / 116.0f;
constexpr float kInv7787 = 1.0f / 7.787f;
constexpr float kInv95047 = 1.0f / 95.047f;
constexpr float kInv108883 = 1.0f / 108.883f;
constexpr float kInv3 = 1.0f / 3.0f;
constexpr float kInv24 = 1.0f / 2.4f;

TXFotoPixel MakePixel(double A1, double A2, double A3)
{
    return TXFotoPixel{static_cast<float>(A1), static_cast<float>(A2), static_cast<float>(A3)};
}

uint8_t ClampByte(int32_t AValue)
{
    return static_cast<uint8_t>(std::clamp(AValue, 0, 255));
}

// Round, then clamp; a NaN or a huge component must not reach the integer conversion.
uint8_t RoundToByte(double AValue)
{
    if (!(AValue > 0))
        return 0;
    return AValue >= 255 ? 255 : static_cast<uint8_t>(Round(AValue));
}

double SrgbToLinear(double AValue)
{
    return AValue <= 0.04045 ? AValue * kInv1292 : std::pow((AValue + 0.055) * kInv1055, 2.4);
}

double LinearToSrgb(double AValue)
{
    return AValue <= 0.0031308 ? 12.92 * AValue : 1.055 * std::pow(AValue, double(kInv24)) - 0.055;
}

double LabCompress(double AValue)
{
    return AValue > 0.008856 ? std::pow(AValue, double(kInv3)) : 7.787 * AValue + 16 * kInv116;
}

double LabExpand(double AValue)
{
    double Cube = AValue * AValue * AValue;
    return Cube > 0.008856 ? Cube : (AValue - 16 * kInv116) * kInv7787;
}

bool IsKnownSpace(TXColorSpace ASpace)
{
    return ASpace == spRGB || ASpace == spHSL || ASpace == spCMY || ASpace == spXYZ || ASpace == spLab;
}

TXFotoPixel ToRGB(TXFotoPixel APixel, TXColorSpace AFrom)
{
    switch (AFrom) {
    case spHSL: return HSLToRGB(APixel);
    case spCMY: return CMYToRGB(APixel);
    case spXYZ: return XYZToRGB(APixel);
    case spLab: return XYZToRGB(LabToXYZ(APixel));
    default: return APixel;
    }
}

TXFotoPixel FromRGB(TXFotoPixel APixel, TXColorSpace ATo)
{
    switch (ATo) {
    case spHSL: return RGBToHSL(APixel);
    case spCMY: return RGBToCMY(APixel);
    case spXYZ: return RGBToXYZ(APixel);
    case spLab: return XYZToLab(RGBToXYZ(APixel));
    default: return APixel;
    }
}

// XYZ and Lab convert into each other directly; every other pair goes through RGB.
TXFotoPixel ConvertPixel(TXFotoPixel APixel, TXColorSpace AFrom, TXColorSpace ATo)
{
    if (AFrom == spXYZ && ATo == spLab)
        return XYZToLab(APixel);
    if (AFrom == spLab && ATo == spXYZ)
        return LabToXYZ(APixel);
    return FromRGB(ToRGB(APixel, AFrom), ATo);
}

}  // namespace

TXRGBColor ColorToRGBColor(TColor AColor)
{
    if (AColor < 0)
        AColor = GetSysColor(AColor & 0xFF);
    return TXRGBColor{GetBValue(AColor), GetGValue(AColor), GetRValue(AColor)};
}

TColor RGBColorToColor(const TXRGBColor& AColor)
{
    return RGB(AColor.Red, AColor.Green, AColor.Blue);
}

void SetRGBClamped(TXRGBColor& AColor, int32_t ARed, int32_t AGreen, int32_t ABlue)
{
    AColor = TXRGBColor{ClampByte(ABlue), ClampByte(AGreen), ClampByte(ARed)};
}

bool IsGreyRGB(const TXRGBColor& AColor)
{
    return AColor.Red == AColor.Green && AColor.Green == AColor.Blue;
}

TXColorValue ColorValueFromColor(TColor AColor)
{
    TXRGBColor C = ColorToRGBColor(AColor);
    return TXColorValue{spRGB, 255, TXFotoPixel{float(C.Blue), float(C.Green), float(C.Red)}};
}

TXColorValue ColorValueFromColorIn(TColor AColor, TXColorSpace ASpace)
{
    TXColorValue Value = ColorValueFromColor(AColor);
    ConvertColorValueInPlace(Value, ASpace);
    return Value;
}

void ConvertColorValue(TXColorValue ASource, TXColorSpace ASpace, TXColorValue& ADest)
{
    ADest = ASource;
    if (ASpace == ASource.Space)
        return;
    ADest.Space = ASpace;
    if (IsKnownSpace(ASource.Space) && IsKnownSpace(ASpace))
        ADest.Pixel = ConvertPixel(ASource.Pixel, ASource.Space, ASpace);
}

void ConvertColorValueInPlace(TXColorValue& AValue, TXColorSpace ASpace)
{
    ConvertColorValue(AValue, ASpace, AValue);
}

TColor ColorValueToColor(const TXColorValue& AValue)
{
    TXColorValue V;
    ConvertColorValue(AValue, spRGB, V);
    TXFotoPixel P = V.Pixel;
    return RGB(RoundToByte(P.C3), RoundToByte(P.C2), RoundToByte(P.C1));
}

float MaxComponent(TXFotoPixel APixel)
{
    return std::max({APixel.C1, APixel.C2, APixel.C3});
}

float MinComponent(TXFotoPixel APixel)
{
    return std::min({APixel.C1, APixel.C2, APixel.C3});
}

TXFotoPixel RGBToHSL(TXFotoPixel APixel)
{
    double R = APixel.C3 * kInv255, G = APixel.C2 * kInv255, B = APixel.C1 * kInv255;
    double Max = std::max({R, G, B}), Min = std::min({R, G, B});
    double L = (Max + Min) / 2, D = Max - Min;
    if (D == 0)
        return MakePixel(0, 0, L);
    double S = L <= 0.5 ? D / (Max + Min) : D / (2 - Max - Min);
    double H = Max == R ? (G - B) * 60 / D : Max == G ? (B - R) * 60 / D + 120 : (R - G) * 60 / D + 240;
    if (H < 0)
        H += 360;
    else if (H > 360)
        H -= 360;
    return MakePixel(H, S, L);
}

float HueToChannel(float AM1, float AM2, float AHue)
{
    double H = AHue, M1 = AM1, M2 = AM2, V = M1;
    if (H > 360)
        H -= 360;
    else if (H < 0)
        H += 360;
    if (H < 60)
        V = M1 + (M2 - M1) * H * kInv60;
    else if (H < 180)
        V = M2;
    else if (H < 240)
        V = M1 + (M2 - M1) * (240 - H) * kInv60;
    return static_cast<float>(V * 255);
}

TXFotoPixel HSLToRGB(TXFotoPixel APixel)
{
    double H = APixel.C1, S = APixel.C2, L = APixel.C3;
    if (S == 0)
        return MakePixel(L * 255, L * 255, L * 255);
    double M2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
    double M1 = 2 * L - M2;
    auto Channel = [&](double AHue) {
        return HueToChannel(static_cast<float>(M1), static_cast<float>(M2), static_cast<float>(AHue));
    };
    return TXFotoPixel{Channel(H - 120), Channel(H), Channel(H + 120)};
}

TXFotoPixel RGBToCMY(TXFotoPixel APixel)
{
    return MakePixel(1 - APixel.C3 * kInv255, 1 - APixel.C2 * kInv255, 1 - APixel.C1 * kInv255);
}

TXFotoPixel CMYToRGB(TXFotoPixel APixel)
{
    return MakePixel((1 - APixel.C3) * 255, (1 - APixel.C2) * 255, (1 - APixel.C1) * 255);
}

TXFotoPixel RGBToXYZ(TXFotoPixel APixel)
{
    double R = SrgbToLinear(APixel.C3 * kInv255) * 100;
    double G = SrgbToLinear(APixel.C2 * kInv255) * 100;
    double B = SrgbToLinear(APixel.C1 * kInv255) * 100;
    return MakePixel(0.4124 * R + 0.3576 * G + 0.1805 * B, 0.2126 * R + 0.7152 * G + 0.0722 * B,
                     0.0193 * R + 0.1192 * G + 0.9505 * B);
}

TXFotoPixel XYZToRGB(TXFotoPixel APixel)
{
    double X = APixel.C1 * 0.01, Y = APixel.C2 * 0.01, Z = APixel.C3 * 0.01;
    double R = 3.2406 * X - 1.5372 * Y - 0.4986 * Z;
    double G = -0.9689 * X + 1.8758 * Y + 0.0415 * Z;
    double B = 0.0557 * X - 0.204 * Y + 1.057 * Z;
    return MakePixel(LinearToSrgb(B) * 255, LinearToSrgb(G) * 255, LinearToSrgb(R) * 255);
}

TXFotoPixel XYZToLab(TXFotoPixel APixel)
{
    double X = LabCompress(APixel.C1 * kInv95047);
    double Y = LabCompress(APixel.C2 * 0.01);
    double Z = LabCompress(APixel.C3 * kInv108883);
    return MakePixel(116 * Y - 16, 500 * (X - Y), 200 * (Y - Z));
}

TXFotoPixel LabToXYZ(TXFotoPixel APixel)
{
    double FY = (APixel.C1 + 16) * kInv116;
    double FX = APixel.C2 * 0.002 + FY;
    double FZ = FY - APixel.C3 * 0.005;
    return MakePixel(95.047 * LabExpand(FX), 100 * LabExpand(FY), 108.883 * LabExpand(FZ));
}

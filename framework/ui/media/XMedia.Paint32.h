// XMedia.Paint32.h: pixel-level painting on pf24bit and pf32bit bitmaps through their scan
// lines: constant-alpha blending, saturating add and subtract, gradients and channel strips.
// A pixel value is 0x00RRGGBB (low byte blue); a TColor is 0x00BBGGRR.
#pragma once

#include <cstdint>

#include "Vcl.Graphics.h"
#include "XMedia.Colors.h"

// Colour arithmetic.
TColor MakeColorClamped(int32_t ARed, int32_t AGreen, int32_t ABlue);
void ColorToRGBTriple(TColor AColor, TXRGBColor& ATriple);
uint32_t SwapRB(uint32_t AValue);
uint32_t ColorToBGR(TColor AColor);
void BlendRGB(uint8_t AAlpha, TXRGBColor& ATriple, const TXRGBColor& ABack, const TXRGBColor& AFore);
TColor BlendColors(TColor AColor1, TColor AColor2, uint8_t AAlpha);
uint8_t ClampedByteAdd(uint8_t A, uint8_t B);
uint8_t ClampedByteSub(uint8_t A, uint8_t B);
uint32_t AddColors(uint32_t A, uint32_t B);
uint32_t SubColors(uint32_t A, uint32_t B);
void AddRGB(TXRGBColor& ATriple, const TXRGBColor& A, const TXRGBColor& B);
void SubRGB(TXRGBColor& ATriple, const TXRGBColor& A, const TXRGBColor& B);
void ColorToFotoPixel(TColor AColor, TXFotoPixel& APixel);
TColor FotoPixelToColor(TXFotoPixel APixel);
void FotoPixelToRGB(TXFotoPixel APixel, TXRGBColor& ATriple);
uint32_t InverseGrey(uint32_t AValue);

// Scan-line loops over ACount >= 1 pixels. Blends keep a channel at 255 when source and
// destination are both 255; the fourth byte of 32-bit pixels is left as it is.
void CopyRGBPixels(void* ADst, const void* ASrc, int ACount);
void CopyRGBPixelsExceptKey(void* ADst, const void* ASrc, int ACount, uint32_t AKey);
void CopyPixels32ExceptKey(void* ADst, const void* ASrc, int ACount, uint32_t AKey);
void BlendLine24(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha);
void BlendLine32(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha);
void BlendLine24ExceptKey(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha, uint32_t AKey);
void BlendLine32ExceptKey(void* ADst, const void* ASrc, int ACount, uint8_t AAlpha, uint32_t AKey);
void BlendColorLine24(void* ADst, int ACount, uint8_t AAlpha, uint32_t AColor);
void BlendColorLine32(void* ADst, uint32_t AColor, int ACount, uint8_t AAlpha);

// Source rectangle AS drawn at (AX, AY): clips all three to both bitmaps' sizes. True when
// something remains; ARight and ABottom then bound the destination region.
bool ClipBlitRects(TRect& AS, int& AX, int& AY, int& ARight, int& ABottom, int ASourceWidth,
                   int ASourceHeight, int ADestWidth, int ADestHeight);

// Bitmaps. A pf32bit destination takes 4-byte pixels, any other format 3-byte ones.
void AlphaDrawBitmapRect(TBitmap* ADest, TBitmap* ASource, int AX, int AY, uint8_t AAlpha, const TRect& ASourceRect);
void AlphaDrawBitmapRectTransparent(TBitmap* ADest, TBitmap* ASource, int AX, int AY, uint8_t AAlpha,
                                    const TRect& ASourceRect, TColor AKeyColor);
void AlphaDrawBitmapTransparent(TBitmap* ADest, TBitmap* ASource, int AX, int AY, uint8_t AAlpha, TColor AKeyColor);
void BlendColorRect(TBitmap* ABitmap, TColor AColor, const TRect& ARect, uint8_t AAlpha);
void BlendColorBitmap(TBitmap* ABitmap, TColor AColor, uint8_t AAlpha);
// ASource is converted to ADest's pixel format first. The 32-bit fourth byte becomes 0.
void AddBitmapAt(TBitmap* ADest, TBitmap* ASource, int AX, int AY);
void SubtractBitmapAt(TBitmap* ADest, TBitmap* ASource, int AX, int AY);
void FadeGreyMask(TBitmap* ABitmap, uint8_t AAmount);

// Gradients and strips; ADirection 0 runs left to right, 1 top to bottom.
void GradientRect(TBitmap* ABitmap, const TRect& ARect, TColor AColor1, TColor AColor2, int ADirection);
void GradientBitmap(TBitmap* ABitmap, TColor AColor1, TColor AColor2, int ADirection);
// APixel in RGB space; the channel runs from 0 to 255.
void RedStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, int ADirection);
void GreenStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, int ADirection);
void BlueStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, int ADirection);
void RedStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, int ADirection);
void GreenStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, int ADirection);
void BlueStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, int ADirection);

// XMedia.Paint32.h: pixel-level painting on pf24bit and pf32bit bitmaps through their scan
// lines: constant-alpha blending, saturating add and subtract, gradients, colour strips and
// fields, glyph tinting, and rectangle mapping. A pixel value is 0x00RRGGBB (low byte blue); a
// TColor is 0x00BBGGRR. The shared objects are made on first use and are not locked: UI thread.
#pragma once

#include <cstdint>

#include "Vcl.Graphics.h"
#include "Vcl.Imaging.PngImage.h"
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
// Tints a row of a black-on-white mask (4-byte pixels, fourth byte ignored) into 32-bit
// destination pixels: white leaves a pixel, black sets it to AColor, grey blends by coverage.
// A destination pixel equal to AEmpty takes AColor with the mask's coverage as fourth byte.
void TintGlyphLine(void* ADst, const void* AMask, int ACount, uint32_t AEmpty, uint32_t AColor);
// AColor over destination pixel ADest weighed by the coverage of mask pixel AMask and by the
// coverage ADest's fourth byte already holds (0 counts as full).
uint32_t CoverageBlend(uint32_t AMask, uint32_t ADest, uint32_t AColor);

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
// AGlyph (black on white) stretched into ARect of the pf32bit ADest and tinted with AColor;
// magenta destination pixels count as empty. Metafiles have no renderer here and leave ADest
// as it is; any other graphic is drawn. Other destination formats are left alone.
void DrawTintedMetafile(TBitmap* ADest, const TRect& ARect, TColor AColor, TGraphic* AGlyph);

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
// APixel in HSL space; the varied component runs from 0 to its full value (360 degrees, 1)
// along the strip, both ends included. A strip one pixel long draws nothing.
void HueStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, bool AVertical);
void SaturationStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, bool AVertical);
void LightnessStrip(TBitmap* ABitmap, const TRect& ARect, TXFotoPixel APixel, bool AVertical);
void HueStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, bool AVertical);
void SaturationStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, bool AVertical);
void LightnessStripBitmap(TBitmap* ABitmap, TXFotoPixel APixel, bool AVertical);
// ABitmap becomes pf24bit AW x AH: full saturation, hue from 0 to 360 degrees across,
// lightness from 1 in the top row down to 1 / AH in the bottom one.
void MakeColorField(TBitmap* ABitmap, int AW, int AH);

// Shapes.
// A white box with a black frame and both diagonals, 10 pixels wide: the stand-in for a
// missing image.
void DrawCrossedBox(TCanvas* ACanvas, const TRect& ARect);
void DrawLine(TCanvas* ACanvas, int AX1, int AY1, int AX2, int AY2, TColor AColor);
// CheckerBitmap becomes a checkerboard of 4-pixel squares, AColor1 at the top left, and
// CheckerBrush's pattern.
void MakeCheckerBrush(TColor AColor1, TColor AColor2);

// Rectangles between two frames.
// ARect in AFromRect's frame, scaled and moved into AToRect's; (0, 0, 0, 0) when AFromRect
// has no width or height.
void MapRect(const TRect& AToRect, const TRect& AFromRect, const TRect& ARect, TRect& AResult);
// ARect cut to AFromRect and mapped: ADestPart is the part that lands right of and below the
// destination's origin, ASourcePart the part of ARect that it shows. ADestPart is
// (0, 0, 0, 0) when nothing lands.
void MapClipRect(const TRect& AToRect, const TRect& AFromRect, const TRect& ARect, TRect& ADestPart,
                 TRect& ASourcePart);

// Shared objects, freed at exit in this order: the checker brush and bitmap, the glyph scratch
// bitmap, the 32-bit work bitmap, the blank PNG. The shared Lanczos kernel is DefaultKernel.
// A brush whose pattern is CheckerBitmap: grey squares (0xC0C0C0 and 0x808080) until
// MakeCheckerBrush says otherwise.
TBrush* CheckerBrush();
// 8 x 8 pixels in the device format.
TBitmap* CheckerBitmap();
TBitmap* GlyphScratch();
TBitmap* WorkBitmap32();
// 8 x 8, RGB with alpha.
TPngImage* BlankPng();

// XMedia.VCL.Graphics.h: drawing on a canvas by image position (fit, fill, stretch, tile),
// image objects with resampling, icons read from icon files, texts and small shapes.
// "Fill" is FillRect with the canvas's current brush; a nil kernel means the plain stretch.
#pragma once

#include <cstdint>

#include "Vcl.Graphics.h"
#include "Vcl.Imaging.PngImage.h"
#include "XMedia.Classes.h"
#include "XMedia.Graphics.Containers.h"
#include "XMedia.Types.h"

// ---- Text --------------------------------------------------------------------------------

// Brush style bsClear; the font's quality is switched for the call only.
void TextOutWithQuality(TCanvas* ACanvas, int AX, int AY, const String& AText, TFontQuality AQuality);
// ALayout: 0 one line at the top, 1 at the bottom, 2 centred vertically, 3 several lines without
// word wrap. With ACalcOnly nothing is drawn and AOutRect becomes the rectangle the text needs.
void DrawTextInRect(TCanvas* ACanvas, const TRect& ARect, const String& AText, uint8_t ALayout,
                    TAlignment AAlignment, bool ARightToLeft, TXEllipsis AEllipsis, TFontQuality AQuality,
                    bool ACalcOnly, TRect& AOutRect);

// ---- Icons -------------------------------------------------------------------------------

// Reads an icon file from the stream's start and makes an icon of its best entry for
// ARequestedSize ((0, 0): the system icon size). The caller frees AIcon. A file cut short
// raises EReadError, one without entries EInvalidGraphic, an entry that does not decode
// EOutOfResources.
void ReadIconFromStream(TStream* AStream, TPoint ARequestedSize, TIcon*& AIcon, TPoint& AIconSize);
// The icon entry nearest to the rectangle's size, stretched into it.
void DrawIconFromStream(TCanvas* ACanvas, const TRect& ARect, TStream* AStream);
// There is no system error text for drawing here: always "Out Of Resources".
[[noreturn]] void RaiseLastGDIError();
template <class T>
T* GDICheck(T* AHandle)
{
    if (AHandle == nullptr)
        RaiseLastGDIError();
    return AHandle;
}

// ---- Bitmaps -----------------------------------------------------------------------------

void FillBitmap(TBitmap* ABitmap, TColor AColor);
// ADest takes ASource's format, size and pixels.
void CopyBitmap(TBitmap* ADest, TBitmap* ASource);
// ASource moved by (ADX, ADY); what falls left of or above ADest's origin comes back at the
// opposite edge.
void CopyBitmapWrapped(TBitmap* ADest, TBitmap* ASource, int ADX, int ADY);

// ---- Image objects -----------------------------------------------------------------------
// Each draws nothing for a nil object or one without bytes or class name; undecodable bytes
// draw nothing either.

void DrawImageObject(TCanvas* ACanvas, int AX, int AY, TXImageObject* AImage);
// An icon fills ADestRect whatever ASourceRect says.
void DrawImageObjectPart(TCanvas* ACanvas, const TRect& ADestRect, const TRect& ASourceRect, TXImageObject* AImage);
void StretchDrawImageObject(TCanvas* ACanvas, const TRect& ARect, TXImageObject* AImage, const TXFilterKernel* AKernel);
// Never enlarges; an object without bytes still leaves the rectangle filled.
void DrawImageObjectFitted(TCanvas* ACanvas, const TRect& ARect, TXImageObject* AImage, const TXFilterKernel* AKernel);
// The item's thumbnail when it has one, else its image.
void DrawItemImageFitted(TCanvas* ACanvas, const TRect& ARect, TXImageItem* AItem, const TXFilterKernel* AKernel);
void StretchDrawItemImage(TCanvas* ACanvas, const TRect& ARect, TXImageItem* AItem, const TXFilterKernel* AKernel);
// Shrunk into the rectangle less one pixel all round, centred, inside a two-colour frame.
void DrawFramedImageObject(TCanvas* ACanvas, const TRect& ARect, TXImageObject* AImage, TColor ATopLeftColor,
                           TColor ABottomRightColor, const TXFilterKernel* AKernel);
// Only PNG images take AOpacity.
void DrawImageObjectWithOpacity(TCanvas* ACanvas, const TRect& ARect, uint8_t AOpacity, TXImageObject* AImage,
                                const TXFilterKernel* AKernel);

// ---- Graphics by image position ----------------------------------------------------------

// AGraphic stretched into ARect; resampled with AKernel unless the size stays the same.
void StretchDrawResampled(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel);
// ipBestFit: as large as fits, centred.
void DrawGraphicBestFit(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel);
// ipDownScaledBestFit: as ipBestFit, never enlarged.
void DrawGraphicDownScaledBestFit(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic,
                                  const TXFilterKernel* AKernel);
// ipFitWidth, ipFitHeight: one side matched, centred along the other.
void DrawGraphicFitWidth(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel);
void DrawGraphicFitHeight(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel);
// ipCenter, ipCustom: covers the rectangle keeping the aspect, centred; the overhang is
// clipped by the canvas.
void DrawGraphicCenter(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel);
// ipDownScaledCenter: as ipCenter, but a graphic smaller than the matched side keeps its size.
void DrawGraphicDownScaledCenter(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic,
                                 const TXFilterKernel* AKernel);
// ipTile at the graphic's own size, from the top-left corner.
void DrawGraphicTiled(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, const TXFilterKernel* AKernel);
// ipTile with ATileW x ATileH tiles, each with the plain stretch.
void DrawGraphicTiledScaled(TCanvas* ACanvas, const TRect& ARect, TGraphic* AGraphic, int ATileW, int ATileH);
// ABitmap becomes AW x AH with the graphic drawn in by ipDownScaledBestFit.
void RenderGraphicFitted(TBitmap* ABitmap, int AW, int AH, TGraphic* AGraphic, const TXFilterKernel* AKernel);

// ---- PNG transparency --------------------------------------------------------------------

// APng becomes RGB with alpha: 0 for AKeyColor's pixels when AUseKey, AAlpha for the rest.
void MakePngAlpha(TPngImage* APng, bool AUseKey, TColor AKeyColor, uint8_t AAlpha);
// Scales every pixel's alpha by (AOpacity + 1) / 256; a key colour stays fully transparent.
void ApplyPngOpacity(TPngImage* APng, uint8_t AOpacity);

// ---- Shapes ------------------------------------------------------------------------------

// Left and top edges in ATopLeftColor, right and bottom ones in ABottomRightColor.
void DrawTwoColorFrame(TCanvas* ACanvas, const TRect& ARect, TColor ATopLeftColor, TColor ABottomRightColor);
// A second line one pixel lower in AColor2 unless the colours are equal.
void DrawDoubleLine(TCanvas* ACanvas, int AX1, int AY1, int AX2, int AY2, TColor AColor1, TColor AColor2);
// Corner triangles filled in AColor: the H forms are sized by the bitmap's height, the W forms
// by its width.
void FillTriangleTopLeftH(TBitmap* ABitmap, TColor AColor);
void FillTriangleTopRightH(TBitmap* ABitmap, TColor AColor);
void FillTriangleBottomLeftH(TBitmap* ABitmap, TColor AColor);
void FillTriangleBottomRightH(TBitmap* ABitmap, TColor AColor);
void FillTriangleTopLeftW(TBitmap* ABitmap, TColor AColor);
void FillTriangleTopRightW(TBitmap* ABitmap, TColor AColor);
void FillTriangleBottomLeftW(TBitmap* ABitmap, TColor AColor);
void FillTriangleBottomRightW(TBitmap* ABitmap, TColor AColor);

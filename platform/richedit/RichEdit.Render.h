// RichEdit.Render.h: a document drawn onto canvases and bitmaps through the range formatter,
// at the resolution the pixels stand for (96 for the screen, more for a sharper picture).
#pragma once

#include "RichEdit.Layout.h"
#include "Vcl.Graphics.h"

// Formats [AStart, AEnd) of ALayout's document into ARect (twips) of the canvas, whose pixels
// are at ALayout's resolution; answers the next character and sets AUsedBottom (twips).
int32_t FormatRangeOnCanvas(TRichLayout& ALayout, TCanvas* ACanvas, int32_t AStart, int32_t AEnd, const TRect& ARect,
                            int32_t& AUsedBottom);

struct TRenderMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// The whole document into a bitmap AWidth pixels wide: the render rectangle is (Left, Top,
// AWidth - Right, AHeight - Bottom) in pixels at ADpi; the bitmap becomes as tall as the text
// used (0 when nothing was rendered), filled with AColor first. False when text was left over;
// the bitmap still shows what fitted.
bool RenderToBitmap(const TRichDocument& ADocument, TBitmap* ABitmap, int AWidth, int AHeight,
                    const TRenderMargins& AMargins, TColor AColor, int ADpi = 96);

// Win.Regions.h: regions, the shapes of windows: sets of pixels kept as bands of equal rows,
// each a sorted list of spans, so that combining and handing them to a display as rectangles
// is exact. A handle is freed with DeleteObject, unless a window took it (SetWindowRgn).
#pragma once

#include <vector>

#include "Win.Graphics.h"

struct HRGN__;
using HRGN = HRGN__*;

inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// What CombineRgn and GetRgnBox answer about the result; ERROR for a bad handle.
inline constexpr int ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

HRGN CreateRectRgn(int ALeft, int ATop, int ARight, int ABottom);
// A rectangle with corners rounded by an ellipse AWidthEllipse wide and AHeightEllipse high.
HRGN CreateRoundRectRgn(int ALeft, int ATop, int ARight, int ABottom, int AWidthEllipse, int AHeightEllipse);
// Sets ADest to ASource1 combined with ASource2 (unused for RGN_COPY); any of them may be the
// same region.
int CombineRgn(HRGN ADest, HRGN ASource1, HRGN ASource2, int AMode);
int OffsetRgn(HRGN ARegion, int AX, int AY);
bool PtInRegion(HRGN ARegion, int AX, int AY);
int GetRgnBox(HRGN ARegion, TRect& ABox);
bool EqualRgn(HRGN A, HRGN B);
// The region as rectangles sorted by rows, then columns, none overlapping.
std::vector<TRect> RegionRects(HRGN ARegion);
bool DeleteObject(HRGN ARegion);

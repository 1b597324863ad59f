// XMedia.Types.h: the value types of the media layer: sizes, pixel weights, the published
// enumerations of drawing, and rectangle and fit arithmetic. Rectangles exclude right and bottom.
#pragma once

#include <cstdint>

#include "Rtl.TypInfo.h"
#include "Win.Graphics.h"

struct TXSize {
    int32_t Width = 0;
    int32_t Height = 0;

    static TXSize Create(int32_t AWidth, int32_t AHeight) { return TXSize{AWidth, AHeight}; }
    void Clear() { *this = TXSize{}; }
    bool IsEmpty() const { return Width == 0 || Height == 0; }
    friend bool operator==(const TXSize&, const TXSize&) = default;
};

// One tap of a weight map: a source pixel and its share of the destination pixel.
struct TXPixWeight {
    int32_t Index = 0;
    float Weight = 0;
};

static_assert(sizeof(TXSize) == 8 && sizeof(TXPixWeight) == 8);

X_ENUM(TXImagePosition, ipDefault, ipCustom, ipBestFit, ipStretch, ipFitWidth, ipFitHeight, ipCenter, ipTile,
       ipColorOnly, ipDownScaledBestFit, ipDownScaledCenter);
X_ENUM(TXZoomType, zoPixels, zoCustom, zoWidth, zoHeight, zoFit);
X_ENUM(TXEllipsis, xepNone, xepPathEllipsis, xepEndEllipsis, xepWordEllipsis);
X_ENUM(TXThnSize, thnSmall, thnMedium, thnLarge);

bool IsPointInRect(int32_t AX, int32_t AY, const TRect& ARect);
TPoint RectPointAt(const TRect& ARect, int32_t ADX, int32_t ADY);
// The square of pixels within ARX and ARY of APoint, both ends included.
TRect RectAroundPoint(const TPoint& APoint, int32_t ARX, int32_t ARY);
TRect MakeEmptyRect();
bool RectIsEmpty(const TRect& ARect);
bool SameRect(const TRect& A, const TRect& B);
int32_t GetRectHeight(const TRect& ARect);
TRect MoveRect(const TRect& ARect, int32_t ADX, int32_t ADY);
TRect RectAtOrigin(const TRect& ARect);
TRect GrowRect(const TRect& ARect, int32_t ADX, int32_t ADY);
// False, with ARect (0, 0, 0, 0), when A and B do not overlap (touching edges do not).
bool IntersectRects(TRect& ARect, const TRect& A, const TRect& B);

// Fits AW x AH into AMaxW x AMaxH keeping its proportions, never enlarging. A size with no
// area comes back unchanged.
void ShrinkToFit(int32_t& AOutW, int32_t& AOutH, int32_t AW, int32_t AH, int32_t AMaxW, int32_t AMaxH);
// As ShrinkToFit, but a size smaller than the box in both directions is first enlarged to
// the box's width.
void StretchToFit(int32_t& AOutW, int32_t& AOutH, int32_t AW, int32_t AH, int32_t AMaxW, int32_t AMaxH);
// AResult = Round(A * C / B); 0 when A, B or C is 0.
void ScaleProportional(int32_t& AResult, int32_t A, int32_t B, int32_t C);

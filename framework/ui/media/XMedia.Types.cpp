#include "XMedia.Types.h"

#include <algorithm>
#include <limits>

#include "Rtl.SysUtils.h"

namespace {

// Round(A * B / C) with the product in 64 bits: a picture's side times a box's side can pass
// 2^31, and a wrapped product would give a negative size. The result saturates to 32 bits.
int32_t MulDivRound(int32_t A, int32_t B, int32_t C)
{
    double Quotient = static_cast<double>(int64_t(A) * B) / C;
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(Round(std::clamp(Quotient, kLow, kHigh)));
}

}  // namespace

bool IsPointInRect(int32_t AX, int32_t AY, const TRect& ARect)
{
    return ARect.Left <= AX && AX < ARect.Right && ARect.Top <= AY && AY < ARect.Bottom;
}

TPoint RectPointAt(const TRect& ARect, int32_t ADX, int32_t ADY)
{
    return Point(ARect.Left + ADX, ARect.Top + ADY);
}

TRect RectAroundPoint(const TPoint& APoint, int32_t ARX, int32_t ARY)
{
    return Rect(APoint.X - ARX, APoint.Y - ARY, APoint.X + ARX + 1, APoint.Y + ARY + 1);
}

TRect MakeEmptyRect()
{
    return TRect{};
}

bool RectIsEmpty(const TRect& ARect)
{
    return ARect.Right - ARect.Left < 1 || ARect.Bottom - ARect.Top < 1;
}

bool SameRect(const TRect& A, const TRect& B)
{
    return A == B;
}

int32_t GetRectHeight(const TRect& ARect)
{
    return ARect.Bottom - ARect.Top;
}

TRect MoveRect(const TRect& ARect, int32_t ADX, int32_t ADY)
{
    return Rect(ARect.Left + ADX, ARect.Top + ADY, ARect.Right + ADX, ARect.Bottom + ADY);
}

TRect RectAtOrigin(const TRect& ARect)
{
    return Rect(0, 0, ARect.Right - ARect.Left, ARect.Bottom - ARect.Top);
}

TRect GrowRect(const TRect& ARect, int32_t ADX, int32_t ADY)
{
    return Rect(ARect.Left - ADX, ARect.Top - ADY, ARect.Right + ADX, ARect.Bottom + ADY);
}

bool IntersectRects(TRect& ARect, const TRect& A, const TRect& B)
{
    ARect = Rect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                 std::min(A.Bottom, B.Bottom));
    if (!RectIsEmpty(ARect))
        return true;
    ARect = MakeEmptyRect();
    return false;
}

void ShrinkToFit(int32_t& AOutW, int32_t& AOutH, int32_t AW, int32_t AH, int32_t AMaxW, int32_t AMaxH)
{
    AOutW = AW;
    AOutH = AH;
    if (AW <= 0 || AH <= 0 || (AW <= AMaxW && AH <= AMaxH))
        return;
    AOutW = AMaxW;
    AOutH = MulDivRound(AH, AMaxW, AW);
    if (AOutH > AMaxH) {
        AOutH = AMaxH;
        AOutW = MulDivRound(AW, AMaxH, AH);
    }
}

void StretchToFit(int32_t& AOutW, int32_t& AOutH, int32_t AW, int32_t AH, int32_t AMaxW, int32_t AMaxH)
{
    if (AW > 0 && AW < AMaxW && AH < AMaxH) {
        AH = MulDivRound(AH, AMaxW, AW);
        AW = AMaxW;
    }
    ShrinkToFit(AOutW, AOutH, AW, AH, AMaxW, AMaxH);
}

void ScaleProportional(int32_t& AResult, int32_t A, int32_t B, int32_t C)
{
    AResult = A == 0 || B == 0 || C == 0 ? 0 : MulDivRound(A, C, B);
}

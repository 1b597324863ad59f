// Win.Regions.cpp: regions as bands. Every operation splits both operands at the union of
// their band edges and combines the spans of each row range, then merges equal neighbours, so
// equal pixel sets always have one representation.
#include "Win.Regions.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <set>

namespace {

struct TSpan {
    int Left;
    int Right;
    friend bool operator==(const TSpan&, const TSpan&) = default;
};

struct TBand {
    int Top;
    int Bottom;
    std::vector<TSpan> Spans;   // sorted, disjoint, not touching
};

struct TRegion {
    std::vector<TBand> Bands;   // sorted, disjoint, each with spans
};

// Handles are checked against the live set, so a freed or made-up one is refused.
std::mutex GLock;
std::set<TRegion*>& Live()
{
    static auto* Instance = new std::set<TRegion*>;
    return *Instance;
}

TRegion* Find(HRGN AHandle)
{
    auto* Region = reinterpret_cast<TRegion*>(AHandle);
    return Live().count(Region) != 0 ? Region : nullptr;
}

HRGN Make(TRegion ARegion)
{
    auto* Region = new TRegion(std::move(ARegion));
    std::lock_guard Guard(GLock);
    Live().insert(Region);
    return reinterpret_cast<HRGN>(Region);
}

const std::vector<TSpan>* SpansAt(const TRegion& ARegion, int AY)
{
    for (const TBand& Band : ARegion.Bands)
        if (AY >= Band.Top && AY < Band.Bottom)
            return &Band.Spans;
    return nullptr;
}

std::vector<TSpan> CombineSpans(const std::vector<TSpan>* A, const std::vector<TSpan>* B, int AMode)
{
    std::vector<int> Edges;
    for (const auto* List : {A, B})
        if (List != nullptr)
            for (const TSpan& S : *List) {
                Edges.push_back(S.Left);
                Edges.push_back(S.Right);
            }
    std::sort(Edges.begin(), Edges.end());
    Edges.erase(std::unique(Edges.begin(), Edges.end()), Edges.end());
    auto In = [](const std::vector<TSpan>* AList, int AX) {
        return AList != nullptr
               && std::any_of(AList->begin(), AList->end(), [&](const TSpan& S) { return AX >= S.Left && AX < S.Right; });
    };
    std::vector<TSpan> Result;
    for (size_t I = 0; I + 1 < Edges.size(); ++I) {
        bool InA = In(A, Edges[I]), InB = In(B, Edges[I]);
        bool Keep = AMode == RGN_AND ? InA && InB : AMode == RGN_OR ? InA || InB : AMode == RGN_XOR ? InA != InB : InA && !InB;
        if (!Keep)
            continue;
        if (!Result.empty() && Result.back().Right == Edges[I])
            Result.back().Right = Edges[I + 1];
        else
            Result.push_back(TSpan{Edges[I], Edges[I + 1]});
    }
    return Result;
}

TRegion Combine(const TRegion& A, const TRegion& B, int AMode)
{
    std::vector<int> Edges;
    for (const auto* R : {&A, &B})
        for (const TBand& Band : R->Bands) {
            Edges.push_back(Band.Top);
            Edges.push_back(Band.Bottom);
        }
    std::sort(Edges.begin(), Edges.end());
    Edges.erase(std::unique(Edges.begin(), Edges.end()), Edges.end());
    TRegion Result;
    for (size_t I = 0; I + 1 < Edges.size(); ++I) {
        std::vector<TSpan> Spans = CombineSpans(SpansAt(A, Edges[I]), SpansAt(B, Edges[I]), AMode);
        if (Spans.empty())
            continue;
        if (!Result.Bands.empty() && Result.Bands.back().Bottom == Edges[I] && Result.Bands.back().Spans == Spans)
            Result.Bands.back().Bottom = Edges[I + 1];
        else
            Result.Bands.push_back(TBand{Edges[I], Edges[I + 1], std::move(Spans)});
    }
    return Result;
}

TRegion RectRegion(int ALeft, int ATop, int ARight, int ABottom)
{
    TRegion Region;
    if (ARight < ALeft)
        std::swap(ALeft, ARight);
    if (ABottom < ATop)
        std::swap(ATop, ABottom);
    if (ARight > ALeft && ABottom > ATop)
        Region.Bands.push_back(TBand{ATop, ABottom, {TSpan{ALeft, ARight}}});
    return Region;
}

int Complexity(const TRegion& ARegion)
{
    if (ARegion.Bands.empty())
        return NULLREGION;
    return ARegion.Bands.size() == 1 && ARegion.Bands[0].Spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

HRGN CreateRectRgn(int ALeft, int ATop, int ARight, int ABottom)
{
    return Make(RectRegion(ALeft, ATop, ARight, ABottom));
}

// Each row is cut in from both sides by the ellipse of the corners, at the row's centre line.
HRGN CreateRoundRectRgn(int ALeft, int ATop, int ARight, int ABottom, int AWidthEllipse, int AHeightEllipse)
{
    int Width = ARight - ALeft, Height = ABottom - ATop;
    double RX = std::clamp(AWidthEllipse, 0, Width) / 2.0, RY = std::clamp(AHeightEllipse, 0, Height) / 2.0;
    if (RX < 1 || RY < 1 || Width <= 0 || Height <= 0)
        return CreateRectRgn(ALeft, ATop, ARight, ABottom);
    TRegion Region;
    for (int Row = 0; Row < Height; ++Row) {
        double Y = Row + 0.5;
        double FromEdge = Y < RY ? RY - Y : Y > Height - RY ? Y - (Height - RY) : 0;
        int Inset = FromEdge > 0 ? static_cast<int>(std::lround(RX - RX * std::sqrt(std::max(0.0, 1 - (FromEdge / RY) * (FromEdge / RY)))))
                                 : 0;
        TRegion Line = RectRegion(ALeft + Inset, ATop + Row, ARight - Inset, ATop + Row + 1);
        Region = Combine(Region, Line, RGN_OR);
    }
    return Make(std::move(Region));
}

int CombineRgn(HRGN ADest, HRGN ASource1, HRGN ASource2, int AMode)
{
    std::lock_guard Guard(GLock);
    TRegion* Dest = Find(ADest);
    TRegion* Source1 = Find(ASource1);
    TRegion* Source2 = AMode == RGN_COPY ? Source1 : Find(ASource2);
    if (Dest == nullptr || Source1 == nullptr || Source2 == nullptr || AMode < RGN_AND || AMode > RGN_COPY)
        return ERROR;
    *Dest = AMode == RGN_COPY ? *Source1 : Combine(*Source1, *Source2, AMode);
    return Complexity(*Dest);
}

int OffsetRgn(HRGN ARegion, int AX, int AY)
{
    std::lock_guard Guard(GLock);
    TRegion* Region = Find(ARegion);
    if (Region == nullptr)
        return ERROR;
    for (TBand& Band : Region->Bands) {
        Band.Top += AY;
        Band.Bottom += AY;
        for (TSpan& Span : Band.Spans) {
            Span.Left += AX;
            Span.Right += AX;
        }
    }
    return Complexity(*Region);
}

bool PtInRegion(HRGN ARegion, int AX, int AY)
{
    std::lock_guard Guard(GLock);
    TRegion* Region = Find(ARegion);
    const std::vector<TSpan>* Spans = Region != nullptr ? SpansAt(*Region, AY) : nullptr;
    return Spans != nullptr
           && std::any_of(Spans->begin(), Spans->end(), [&](const TSpan& S) { return AX >= S.Left && AX < S.Right; });
}

int GetRgnBox(HRGN ARegion, TRect& ABox)
{
    std::lock_guard Guard(GLock);
    TRegion* Region = Find(ARegion);
    if (Region == nullptr)
        return ERROR;
    ABox = TRect{};
    if (Region->Bands.empty())
        return NULLREGION;
    ABox = Rect(Region->Bands.front().Spans.front().Left, Region->Bands.front().Top, 0, Region->Bands.back().Bottom);
    ABox.Right = ABox.Left;
    for (const TBand& Band : Region->Bands) {
        ABox.Left = std::min(ABox.Left, Band.Spans.front().Left);
        ABox.Right = std::max(ABox.Right, Band.Spans.back().Right);
    }
    return Complexity(*Region);
}

bool EqualRgn(HRGN A, HRGN B)
{
    return RegionRects(A) == RegionRects(B) && A != nullptr && B != nullptr;
}

std::vector<TRect> RegionRects(HRGN ARegion)
{
    std::lock_guard Guard(GLock);
    std::vector<TRect> Rects;
    if (TRegion* Region = Find(ARegion))
        for (const TBand& Band : Region->Bands)
            for (const TSpan& Span : Band.Spans)
                Rects.push_back(Rect(Span.Left, Band.Top, Span.Right, Band.Bottom));
    return Rects;
}

bool DeleteObject(HRGN ARegion)
{
    std::lock_guard Guard(GLock);
    TRegion* Region = Find(ARegion);
    if (Region == nullptr)
        return false;
    Live().erase(Region);
    delete Region;
    return true;
}

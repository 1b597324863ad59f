#include "XMedia.Classes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Rtl.SysUtils.h"

namespace {

// Pi as a single: sin(pi * n) is then a tiny non-zero value, so taps at whole distances
// inside the radius keep a (near-zero) weight.
constexpr float kPi = 3.1415927f;

// Left of the source reflects without repeating pixel 0, right of it repeats the last pixel.
// A support wider than the source could still leave the range; such taps read the edge pixel.
int32_t MirrorIndex(int64_t AIndex, int32_t ALength)
{
    if (AIndex < 0)
        AIndex = -AIndex;
    else if (AIndex >= ALength)
        AIndex = 2 * int64_t(ALength) - 1 - AIndex;
    return static_cast<int32_t>(std::clamp<int64_t>(AIndex, 0, ALength - 1));
}

int32_t TapCount(float ASupport)
{
    int64_t Taps = Trunc(double(ASupport) * 2 + 1);
    return static_cast<int32_t>(std::clamp<int64_t>(Taps, 0, std::numeric_limits<int32_t>::max()));
}

}  // namespace

// ---- Kernels -----------------------------------------------------------------------------

bool TXFilterKernel::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXFilterKernel>(ASource))
        SetRadius(Source->Radius());
    return inherited::AssignFrom(ASource);
}

void TXSizableFilterKernel::SetRadius(float AValue)
{
    if (AValue > 4)
        FRadius = 4;
    else if (AValue == 0)
        FRadius = 1;
    else
        FRadius = AValue;
}

void TXSizableFilterKernel::Init()
{
    inherited::Init();
    FRadius = 3;
}

void TXSizableFilterKernel::DoClear()
{
    inherited::DoClear();
    FRadius = 3;
}

float TXLanczosKernel::Value(float AX) const
{
    if (AX == 0)
        return 1;
    double A = std::fabs(AX);
    if (A >= FRadius)
        return 0;
    double Angle = A * kPi;
    return static_cast<float>(FRadius * std::sin(Angle) * std::sin(Angle / FRadius) / (Angle * Angle));
}

// ---- Pixel maps --------------------------------------------------------------------------

template <class T>
void TXDataMap<T>::SetSize(int32_t AWidth, int32_t AHeight)
{
    TXSize NewSize = TXSize::Create(std::max(AWidth, 0), std::max(AHeight, 0));
    if (NewSize == FSize)
        return;
    FSize = NewSize;
    ResizeLines();
}

template <class T>
bool TXDataMap<T>::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXDataMap>(ASource);
    if (Source != nullptr && Source != this) {
        Clear();
        if (!Source->IsEmpty()) {
            SetSize(Source->Size());
            AssignData(Source);
        }
    }
    return inherited::AssignFrom(ASource);
}

template <class T>
void TXDataMap<T>::DoClear()
{
    inherited::DoClear();
    FSize.Clear();
    FLines.clear();
}

template <class T>
void TXDataMap<T>::ResizeLines()
{
    FLines.resize(FSize.Height);
    for (TLine& Line : FLines)
        Line.resize(FSize.Width);
}

template <class T>
void TXDataMap<T>::AssignData(TXDataMap* ASource)
{
    FLines = ASource->FLines;
}

template class TXDataMap<TXPixWeight>;
template class TXDataMap<uint8_t>;
template class TXDataMap<TXRGBColor>;
template class TXDataMap<TXRGBAColor>;

// ---- Weight maps -------------------------------------------------------------------------

void TXPixWeightMap::DoClear()
{
    inherited::DoClear();
    FCounts.clear();
}

void TXPixWeightMap::ResizeLines()
{
    inherited::ResizeLines();
    FCounts.assign(Size().Width, 0);
}

void TXPixWeightMap::AssignData(TXDataMap<TXPixWeight>* ASource)
{
    inherited::AssignData(ASource);
    if (auto* Source = AsOrNull<TXPixWeightMap>(ASource))
        FCounts = Source->FCounts;
}

void TXPixWeightMap::Build(int32_t ADestLength, int32_t ASourceLength, const TXFilterKernel* AKernel, bool AUseRatio)
{
    Clear();
    if (ADestLength < 2 || ASourceLength < 2)
        return;
    const float Scale = AUseRatio ? float(double(ADestLength) / ASourceLength)
                                  : float(double(ADestLength - 1) / (ASourceLength - 1));
    const float Inverse = 1 / Scale;
    const bool Shrinking = Scale < 1;
    const float Support = Shrinking ? AKernel->Radius() * Inverse : AKernel->Radius();
    SetSize(ADestLength, TapCount(Support));
    for (int32_t I = 0; I < ADestLength; ++I) {
        const float Centre = I * Inverse;
        float Sum = 0;
        const auto Last = static_cast<int64_t>(std::ceil(Centre + Support));
        for (auto J = static_cast<int64_t>(std::floor(Centre - Support)); J <= Last; ++J) {
            const float Distance = Centre - float(J);
            const float Weight = Shrinking ? AKernel->Value(Distance * Scale) * Scale : AKernel->Value(Distance);
            if (Weight != 0 && AddTap(I, MirrorIndex(J, ASourceLength), Weight))
                Sum += Weight;
        }
        Normalize(I, Sum);
    }
}

bool TXPixWeightMap::AddTap(int32_t AColumn, int32_t AIndex, float AWeight)
{
    int32_t& Count = FCounts[AColumn];
    if (Count == Size().Height)
        return false;
    Lines()[Count][AColumn] = TXPixWeight{AIndex, AWeight};
    ++Count;
    return true;
}

void TXPixWeightMap::Normalize(int32_t AColumn, float ASum)
{
    if (ASum == 0 || ASum == 1)
        return;
    const float Factor = 1 / ASum;
    for (int32_t K = 0; K < FCounts[AColumn]; ++K)
        Lines()[K][AColumn].Weight *= Factor;
}

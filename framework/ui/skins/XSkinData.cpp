// XSkinData.cpp: colour data of skins.
#include "XSkinData.h"

#include <algorithm>

#include "Rtl.TypInfo.h"

namespace {

constexpr const char* kStateColorNames[] = {"colDis",   "colHot",   "colOff",     "colOn",     "colMix",    "colPress",
                                            "colFocus", "colDisOn", "colHotOn", "colFocusOn", "colDisMix", "colHotMix"};

template <TXPaintState... AStates>
void DeclareStateColors(TPropertyDeclarer& P)
{
    (P.Property(kStateColorNames[static_cast<int>(AStates) - 1], &TXColorData::StateColor<AStates>,
                &TXColorData::SetStateColor<AStates>),
     ...);
}

}  // namespace

// ---- TXColorData -------------------------------------------------------------------------

void TXColorData::Clear()
{
    inherited::Clear();
    std::fill(std::begin(FColors), std::end(FColors), clBtnFace);
}

bool TXColorData::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXColorData>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    std::copy(std::begin(Source->FColors), std::end(Source->FColors), std::begin(FColors));
    return true;
}

void TXColorData::DeclareProperties(TPropertyDeclarer& P)
{
    DeclareStateColors<cstDis, cstHot, cstOff, cstOn, cstMix, cstPress, cstFocus, cstDisOn, cstHotOn, cstFocusOn,
                       cstDisMix, cstHotMix>(P);
}

// ---- TXActiveColorData / TXFormColorData -------------------------------------------------

void TXActiveColorData::Clear()
{
    inherited::Clear();
    FOff = FOn = clBtnFace;
}

bool TXActiveColorData::AssignFrom(TPersistent* ASource)
{
    if (ASource == nullptr || ASource->ClassType() != ClassType())
        return inherited::AssignFrom(ASource);
    auto* Source = static_cast<TXActiveColorData*>(ASource);
    FOff = Source->FOff;
    FOn = Source->FOn;
    return true;
}

void TXActiveColorData::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("colOff", &TXActiveColorData::colOff, &TXActiveColorData::SetcolOff);
    P.Property("colOn", &TXActiveColorData::colOn, &TXActiveColorData::SetcolOn);
}

void TXFormColorData::Clear()
{
    inherited::Clear();
    FAlpha = 255;
}

bool TXFormColorData::AssignFrom(TPersistent* ASource)
{
    if (!inherited::AssignFrom(ASource))
        return false;
    if (auto* Source = AsOrNull<TXFormColorData>(ASource))
        FAlpha = Source->FAlpha;
    return true;
}

void TXFormColorData::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Alpha", &TXFormColorData::Alpha, &TXFormColorData::SetAlpha);
}

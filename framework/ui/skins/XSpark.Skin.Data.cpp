// XSpark.Skin.Data.cpp: paint-state rules.
#include "XSpark.Skin.Data.h"

namespace {

constexpr const char* kPrefixes[] = {"Dis_",   "Hot_",   "Off_",     "On_",     "Mix_",    "Press_",
                                     "Focus_", "DisOn_", "HotOn_", "FocusOn_", "DisMix_", "HotMix_"};

}  // namespace

const char* PaintStatePrefix(TXPaintState AState)
{
    return AState == cstGroupDis ? "" : kPrefixes[static_cast<int>(AState) - 1];
}

TXPaintState PaintStateFromFlags(TXPaintStateFlags AFlags)
{
    bool Disabled = AFlags.Contains(cstDis) || AFlags.Contains(cstGroupDis);
    bool Hot = AFlags.Contains(cstHot);
    if (AFlags.Contains(cstOn))
        return Disabled ? cstDisOn : Hot ? cstHotOn : AFlags.Contains(cstFocus) ? cstFocusOn : cstOn;
    if (AFlags.Contains(cstMix))
        return Disabled ? cstDisMix : Hot ? cstHotMix : cstMix;
    if (Disabled)
        return cstDis;
    if (AFlags.Contains(cstPress))
        return cstPress;
    if (Hot)
        return cstHot;
    return AFlags.Contains(cstFocus) ? cstFocus : cstOff;
}

TXPaintState PaintStateFromEnabledHot(bool AEnabled, bool AHot)
{
    return !AEnabled ? cstDis : AHot ? cstHot : cstOff;
}

TXPaintState PaintStateOfButton(bool AEnabled, bool AHot, TXButtonState AButtonState)
{
    switch (AButtonState) {
    case cstOn:
        return !AEnabled ? cstDisOn : AHot ? cstHotOn : cstOn;
    case cstMix:
        return !AEnabled ? cstDisMix : AHot ? cstHotMix : cstMix;
    default:
        return PaintStateFromEnabledHot(AEnabled, AHot);
    }
}

uint8_t PaintStateFlagsToByte(TXPaintStateFlags AFlags)
{
    return static_cast<uint8_t>(AFlags.Bits());
}

TXPaintStateFlags PaintStateFlagsFromByte(uint8_t AValue)
{
    return TXPaintStateFlags::FromBits(AValue);
}

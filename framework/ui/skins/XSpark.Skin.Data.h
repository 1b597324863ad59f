// XSpark.Skin.Data.h: the paint states of the framework's custom-drawn controls and the rules
// that pick one from what the control is (enabled, under the mouse, pressed, focused, checked).
#pragma once

#include <cstdint>

#include "Rtl.Sets.h"
#include "Rtl.TypInfo.h"

X_ENUM(TXPaintState, cstGroupDis, cstDis, cstHot, cstOff, cstOn, cstMix, cstPress, cstFocus, cstDisOn, cstHotOn,
       cstFocusOn, cstDisMix, cstHotMix);
// The states of a button's check: off, on, mixed.
using TXButtonState = TXPaintState;

// The first eight states as flags, bit n for ordinal n: what hit items keep.
using TXPaintStateFlags = TSet<TXPaintState>;

// The prefix of the image names of a state ("Dis_", "Hot_", ...); empty for cstGroupDis.
const char* PaintStatePrefix(TXPaintState AState);

TXPaintState PaintStateFromFlags(TXPaintStateFlags AFlags);
TXPaintState PaintStateFromEnabledHot(bool AEnabled, bool AHot);
// AButtonState is cstOff, cstOn or cstMix.
TXPaintState PaintStateOfButton(bool AEnabled, bool AHot, TXButtonState AButtonState);
// The byte the flags are stored in, and back; bits past cstFocus are dropped.
uint8_t PaintStateFlagsToByte(TXPaintStateFlags AFlags);
TXPaintStateFlags PaintStateFlagsFromByte(uint8_t AValue);

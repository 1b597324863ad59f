// XControls.h: how a custom-drawn control of the framework is painted: in the system look, from
// its skin data, or from images with or without text.
#pragma once

#include "Rtl.TypInfo.h"

X_ENUM(TXPaintType, ptWindows, ptSkin, ptImage, ptImageText);

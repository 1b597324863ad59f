// XSpark.Fonts.h: the ten fonts that forms, frames, message boxes and labels copy their font
// from, made once from the desktop's message and caption fonts, and the shared drawing objects.
// UI thread only. Callers Assign from them and never free them; they live as long as the process.
#pragma once

#include <span>
#include <vector>

#include "Vcl.Graphics.h"

struct TNonClientMetrics;

// Made at the first call of any of them, from the desktop's fonts as they are then; a later
// change of the desktop's fonts does not reach them.
TFont* MessageFont();     // 1: the message font
TFont* SmallFont();       // 2: one point smaller
TFont* Message10Font();   // 3: 10 points
TFont* BoldFont();        // 4: bold
TFont* Bold10Font();      // 5: 10 points, bold
TFont* LargeFont();       // 6: three points larger, clHotLight
TFont* LinkFont();        // 7: blue
TFont* HotLinkFont();     // 8: lighter blue, underlined
TFont* CaptionFont();     // 9: the caption font
TFont* CaptionFont2();    // 10: the caption font, or "Calibri" beside a "Segoe" message font

// A solid white brush.
TBrush* WhiteBrush();
// A 32-bit bitmap of no pixels.
TBitmap* EmptyBitmap32();

// Makes AFonts (the ten above, in their order) from AMetrics, or from a default TFont each when
// the metrics could not be read (nullptr), then sets what sets each apart. AFamilies are the
// installed font families, where "Calibri" is looked for.
void InitSharedFonts(std::span<TFont* const, 10> AFonts, const TNonClientMetrics* AMetrics,
                     const std::vector<String>& AFamilies);

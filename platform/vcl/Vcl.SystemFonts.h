// Vcl.SystemFonts.h: the desktop's user-interface fonts and caption sizes (what Windows keeps in
// its non-client metrics) and the installed font families, both from fontconfig.
// Faces are family names as fontconfig reports them; sizes are points, so fonts scale with DPI.
#pragma once

#include <vector>

#include "Rtl.Types.h"
#include "Vcl.Graphics.h"

// One font of the metrics: what a LOGFONT says of it.
struct TSystemFont {
    String Name;
    int Size = 0;   // points
    TFontStyles Style;
};

struct TNonClientMetrics {
    int CaptionWidth = 0;    // a caption button, pixels at the screen's DPI
    int CaptionHeight = 0;   // the caption bar
    TSystemFont CaptionFont;
    TSystemFont MessageFont;
};

// The desktop's sans-serif face, as fontconfig resolves it, at the system's 9 points, for both
// message and caption text; the caption sizes of the system metrics. False, with AMetrics
// emptied, when fontconfig resolves no face at all.
[[nodiscard]] bool GetNonClientMetrics(TNonClientMetrics& AMetrics);

// Every installed family name, once each, sorted without regard to case (the screen's font
// list).
std::vector<String> InstalledFontFamilies();

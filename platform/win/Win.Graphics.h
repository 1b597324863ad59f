// Win.Graphics.h: the value types of drawing (points, rectangles, colours) and the system
// colour table. A TColor is 0x00BBGGRR; a negative value (high byte 0xFF) names a system
// colour by its index in the low byte and is resolved with GetSysColor.
#pragma once

#include <cstdint>

using TColor = int32_t;

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and bottom are exclusive.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int32_t AX, int32_t AY) { return TPoint{AX, AY}; }
inline TRect Rect(int32_t ALeft, int32_t ATop, int32_t ARight, int32_t ABottom)
{
    return TRect{ALeft, ATop, ARight, ABottom};
}
inline bool PtInRect(const TRect& ARect, TPoint APoint)
{
    return APoint.X >= ARect.Left && APoint.X < ARect.Right && APoint.Y >= ARect.Top && APoint.Y < ARect.Bottom;
}

inline constexpr TColor RGB(uint8_t AR, uint8_t AG, uint8_t AB)
{
    return TColor(AR | (AG << 8) | (AB << 16));
}
inline constexpr uint8_t GetRValue(TColor AColor) { return uint8_t(AColor); }
inline constexpr uint8_t GetGValue(TColor AColor) { return uint8_t(AColor >> 8); }
inline constexpr uint8_t GetBValue(TColor AColor) { return uint8_t(AColor >> 16); }

// System colour indices.
enum : int32_t {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};

// The colour of a system colour index; black for an index outside the table.
TColor GetSysColor(int32_t AIndex);
// Replaces the colour of one index (the desktop theme changed; tests).
void SetSysColor(int32_t AIndex, TColor AColor);

#include "Win.Graphics.h"

#include <array>
#include <atomic>

namespace {

constexpr int32_t SysColorCount = COLOR_MENUBAR + 1;

// The classic desktop scheme; there is no system theme to read them from here.
std::array<std::atomic<TColor>, SysColorCount> SysColors = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
    RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
    RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(0, 120, 215),
    RGB(240, 240, 240),
};

}  // namespace

TColor GetSysColor(int32_t AIndex)
{
    if (AIndex < 0 || AIndex >= SysColorCount)
        return 0;
    return SysColors[size_t(AIndex)].load(std::memory_order_relaxed);
}

void SetSysColor(int32_t AIndex, TColor AColor)
{
    if (AIndex >= 0 && AIndex < SysColorCount)
        SysColors[size_t(AIndex)].store(AColor, std::memory_order_relaxed);
}

// XPlatform.System.Metrics.cpp: filling the screen metrics record.
#include "XPlatform.System.Metrics.h"

#include "Rtl.SysUtils.h"
#include "Win.Display.h"

namespace {

TXScreenMetrics GMetrics;
bool GMetricsRead = false;

using TField = int TXScreenMetrics::*;

struct TScaled {
    TField Field;
    int Value;
};
constexpr TScaled kScaled[] = {
    {&TXScreenMetrics::Px1, 1},   {&TXScreenMetrics::Px2, 2},   {&TXScreenMetrics::Px3, 3},
    {&TXScreenMetrics::Px4, 4},   {&TXScreenMetrics::Px5, 5},   {&TXScreenMetrics::Px6, 6},
    {&TXScreenMetrics::Px7, 7},   {&TXScreenMetrics::Px8, 8},   {&TXScreenMetrics::Px9, 9},
    {&TXScreenMetrics::Px10, 10}, {&TXScreenMetrics::Px11, 11}, {&TXScreenMetrics::Px12, 12},
    {&TXScreenMetrics::Px13, 13}, {&TXScreenMetrics::Px14, 14}, {&TXScreenMetrics::Px15, 15},
    {&TXScreenMetrics::Px16, 16}, {&TXScreenMetrics::Px17, 17}, {&TXScreenMetrics::Px18, 18},
    {&TXScreenMetrics::Px19, 19}, {&TXScreenMetrics::Px20, 20}, {&TXScreenMetrics::Px21, 21},
    {&TXScreenMetrics::Px23, 23}, {&TXScreenMetrics::Px32, 32}, {&TXScreenMetrics::Px75, 75},
    {&TXScreenMetrics::Px100, 100},
};

struct TSystemMetric {
    TField Field;
    int Index;
};
// In the order they are read.
constexpr TSystemMetric kSystemMetrics[] = {
    {&TXScreenMetrics::CXBorder, SM_CXBORDER},           {&TXScreenMetrics::CYBorder, SM_CYBORDER},
    {&TXScreenMetrics::CXDlgFrame, SM_CXDLGFRAME},       {&TXScreenMetrics::CYDlgFrame, SM_CYDLGFRAME},
    {&TXScreenMetrics::CXEdge, SM_CXEDGE},               {&TXScreenMetrics::CYEdge, SM_CYEDGE},
    {&TXScreenMetrics::CXFrame, SM_CXFRAME},             {&TXScreenMetrics::CYFrame, SM_CYFRAME},
    {&TXScreenMetrics::CXHScroll, SM_CXHSCROLL},         {&TXScreenMetrics::CYHScroll, SM_CYHSCROLL},
    {&TXScreenMetrics::CXHThumb, SM_CXHTHUMB},           {&TXScreenMetrics::CXIcon, SM_CXICON},
    {&TXScreenMetrics::CYIcon, SM_CYICON},               {&TXScreenMetrics::CXIconSpacing, SM_CXICONSPACING},
    {&TXScreenMetrics::CYIconSpacing, SM_CYICONSPACING}, {&TXScreenMetrics::CXMenuCheck, SM_CXMENUCHECK},
    {&TXScreenMetrics::CYMenuCheck, SM_CYMENUCHECK},     {&TXScreenMetrics::CXMenuSize, SM_CXMENUSIZE},
    {&TXScreenMetrics::CYMenuSize, SM_CYMENUSIZE},       {&TXScreenMetrics::CXMinimized, SM_CXMINIMIZED},
    {&TXScreenMetrics::CYMinimized, SM_CYMINIMIZED},     {&TXScreenMetrics::CXSize, SM_CXSIZE},
    {&TXScreenMetrics::CYSize, SM_CYSIZE},               {&TXScreenMetrics::CXSizeFrame, SM_CXFRAME},
    {&TXScreenMetrics::CYSizeFrame, SM_CYFRAME},         {&TXScreenMetrics::CXSmIcon, SM_CXSMICON},
    {&TXScreenMetrics::CYSmIcon, SM_CYSMICON},           {&TXScreenMetrics::CXSmSize, SM_CXSMSIZE},
    {&TXScreenMetrics::CYSmSize, SM_CYSMSIZE},           {&TXScreenMetrics::CXVScroll, SM_CXVSCROLL},
    {&TXScreenMetrics::CYVScroll, SM_CYVSCROLL},         {&TXScreenMetrics::CYCaption, SM_CYCAPTION},
    {&TXScreenMetrics::CYMenu, SM_CYMENU},               {&TXScreenMetrics::CYSmCaption, SM_CYSMCAPTION},
    {&TXScreenMetrics::CYVThumb, SM_CYVTHUMB},
};

}  // namespace

const TXScreenMetrics& ScreenMetrics()
{
    if (!GMetricsRead)
        ReadScreenMetrics();
    return GMetrics;
}

void ReadScreenMetrics()
{
    TXScreenMetrics Metrics;
    TXDpi Dpi = GetScreenLogicalDpi();
    Metrics.PixelsPerInchX = Dpi.X;
    Metrics.PixelsPerInchY = Dpi.Y;
    for (const TScaled& S : kScaled)
        Metrics.*S.Field = MulDiv(S.Value, Dpi.Y, 96);
    for (const TSystemMetric& M : kSystemMetrics)
        Metrics.*M.Field = GetSystemMetrics(M.Index);
    GMetrics = Metrics;
    GMetricsRead = true;
}

int ScaleToScreenDpi(int AValue)
{
    return MulDiv(AValue, ScreenMetrics().PixelsPerInchY, 96);
}

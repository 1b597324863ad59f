// XPlatform.System.Metrics.h: the screen's logical DPI, sizes given at 96 DPI pre-scaled to it,
// and the system metrics, read once at start-up into one record.
// Scaling follows the vertical DPI of this record, not a later change of Screen's PixelsPerInch.
#pragma once

struct TXScreenMetrics {
    // The screen's logical pixels per inch.
    int PixelsPerInchX = 96;
    int PixelsPerInchY = 96;
    // PxN: N pixels at 96 DPI scaled to the vertical DPI.
    int Px1 = 1, Px2 = 2, Px3 = 3, Px4 = 4, Px5 = 5, Px6 = 6, Px7 = 7, Px8 = 8, Px9 = 9, Px10 = 10;
    int Px11 = 11, Px12 = 12, Px13 = 13, Px14 = 14, Px15 = 15, Px16 = 16, Px17 = 17, Px18 = 18, Px19 = 19;
    int Px20 = 20, Px21 = 21, Px23 = 23, Px32 = 32, Px75 = 75, Px100 = 100;
    // The system metrics of the same names (SM_CXBORDER ...); the sizing frame is SM_CXFRAME
    // read a second time.
    int CXBorder = 0, CYBorder = 0, CXDlgFrame = 0, CYDlgFrame = 0, CXEdge = 0, CYEdge = 0;
    int CXFrame = 0, CYFrame = 0, CXHScroll = 0, CYHScroll = 0, CXHThumb = 0, CXIcon = 0, CYIcon = 0;
    int CXIconSpacing = 0, CYIconSpacing = 0, CXMenuCheck = 0, CYMenuCheck = 0, CXMenuSize = 0, CYMenuSize = 0;
    int CXMinimized = 0, CYMinimized = 0, CXSize = 0, CYSize = 0, CXSizeFrame = 0, CYSizeFrame = 0;
    int CXSmIcon = 0, CYSmIcon = 0, CXSmSize = 0, CYSmSize = 0, CXVScroll = 0, CYVScroll = 0;
    int CYCaption = 0, CYMenu = 0, CYSmCaption = 0, CYVThumb = 0;
};

// The record, read at the first call unless ReadScreenMetrics ran before.
const TXScreenMetrics& ScreenMetrics();
// Reads the record again from the screen: the start-up step, and tests after changing the DPI.
void ReadScreenMetrics();
// AValue (pixels at 96 DPI) times the vertical DPI over 96, rounded as MulDiv rounds.
int ScaleToScreenDpi(int AValue);

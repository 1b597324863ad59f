// Vcl.Styles.Elements.h: for the style services only: the element catalogue. The parts of
// each element, the details of every public element state, which face, shape and sign each is
// painted with, and where in its rectangle.
#pragma once

#include <cmath>

#include "Vcl.Styles.Paint.h"
#include "Vcl.Themes.h"

namespace StyleElements {

// Parts of each element; states count from 1 within a part in the order of the public enums.
enum : int {
    kPushButton = 1, kRadioButton, kCheckBox, kGroupBox,                       // teButton
    kComboButton = 1, kComboBorder, kComboReadOnly,                             // teComboBox
    kEditText = 1,                                                              // teEdit
    kHeaderItem = 1, kHeaderRoot,                                               // teHeader
    kListItem = 1, kGroupHeader, kGroupHeaderLine,                              // teListView
    kPanelBackground = 1, kPanelBevel,                                          // tePanel
    kProgressBar = 1, kProgressBarVert, kProgressChunk, kProgressChunkVert,    // teProgress
    kScrollArrow = 1, kThumbHorz, kThumbVert, kTrackHorz, kTrackVert, kSizeBox, // teScrollBar
    kTabItem = 1, kTabPane,                                                     // teTab
    kTextLabel = 1, kDivider,                                                   // teTextLabel
    kChannel = 1, kChannelVert, kThumb, kThumbVertical, kTics, kTicsVert,      // teTrackBar
    kCaption = 1, kSmallCaption, kFrameLeft, kFrameRight, kFrameBottom,        // teWindow
    kSmallFrameLeft, kSmallFrameRight, kSmallFrameBottom, kSysButton, kCloseButton, kSmallCloseButton,
    kMaxButton, kMinButton, kRestoreButton, kHelpButton, kFormBackground,
};

// A run of consecutive enum values that make up one part.
struct TPartRun {
    int First;
    int Part;
};

// The details of AValue from the runs of its enum, which are listed in enum order.
template <size_t N>
TThemedElementDetails Details(TThemedElement AElement, int AValue, const TPartRun (&ARuns)[N])
{
    const TPartRun* Run = &ARuns[0];
    for (const TPartRun& R : ARuns)
        if (R.First <= AValue)
            Run = &R;
    return TThemedElementDetails{AElement, Run->Part, AValue - Run->First + 1};
}

// What an element state is painted as, beyond its face.
struct TElementPaint {
    const TStyleFace* Face = nullptr;
    TPartShape Shape = shBox;
    TPartGlyph Glyph = glNone;
    bool Vertical = false;
};

TElementPaint ElementPaint(const TStyleLooks& L, const TStyleMetrics& M, const TThemedElementDetails& D);

// Where the element's face and its sign go in ARect: boxes keep their size, thumbs stand off
// their track, arrows sit at the end of drop-down lists and group headers.
void PlaceElement(const TThemedElementDetails& D, const TStyleMetrics& M, const TRect& ARect, int ADpi, TRect& ABody,
                  TRect& AGlyph);
// Paints the elements that are lines, or text only (dividers, tics, group-header lines, window
// frames, labels, the icon's place); False for every other element.
bool PaintLineElement(TCanvas* ACanvas, const TThemedElementDetails& D, const TRect& ARect, const TRect* AClip,
                      const TStyleFace& AFace, double AScale);

inline TRect Inflated(TRect ARect, int ADX, int ADY)
{
    return Rect(ARect.Left - ADX, ARect.Top - ADY, ARect.Right + ADX, ARect.Bottom + ADY);
}

// A rectangle of that size in the middle of ARect.
inline TRect Centred(const TRect& ARect, int AWidth, int AHeight)
{
    int Left = ARect.Left + (ARect.Width() - AWidth) / 2;
    int Top = ARect.Top + (ARect.Height() - AHeight) / 2;
    return Rect(Left, Top, Left + AWidth, Top + AHeight);
}

inline int Scaled(int AValue, int ADpi)
{
    return static_cast<int>(std::lround(AValue * ADpi / 96.0));
}

}  // namespace StyleElements

// Vcl.Styles.h: what a style is made of, as data: its system colours, its sizes and, for every
// part of every control in every state, a face (fill, gradient, border, bevel lines, glyph and
// text colours, corner radius). The style services (Vcl.Themes) paint from these tables only.
// Colours in a face may name system colours (clBtnFace...): they resolve through the style's
// own table, so a style states each colour once.
#pragma once

#include <array>
#include <cstdint>

#include "Vcl.Graphics.h"

// 0xRRGGBB, as colours are written in palettes, to a TColor (0x00BBGGRR).
constexpr TColor Hex(uint32_t ARgb)
{
    return RGB(uint8_t(ARgb >> 16), uint8_t(ARgb >> 8), uint8_t(ARgb));
}

enum TStyleGradient : uint8_t { sgVertical, sgHorizontal };

// One part of a control in one state. clNone leaves a layer out: a face without Fill lets what
// is under it show, one without Border has no outline.
struct TStyleFace {
    TColor Fill = clNone;
    TColor FillEnd = clNone;   // the far end of a gradient along Gradient; clNone: solid Fill
    TColor Border = clNone;
    TColor Light = clNone;     // one pixel inside the border along the top (bevels: top and left)
    TColor Shadow = clNone;    // along the bottom (bevels: bottom and right)
    TColor Accent = clNone;    // two pixels along the top inside the border (the selected tab)
    TColor Glyph = clNone;     // the part's sign: check mark, dot, arrow, caption-button symbol
    TColor Text = clNone;      // the font colour on this part
    uint8_t Radius = 0;        // corners, pixels at 96 DPI
    uint8_t BorderWidth = 1;
    TStyleGradient Gradient = sgVertical;   // vertical parts (scroll thumbs) turn it
};

// The faces of a part that follows the mouse.
struct TStyleMouseFaces {
    TStyleFace Normal, Hot, Pressed, Disabled;
};
struct TStylePushButtonFaces {
    TStyleFace Normal, Hot, Pressed, Disabled, Defaulted;
};
struct TStyleEnabledFaces {
    TStyleFace Normal, Disabled;
};
struct TStyleEditFaces {
    TStyleFace Normal, Hot, Focused, Disabled, ReadOnly;
};
struct TStyleThumbFaces {
    TStyleFace Normal, Hot, Pressed, Focused, Disabled;
};
struct TStyleTabFaces {
    TStyleFace Normal, Hot, Selected, Disabled, Focused;
};
struct TStyleHeaderFaces {
    TStyleFace Normal, Hot, Pressed;
};
struct TStyleListItemFaces {
    TStyleFace Normal, Hot, Selected, SelectedNotFocus, HotSelected;
};
struct TStyleGroupHeaderFaces {
    TStyleFace Normal, Hot, Selected, SelectedHot;
};
struct TStyleActiveFaces {
    TStyleFace Active, Inactive;
};

// Every part the style paints. The part's shape and where its glyph goes are the element's
// (Vcl.Themes); how it is coloured is here.
struct TStyleLooks {
    TStylePushButtonFaces PushButton;
    TStyleMouseFaces CheckBoxUnchecked, CheckBoxChecked, CheckBoxMixed;
    TStyleMouseFaces RadioUnchecked, RadioChecked;
    TStyleEnabledFaces GroupBox;   // Border is the frame, Text the caption
    TStyleEditFaces Edit;          // edits and the frame of editable combo boxes
    TStyleMouseFaces ComboReadOnly;   // the whole face of a drop-down list
    TStyleMouseFaces ComboButton;     // the arrow button of an editable combo box
    TStyleEnabledFaces ScrollTrack;
    TStyleMouseFaces ScrollThumb, ScrollArrow;
    TStyleFace SizeBox;
    TStyleFace TrackChannel;
    TStyleThumbFaces TrackThumb;
    TStyleFace TrackTics;   // Border is the tic colour
    TStyleTabFaces Tab;
    TStyleFace TabPane;
    TStyleHeaderFaces Header;   // Border: the separator at the right, Shadow: the line below
    TStyleFace HeaderRoot;      // the header beyond its last item
    TStyleListItemFaces ListItem;
    TStyleGroupHeaderFaces GroupHeader;
    TStyleFace GroupHeaderLine;   // Border is the line
    TStyleActiveFaces Caption, SmallCaption, Frame;
    TStyleMouseFaces CaptionButton, CloseButton;
    TStyleFace FormBackground;
    TStyleFace PanelBackground;
    TStyleFace PanelBevel;   // Light and Shadow are the bevel's edges
    TStyleEnabledFaces TextLabel;
    TStyleFace Divider;   // Shadow is the upper line, Light the lower
    TStyleFace ProgressBar, ProgressChunk;
    TStyleFace FocusRect;   // Border is the frame; BorderWidth 0 draws it dotted
};

enum TStyleThumbShape : uint8_t { tsPointer, tsRounded };

// Sizes in pixels at 96 DPI.
struct TStyleMetrics {
    int CheckBoxSize = 13;
    int RadioSize = 13;
    int ScrollBarSize = 17;
    int ScrollThumbInset = 1;   // a thumb keeps this far from the track's long edges
    int ScrollThumbMin = 8;
    TSize TrackThumb{11, 21};   // of a horizontal bar; a vertical one turns it
    int TrackChannel = 4;
    TStyleThumbShape TrackThumbShape = tsPointer;
    int CaptionHeight = 19;
    int SmallCaptionHeight = 15;
    int FrameWidth = 4;
    TSize CaptionButton{18, 18};
    TSize SmallCaptionButton{12, 14};
    int CaptionIcon = 16;
    double GlyphStroke = 1.0;   // lines of check marks, arrows and caption-button signs
};

// The system colours of a style, by COLOR_ index.
using TStyleSystemColors = std::array<TColor, COLOR_MENUBAR + 1>;

struct TStyleDescription {
    const char* Name = "";
    // The system look: colours come from GetSysColor, sizes from GetSystemMetrics, and the
    // style hooks stay out (controls paint themselves as the system would).
    bool System = false;
    TStyleSystemColors SystemColors{};
    TStyleMetrics Metrics;
    TStyleLooks Looks;
};

// The styles every program has: "Windows", the system look, first.
const TStyleDescription& WindowsStyleDescription();
const TStyleDescription& SmokeyQuartzKamriDescription();

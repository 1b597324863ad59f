// Vcl.Styles.cpp: the styles the programs have, as data.
//
// "Windows" is the system look: the flat controls of the current Windows theme over the
// system colour table (GetSysColor), the classic caption with its gradient, and the system's
// sizes. "Smokey Quartz Kamri" is the recovery program's own style: smoked, warm dark greys
// like the stone, with honey-amber for what is chosen, focused or pressed.
#include "Vcl.Styles.h"

namespace {

// ---- Windows -----------------------------------------------------------------------------

// The theme's own greys and blues that have no system colour.
constexpr TColor kFace = Hex(0xE1E1E1);
constexpr TColor kFaceBorder = Hex(0xADADAD);
constexpr TColor kHotFace = Hex(0xE5F1FB);
constexpr TColor kPressedFace = Hex(0xCCE4F7);
constexpr TColor kPressedBorder = Hex(0x005499);
constexpr TColor kDisabledFace = Hex(0xCCCCCC);
constexpr TColor kDisabledBorder = Hex(0xBFBFBF);
constexpr TColor kBoxBorder = Hex(0x333333);
constexpr TColor kArrow = Hex(0x606060);
constexpr TColor kLine = Hex(0xDCDCDC);

// Check boxes and radio buttons: the mark takes the colour of the box's outline.
constexpr TStyleMouseFaces WindowsCheck(bool AMarked)
{
    auto Mark = [AMarked](TColor AColor) { return AMarked ? AColor : clNone; };
    return {
        .Normal = {.Fill = clWindow, .Border = kBoxBorder, .Glyph = Mark(kBoxBorder), .Text = clBtnText},
        .Hot = {.Fill = clWindow, .Border = clHighlight, .Glyph = Mark(clHighlight), .Text = clBtnText},
        .Pressed = {.Fill = kPressedFace, .Border = kPressedBorder, .Glyph = Mark(kPressedBorder), .Text = clBtnText},
        .Disabled = {.Fill = clWindow, .Border = kDisabledFace, .Glyph = Mark(kDisabledFace), .Text = clGrayText},
    };
}

constexpr TStyleMouseFaces WindowsFaces(TColor AGlyph)
{
    return {
        .Normal = {.Fill = kFace, .Border = kFaceBorder, .Glyph = AGlyph, .Text = clBtnText},
        .Hot = {.Fill = kHotFace, .Border = clHighlight, .Glyph = AGlyph, .Text = clBtnText},
        .Pressed = {.Fill = kPressedFace, .Border = kPressedBorder, .Glyph = AGlyph, .Text = clBtnText},
        .Disabled = {.Fill = kDisabledFace, .Border = kDisabledBorder, .Glyph = kDisabledBorder, .Text = clGrayText},
    };
}

constexpr TStyleMouseFaces WindowsCaptionButtons(TColor AHot, TColor AHotGlyph, TColor APressed)
{
    return {
        .Normal = {.Glyph = clCaptionText},
        .Hot = {.Fill = AHot, .Glyph = AHotGlyph},
        .Pressed = {.Fill = APressed, .Glyph = clCaptionText},
        .Disabled = {.Glyph = clGrayText},
    };
}

const TStyleDescription kWindows = {
    .Name = "Windows",
    .System = true,
    .Metrics = {},   // the system's, see TCustomStyleServices
    .Looks = {
        .PushButton = {
            .Normal = {.Fill = kFace, .Border = kFaceBorder, .Text = clBtnText},
            .Hot = {.Fill = kHotFace, .Border = clHighlight, .Text = clBtnText},
            .Pressed = {.Fill = kPressedFace, .Border = kPressedBorder, .Text = clBtnText},
            .Disabled = {.Fill = kDisabledFace, .Border = kDisabledBorder, .Text = clGrayText},
            .Defaulted = {.Fill = kFace, .Border = clHighlight, .Text = clBtnText, .BorderWidth = 2},
        },
        .CheckBoxUnchecked = WindowsCheck(false),
        .CheckBoxChecked = WindowsCheck(true),
        .CheckBoxMixed = WindowsCheck(true),
        .RadioUnchecked = WindowsCheck(false),
        .RadioChecked = WindowsCheck(true),
        .GroupBox = {
            .Normal = {.Border = kLine, .Text = clWindowText},
            .Disabled = {.Border = kLine, .Text = clGrayText},
        },
        .Edit = {
            .Normal = {.Fill = clWindow, .Border = Hex(0x7A7A7A), .Text = clWindowText},
            .Hot = {.Fill = clWindow, .Border = Hex(0x171717), .Text = clWindowText},
            .Focused = {.Fill = clWindow, .Border = clHighlight, .Text = clWindowText},
            .Disabled = {.Fill = clBtnFace, .Border = kDisabledFace, .Text = clGrayText},
            .ReadOnly = {.Fill = clBtnFace, .Border = Hex(0x7A7A7A), .Text = clWindowText},
        },
        .ComboReadOnly = WindowsFaces(kArrow),
        .ComboButton = {
            .Normal = {.Glyph = kArrow},
            .Hot = {.Fill = kHotFace, .Border = clHighlight, .Glyph = kArrow},
            .Pressed = {.Fill = kPressedFace, .Border = kPressedBorder, .Glyph = kArrow},
            .Disabled = {.Glyph = kDisabledBorder},
        },
        .ScrollTrack = {.Normal = {.Fill = clBtnFace}, .Disabled = {.Fill = clBtnFace}},
        .ScrollThumb = {
            .Normal = {.Fill = Hex(0xCDCDCD)},
            .Hot = {.Fill = Hex(0xA6A6A6)},
            .Pressed = {.Fill = kArrow},
            .Disabled = {},
        },
        .ScrollArrow = {
            .Normal = {.Fill = clBtnFace, .Glyph = kArrow},
            .Hot = {.Fill = Hex(0xDADADA), .Glyph = clBlack},
            .Pressed = {.Fill = kArrow, .Glyph = clWhite},
            .Disabled = {.Fill = clBtnFace, .Glyph = kDisabledBorder},
        },
        .SizeBox = {.Fill = clBtnFace, .Glyph = Hex(0xA0A0A0)},
        .TrackChannel = {.Fill = Hex(0xE7EAEA), .Border = Hex(0xD6D6D6)},
        .TrackThumb = {
            .Normal = {.Fill = Hex(0x007ACC)},
            .Hot = {.Fill = Hex(0x171717)},
            .Pressed = {.Fill = kDisabledFace},
            .Focused = {.Fill = Hex(0x007ACC)},
            .Disabled = {.Fill = kDisabledFace},
        },
        .TrackTics = {.Border = Hex(0xC4C4C4)},
        .Tab = {
            .Normal = {.Fill = clBtnFace, .Border = Hex(0xD9D9D9), .Text = clBtnText},
            .Hot = {.Fill = Hex(0xD8EAF9), .Border = Hex(0xD9D9D9), .Text = clBtnText},
            .Selected = {.Fill = clWindow, .Border = Hex(0xD9D9D9), .Text = clBtnText},
            .Disabled = {.Fill = clBtnFace, .Border = Hex(0xD9D9D9), .Text = clGrayText},
            .Focused = {.Fill = clWindow, .Border = Hex(0xD9D9D9), .Text = clBtnText},
        },
        .TabPane = {.Fill = clWindow, .Border = Hex(0xD9D9D9)},
        .Header = {
            .Normal = {.Fill = clWindow, .Border = Hex(0xE5E5E5), .Text = clWindowText},
            .Hot = {.Fill = Hex(0xD9EBF9), .Border = Hex(0xBCDCF4), .Text = clWindowText},
            .Pressed = {.Fill = Hex(0xBCDCF4), .Border = Hex(0xBCDCF4), .Text = clWindowText},
        },
        .HeaderRoot = {.Fill = clWindow},
        .ListItem = {
            .Normal = {.Text = clWindowText},
            .Hot = {.Fill = Hex(0xE5F3FF), .Text = clWindowText},
            .Selected = {.Fill = Hex(0xCCE8FF), .Text = clWindowText},
            .SelectedNotFocus = {.Fill = Hex(0xD9D9D9), .Text = clWindowText},
            .HotSelected = {.Fill = Hex(0xCCE8FF), .Border = Hex(0x99D1FF), .Text = clWindowText},
        },
        .GroupHeader = {
            .Normal = {.Glyph = Hex(0x1E3287), .Text = Hex(0x1E3287)},
            .Hot = {.Fill = Hex(0xE5F3FB), .Border = Hex(0x70C0E7), .Glyph = Hex(0x1E3287), .Text = Hex(0x1E3287)},
            .Selected = {.Fill = Hex(0xCDE8FF), .Border = Hex(0x99D1FF), .Glyph = Hex(0x1E3287), .Text = Hex(0x1E3287)},
            .SelectedHot = {.Fill = Hex(0xC4E0FC), .Border = Hex(0x66A7E8), .Glyph = Hex(0x1E3287),
                            .Text = Hex(0x1E3287)},
        },
        .GroupHeaderLine = {.Border = Hex(0xE2E2E2)},
        .Caption = {
            .Active = {.Fill = clActiveCaption, .FillEnd = SystemColor(COLOR_GRADIENTACTIVECAPTION),
                       .Text = clCaptionText, .Gradient = sgHorizontal},
            .Inactive = {.Fill = clInactiveCaption, .FillEnd = SystemColor(COLOR_GRADIENTINACTIVECAPTION),
                         .Text = SystemColor(COLOR_INACTIVECAPTIONTEXT), .Gradient = sgHorizontal},
        },
        .SmallCaption = {
            .Active = {.Fill = clActiveCaption, .FillEnd = SystemColor(COLOR_GRADIENTACTIVECAPTION),
                       .Text = clCaptionText, .Gradient = sgHorizontal},
            .Inactive = {.Fill = clInactiveCaption, .FillEnd = SystemColor(COLOR_GRADIENTINACTIVECAPTION),
                         .Text = SystemColor(COLOR_INACTIVECAPTIONTEXT), .Gradient = sgHorizontal},
        },
        .Frame = {
            .Active = {.Fill = SystemColor(COLOR_ACTIVEBORDER), .Border = clWindowFrame},
            .Inactive = {.Fill = SystemColor(COLOR_INACTIVEBORDER), .Border = clBtnShadow},
        },
        .CaptionButton = WindowsCaptionButtons(Hex(0xE5F1FB), clCaptionText, kPressedFace),
        .CloseButton = WindowsCaptionButtons(Hex(0xE81123), clWhite, Hex(0xF1707A)),
        .FormBackground = {.Fill = clBtnFace, .Text = clWindowText},
        .PanelBackground = {.Fill = clBtnFace, .Text = clBtnText},
        .PanelBevel = {.Light = clBtnHighlight, .Shadow = clBtnShadow},
        .TextLabel = {.Normal = {.Text = clBtnText}, .Disabled = {.Text = clGrayText}},
        .Divider = {.Light = clBtnHighlight, .Shadow = clBtnShadow},
        .ProgressBar = {.Fill = Hex(0xE6E6E6), .Border = Hex(0xBCBCBC)},
        .ProgressChunk = {.Fill = Hex(0x06B025)},
        .FocusRect = {.Border = clBtnText, .BorderWidth = 0},
    },
};

// ---- Smokey Quartz Kamri -----------------------------------------------------------------

// The stone, darkest to lightest, and its honey.
constexpr TColor kSoot = Hex(0x171513);
constexpr TColor kOutline = Hex(0x1E1B19);
constexpr TColor kDeep = Hex(0x2A2724);
constexpr TColor kSmoke = Hex(0x3B3631);
constexpr TColor kStone = Hex(0x4A433D);
constexpr TColor kQuartz = Hex(0x5B534B);
constexpr TColor kVein = Hex(0x6E645A);
constexpr TColor kGleam = Hex(0x85796E);
constexpr TColor kHoney = Hex(0xD9A155);
constexpr TColor kHoneyLight = Hex(0xF0C27B);
constexpr TColor kHoneyDeep = Hex(0x9A6B38);
constexpr TColor kInk = Hex(0x2A1E12);   // on honey

constexpr TColor kTextColour = Hex(0xECE4DA);

constexpr TStyleFace kSmokeyUnchecked = {.Fill = kDeep, .FillEnd = Hex(0x322E2A), .Border = kVein, .Text = clBtnText,
                                         .Radius = 2};
constexpr TStyleFace kSmokeyChecked = {.Fill = Hex(0xE0AA5E), .FillEnd = Hex(0xC48E45), .Border = Hex(0x8E6232),
                                       .Glyph = kInk, .Text = clBtnText, .Radius = 2};

constexpr TStyleFace With(TStyleFace AFace, TColor AFill, TColor AFillEnd, TColor ABorder, TColor AText)
{
    AFace.Fill = AFill;
    AFace.FillEnd = AFillEnd;
    AFace.Border = ABorder;
    AFace.Text = AText;
    return AFace;
}

// A check box's or radio button's caption turns honey under the mouse.
constexpr TStyleMouseFaces kSmokeyUncheckedBox = {
    .Normal = kSmokeyUnchecked,
    .Hot = With(kSmokeyUnchecked, kDeep, Hex(0x322E2A), kHoney, kHoneyLight),
    .Pressed = With(kSmokeyUnchecked, kOutline, clNone, kHoney, kHoneyLight),
    .Disabled = With(kSmokeyUnchecked, Hex(0x34302C), clNone, kStone, clGrayText),
};
constexpr TStyleMouseFaces kSmokeyCheckedBox = {
    .Normal = kSmokeyChecked,
    .Hot = With(kSmokeyChecked, Hex(0xECBA70), Hex(0xD09A50), kHoneyDeep, kHoneyLight),
    .Pressed = With(kSmokeyChecked, Hex(0xC48E45), Hex(0xB07D3A), Hex(0x8E6232), kHoneyLight),
    .Disabled = {.Fill = Hex(0x5A5149), .Border = kStone, .Glyph = Hex(0x857A70), .Text = clGrayText, .Radius = 2},
};

// Raised stone: a lit upper edge over a gradient that darkens downwards.
constexpr TStyleMouseFaces SmokeyRaised(TColor AGlyph, uint8_t ARadius)
{
    return {
        .Normal = {.Fill = kQuartz, .FillEnd = kStone, .Border = kOutline, .Light = Hex(0x74695F), .Glyph = AGlyph,
                   .Text = clBtnText, .Radius = ARadius},
        .Hot = {.Fill = Hex(0x6A6158), .FillEnd = Hex(0x564E47), .Border = kOutline, .Light = kGleam, .Glyph = AGlyph,
                .Text = clBtnText, .Radius = ARadius},
        .Pressed = {.Fill = Hex(0x3E3833), .FillEnd = Hex(0x47413B), .Border = kOutline, .Shadow = Hex(0x524A43),
                    .Glyph = kHoney, .Text = clBtnText, .Radius = ARadius},
        .Disabled = {.Fill = Hex(0x443E38), .Border = Hex(0x332E2A), .Glyph = kVein, .Text = clGrayText,
                     .Radius = ARadius},
    };
}

constexpr TStyleMouseFaces kSmokeyButton = SmokeyRaised(clNone, 3);

constexpr TStyleMouseFaces SmokeyCaptionButtons(TColor AHot, TColor APressed)
{
    return {
        .Normal = {.Glyph = Hex(0xE6DCCF), .Radius = 3},
        .Hot = {.Fill = AHot, .Glyph = clWhite, .Radius = 3},
        .Pressed = {.Fill = APressed, .Glyph = Hex(0xE6DCCF), .Radius = 3},
        .Disabled = {.Glyph = kVein, .Radius = 3},
    };
}

constexpr TStyleFace kSmokeyCaption = {.Fill = Hex(0x4E463F), .FillEnd = Hex(0x3F3934), .Border = kSoot,
                                       .Light = Hex(0x665C53), .Text = Hex(0xF4EDE4), .Radius = 6};
constexpr TStyleFace kSmokeyCaptionInactive = {.Fill = Hex(0x3A3430), .Border = Hex(0x26221F), .Text = Hex(0x968B80),
                                               .Radius = 6};

const TStyleDescription kSmokeyQuartzKamri = {
    .Name = "Smokey Quartz Kamri",
    .SystemColors = {
        Hex(0x2E2A27),   // COLOR_SCROLLBAR
        Hex(0x1E1B19),   // COLOR_BACKGROUND
        Hex(0x4A423B),   // COLOR_ACTIVECAPTION
        Hex(0x3A3430),   // COLOR_INACTIVECAPTION
        kSmoke,          // COLOR_MENU
        kDeep,           // COLOR_WINDOW
        Hex(0x1C1917),   // COLOR_WINDOWFRAME
        kTextColour,           // COLOR_MENUTEXT
        kTextColour,           // COLOR_WINDOWTEXT
        Hex(0xF4EDE4),   // COLOR_CAPTIONTEXT
        Hex(0x4A423B),   // COLOR_ACTIVEBORDER
        Hex(0x3A3430),   // COLOR_INACTIVEBORDER
        Hex(0x332E2A),   // COLOR_APPWORKSPACE
        kHoneyDeep,      // COLOR_HIGHLIGHT
        Hex(0xFFF7EC),   // COLOR_HIGHLIGHTTEXT
        kSmoke,          // COLOR_BTNFACE
        Hex(0x26221F),   // COLOR_BTNSHADOW
        Hex(0x857A70),   // COLOR_GRAYTEXT
        kTextColour,           // COLOR_BTNTEXT
        Hex(0x968B80),   // COLOR_INACTIVECAPTIONTEXT
        Hex(0x5A5149),   // COLOR_BTNHIGHLIGHT
        kSoot,           // COLOR_3DDKSHADOW
        kStone,          // COLOR_3DLIGHT
        kTextColour,           // COLOR_INFOTEXT
        Hex(0x4A423B),   // COLOR_INFOBK
        clBlack,         // 25, unused
        Hex(0xE3AE63),   // COLOR_HOTLIGHT
        kSmoke,          // COLOR_GRADIENTACTIVECAPTION
        Hex(0x3A3430),   // COLOR_GRADIENTINACTIVECAPTION
        kHoneyDeep,      // COLOR_MENUHILIGHT
        kSmoke,          // COLOR_MENUBAR
    },
    .Metrics = {
        .CheckBoxSize = 13,
        .RadioSize = 13,
        .ScrollBarSize = 15,
        .ScrollThumbInset = 3,
        .ScrollThumbMin = 16,
        .TrackThumb = {14, 14},
        .TrackChannel = 5,
        .TrackThumbShape = tsRounded,
        .CaptionHeight = 26,
        .SmallCaptionHeight = 20,
        .FrameWidth = 4,
        .CaptionButton = {30, 20},
        .SmallCaptionButton = {22, 16},
        .CaptionIcon = 16,
        .GlyphStroke = 1.2,
    },
    .Looks = {
        .PushButton = {
            .Normal = kSmokeyButton.Normal,
            .Hot = kSmokeyButton.Hot,
            .Pressed = kSmokeyButton.Pressed,
            .Disabled = kSmokeyButton.Disabled,
            .Defaulted = {.Fill = kQuartz, .FillEnd = kStone, .Border = kHoney, .Light = Hex(0x74695F),
                          .Text = clBtnText, .Radius = 3},
        },
        .CheckBoxUnchecked = kSmokeyUncheckedBox,
        .CheckBoxChecked = kSmokeyCheckedBox,
        .CheckBoxMixed = kSmokeyCheckedBox,
        .RadioUnchecked = kSmokeyUncheckedBox,
        .RadioChecked = {
            .Normal = {.Fill = kDeep, .Border = kHoney, .Glyph = Hex(0xE8B46A), .Text = clBtnText},
            .Hot = {.Fill = kDeep, .Border = kHoneyLight, .Glyph = kHoneyLight, .Text = kHoneyLight},
            .Pressed = {.Fill = kOutline, .Border = kHoney, .Glyph = kHoney, .Text = kHoneyLight},
            .Disabled = {.Fill = Hex(0x34302C), .Border = kStone, .Glyph = kVein, .Text = clGrayText},
        },
        .GroupBox = {
            .Normal = {.Border = Hex(0x564E46), .Text = Hex(0xE8C089), .Radius = 4},
            .Disabled = {.Border = Hex(0x45403A), .Text = clGrayText, .Radius = 4},
        },
        .Edit = {
            .Normal = {.Fill = clWindow, .Border = kSoot, .Light = Hex(0x221F1C), .Text = clWindowText, .Radius = 2},
            .Hot = {.Fill = clWindow, .Border = kVein, .Light = Hex(0x221F1C), .Text = clWindowText, .Radius = 2},
            .Focused = {.Fill = clWindow, .Border = kHoney, .Text = clWindowText, .Radius = 2},
            .Disabled = {.Fill = Hex(0x34302C), .Border = Hex(0x3F3A35), .Text = clGrayText, .Radius = 2},
            .ReadOnly = {.Fill = Hex(0x322E2A), .Border = kSoot, .Text = clWindowText, .Radius = 2},
        },
        .ComboReadOnly = SmokeyRaised(Hex(0xE6DCCF), 3),
        .ComboButton = {
            .Normal = {.Glyph = Hex(0xCFC4B8), .Radius = 2},
            .Hot = {.Fill = kStone, .Glyph = kHoneyLight, .Radius = 2},
            .Pressed = {.Fill = kOutline, .Glyph = kHoney, .Radius = 2},
            .Disabled = {.Glyph = Hex(0x5A5149), .Radius = 2},
        },
        .ScrollTrack = {.Normal = {.Fill = Hex(0x2E2A27)}, .Disabled = {.Fill = Hex(0x34302C)}},
        .ScrollThumb = {
            .Normal = {.Fill = Hex(0x5A5149), .FillEnd = Hex(0x524A43), .Radius = 5},
            .Hot = {.Fill = kVein, .FillEnd = Hex(0x655B52), .Radius = 5},
            .Pressed = {.Fill = kHoney, .FillEnd = Hex(0xC48E45), .Radius = 5},
            .Disabled = {},
        },
        .ScrollArrow = {
            .Normal = {.Glyph = Hex(0x8E8377)},
            .Hot = {.Fill = Hex(0x3F3934), .Glyph = kTextColour},
            .Pressed = {.Fill = kHoneyDeep, .Glyph = Hex(0xFFF7EC)},
            .Disabled = {.Glyph = kStone},
        },
        .SizeBox = {.Fill = Hex(0x2E2A27), .Glyph = Hex(0x5A5149)},
        .TrackChannel = {.Fill = Hex(0x1F1C1A), .Border = kSoot, .Shadow = Hex(0x2E2A27), .Radius = 2},
        // Round pebbles of the stone; honey while dragged.
        .TrackThumb = {
            .Normal = {.Fill = Hex(0x7A6F65), .FillEnd = kQuartz, .Border = kOutline, .Light = Hex(0x948778),
                       .Radius = 7},
            .Hot = {.Fill = Hex(0x8A7E72), .FillEnd = Hex(0x6A6158), .Border = kOutline, .Light = Hex(0xA39684),
                    .Radius = 7},
            .Pressed = {.Fill = kHoneyLight, .FillEnd = kHoney, .Border = Hex(0x8E6232), .Radius = 7},
            .Focused = {.Fill = Hex(0x7A6F65), .FillEnd = kQuartz, .Border = kHoney, .Light = Hex(0x948778),
                        .Radius = 7},
            .Disabled = {.Fill = Hex(0x48423C), .Border = Hex(0x332E2A), .Radius = 7},
        },
        .TrackTics = {.Border = kVein},
        .Tab = {
            .Normal = {.Fill = Hex(0x35302C), .FillEnd = Hex(0x302C28), .Border = kOutline, .Text = Hex(0xB8AEA3),
                       .Radius = 3},
            .Hot = {.Fill = Hex(0x433D37), .FillEnd = kSmoke, .Border = kOutline, .Text = kTextColour, .Radius = 3},
            .Selected = {.Fill = kStone, .FillEnd = kSmoke, .Border = kOutline, .Accent = kHoney,
                         .Text = Hex(0xF4EDE4), .Radius = 3},
            .Disabled = {.Fill = Hex(0x302C28), .Border = kOutline, .Text = clGrayText, .Radius = 3},
            .Focused = {.Fill = kStone, .FillEnd = kSmoke, .Border = kOutline, .Accent = kHoneyLight,
                        .Text = Hex(0xFFF7EC), .Radius = 3},
        },
        .TabPane = {.Fill = kSmoke, .Border = kOutline, .Light = kStone},
        .Header = {
            .Normal = {.Fill = kStone, .FillEnd = Hex(0x403A35), .Border = Hex(0x2A2623), .Light = Hex(0x5A5149),
                       .Shadow = kOutline, .Text = kTextColour},
            .Hot = {.Fill = Hex(0x564E47), .FillEnd = kStone, .Border = Hex(0x2A2623), .Light = kVein,
                    .Shadow = kOutline, .Text = Hex(0xFFF7EC)},
            .Pressed = {.Fill = kSmoke, .FillEnd = Hex(0x35302C), .Border = Hex(0x2A2623), .Shadow = kHoney,
                        .Text = kHoneyLight},
        },
        .HeaderRoot = {.Fill = kStone, .FillEnd = Hex(0x403A35), .Light = Hex(0x5A5149), .Shadow = kOutline},
        .ListItem = {
            .Normal = {.Text = clWindowText},
            .Hot = {.Fill = Hex(0x3F3934), .Border = Hex(0x564E46), .Text = clWindowText, .Radius = 2},
            .Selected = {.Fill = kHoneyDeep, .FillEnd = Hex(0x8A5F31), .Border = Hex(0xB07D43), .Text = clHighlightText,
                         .Radius = 2},
            .SelectedNotFocus = {.Fill = kStone, .Border = Hex(0x564E46), .Text = clWindowText, .Radius = 2},
            .HotSelected = {.Fill = Hex(0xA8763F), .FillEnd = Hex(0x966834), .Border = Hex(0xC48E45),
                            .Text = clHighlightText, .Radius = 2},
        },
        .GroupHeader = {
            .Normal = {.Glyph = Hex(0xE3AE63), .Text = Hex(0xE3AE63)},
            .Hot = {.Fill = Hex(0x3A3530), .Border = Hex(0x564E46), .Glyph = kHoneyLight, .Text = kHoneyLight,
                    .Radius = 3},
            .Selected = {.Fill = Hex(0x4A3A28), .Border = kHoneyDeep, .Glyph = kHoneyLight, .Text = kHoneyLight,
                         .Radius = 3},
            .SelectedHot = {.Fill = Hex(0x56422C), .Border = Hex(0xB07D43), .Glyph = kHoneyLight, .Text = kHoneyLight,
                            .Radius = 3},
        },
        .GroupHeaderLine = {.Border = Hex(0x564E46)},
        .Caption = {.Active = kSmokeyCaption, .Inactive = kSmokeyCaptionInactive},
        .SmallCaption = {.Active = kSmokeyCaption, .Inactive = kSmokeyCaptionInactive},
        .Frame = {
            .Active = {.Fill = Hex(0x3F3934), .Border = kSoot},
            .Inactive = {.Fill = Hex(0x3A3430), .Border = Hex(0x26221F)},
        },
        .CaptionButton = SmokeyCaptionButtons(Hex(0x5E554D), Hex(0x2F2A26)),
        .CloseButton = SmokeyCaptionButtons(Hex(0xB8483A), Hex(0x8E3329)),
        .FormBackground = {.Fill = clBtnFace, .Text = clWindowText},
        .PanelBackground = {.Fill = clBtnFace, .Text = clBtnText},
        .PanelBevel = {.Light = kStone, .Shadow = Hex(0x26221F)},
        .TextLabel = {.Normal = {.Text = clBtnText}, .Disabled = {.Text = clGrayText}},
        .Divider = {.Light = kStone, .Shadow = Hex(0x26221F)},
        .ProgressBar = {.Fill = kDeep, .Border = kSoot, .Radius = 3},
        .ProgressChunk = {.Fill = Hex(0xE8B46A), .FillEnd = Hex(0xC48E45), .Light = Hex(0xF6D69E), .Radius = 2},
        .FocusRect = {.Border = kHoney, .Radius = 2},
    },
};

}  // namespace

const TStyleDescription& WindowsStyleDescription()
{
    return kWindows;
}

const TStyleDescription& SmokeyQuartzKamriDescription()
{
    return kSmokeyQuartzKamri;
}

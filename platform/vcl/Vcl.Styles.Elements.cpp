// Vcl.Styles.Elements.cpp: the element catalogue.
#include "Vcl.Styles.Elements.h"

namespace StyleElements {

namespace {

// Four mouse states (normal, hot, pressed, disabled) from a details state counted from 1.
const TStyleFace& MouseFace(const TStyleMouseFaces& AFaces, int AState)
{
    switch ((AState - 1) % 4) {
    case 1:
        return AFaces.Hot;
    case 2:
        return AFaces.Pressed;
    case 3:
        return AFaces.Disabled;
    default:
        return AFaces.Normal;
    }
}

template <class TFaces, size_t N>
const TStyleFace* Pick(const TFaces& AFaces, const TStyleFace TFaces::*const (&AMembers)[N], int AState)
{
    if (AState < 1 || AState > int(N))
        return nullptr;
    return &(AFaces.*AMembers[AState - 1]);
}

TElementPaint ButtonPaint(const TStyleLooks& L, int APart, int AState)
{
    using F = TStylePushButtonFaces;
    switch (APart) {
    case kPushButton:
        return {Pick(L.PushButton, {&F::Normal, &F::Hot, &F::Pressed, &F::Disabled, &F::Defaulted}, AState)};
    case kRadioButton:
        if (AState < 1 || AState > 8)
            return {};
        return {&MouseFace(AState <= 4 ? L.RadioUnchecked : L.RadioChecked, AState), shRound,
                AState <= 4 ? glNone : glDot};
    case kCheckBox: {
        if (AState < 1 || AState > 12)
            return {};
        const TStyleMouseFaces* Faces[] = {&L.CheckBoxUnchecked, &L.CheckBoxChecked, &L.CheckBoxMixed};
        TPartGlyph Glyphs[] = {glNone, glCheck, glMixed};
        int Kind = (AState - 1) / 4;
        return {&MouseFace(*Faces[Kind], AState), shBox, Glyphs[Kind]};
    }
    case kGroupBox:
        return {Pick(L.GroupBox, {&TStyleEnabledFaces::Normal, &TStyleEnabledFaces::Disabled}, AState)};
    default:
        return {};
    }
}

TElementPaint ComboPaint(const TStyleLooks& L, int APart, int AState)
{
    if (AState < 1 || AState > 4)
        return {};
    using E = TStyleEditFaces;
    switch (APart) {
    case kComboButton:
        return {&MouseFace(L.ComboButton, AState), shBox, glChevronDown};
    case kComboBorder:
        return {Pick(L.Edit, {&E::Normal, &E::Hot, &E::Focused, &E::Disabled}, AState)};
    case kComboReadOnly:
        return {&MouseFace(L.ComboReadOnly, AState), shBox, glChevronDown};
    default:
        return {};
    }
}

TElementPaint ScrollBarPaint(const TStyleLooks& L, int APart, int AState)
{
    switch (APart) {
    case kScrollArrow: {
        if (AState < 1 || AState > 16)
            return {};
        TPartGlyph Arrows[] = {glArrowUp, glArrowDown, glArrowLeft, glArrowRight};
        return {&MouseFace(L.ScrollArrow, AState), shBox, Arrows[(AState - 1) / 4]};
    }
    case kThumbHorz:
    case kThumbVert:
        if (AState < 1 || AState > 4)
            return {};
        return {&MouseFace(L.ScrollThumb, AState), shBox, glNone, APart == kThumbVert};
    case kTrackHorz:
    case kTrackVert:
        return {Pick(L.ScrollTrack, {&TStyleEnabledFaces::Normal, &TStyleEnabledFaces::Disabled}, AState), shBox,
                glNone, APart == kTrackVert};
    case kSizeBox:
        return {AState == 1 ? &L.SizeBox : nullptr, shBox, glGrip};
    default:
        return {};
    }
}

TElementPaint TrackBarPaint(const TStyleLooks& L, const TStyleMetrics& M, int APart, int AState)
{
    using T = TStyleThumbFaces;
    switch (APart) {
    case kChannel:
    case kChannelVert:
        return {AState == 1 ? &L.TrackChannel : nullptr, shBox, glNone, APart == kChannelVert};
    case kThumb:
    case kThumbVertical: {
        bool Vertical = APart == kThumbVertical;
        TPartShape Shape = M.TrackThumbShape == tsRounded ? shBox : Vertical ? shPointerRight : shPointerDown;
        return {Pick(L.TrackThumb, {&T::Normal, &T::Hot, &T::Pressed, &T::Focused, &T::Disabled}, AState), Shape,
                glNone, Vertical};
    }
    case kTics:
    case kTicsVert:
        return {AState == 1 ? &L.TrackTics : nullptr, shBox, glNone, APart == kTicsVert};
    default:
        return {};
    }
}

TElementPaint ListViewPaint(const TStyleLooks& L, int APart, int AState)
{
    using I = TStyleListItemFaces;
    switch (APart) {
    case kListItem:
        return {Pick(L.ListItem, {&I::Normal, &I::Hot, &I::Selected, &I::SelectedNotFocus, &I::HotSelected}, AState)};
    case kGroupHeader: {
        if (AState < 1 || AState > 8)
            return {};
        const TStyleFace* Faces[] = {&L.GroupHeader.Normal, &L.GroupHeader.Hot, &L.GroupHeader.Selected,
                                     &L.GroupHeader.SelectedHot};
        return {Faces[(AState - 1) % 4], shBox, AState <= 4 ? glChevronDown : glChevronRight};
    }
    case kGroupHeaderLine:
        return {AState == 1 ? &L.GroupHeaderLine : nullptr};
    default:
        return {};
    }
}

TElementPaint WindowPaint(const TStyleLooks& L, int APart, int AState)
{
    auto Active = [&](const TStyleActiveFaces& AFaces) -> const TStyleFace* {
        return AState == 1 ? &AFaces.Active : AState == 2 ? &AFaces.Inactive : nullptr;
    };
    auto Button = [&](const TStyleMouseFaces& AFaces, TPartGlyph AGlyph) -> TElementPaint {
        if (AState < 1 || AState > 4)
            return {};
        return {&MouseFace(AFaces, AState), shBox, AGlyph};
    };
    switch (APart) {
    case kCaption:
        return {Active(L.Caption), shTab};
    case kSmallCaption:
        return {Active(L.SmallCaption), shTab};
    case kFrameLeft:
    case kFrameRight:
    case kFrameBottom:
    case kSmallFrameLeft:
    case kSmallFrameRight:
    case kSmallFrameBottom:
        return {Active(L.Frame)};
    case kSysButton:
        return {AState == 1 ? &L.FormBackground : nullptr};
    case kCloseButton:
    case kSmallCloseButton:
        return Button(L.CloseButton, glClose);
    case kMaxButton:
        return Button(L.CaptionButton, glMaximize);
    case kMinButton:
        return Button(L.CaptionButton, glMinimize);
    case kRestoreButton:
        return Button(L.CaptionButton, glRestore);
    case kHelpButton:
        return Button(L.CaptionButton, glHelp);
    case kFormBackground:
        return {AState == 1 ? &L.FormBackground : nullptr};
    default:
        return {};
    }
}

}  // namespace

TElementPaint ElementPaint(const TStyleLooks& L, const TStyleMetrics& M, const TThemedElementDetails& D)
{
    auto Single = [&](const TStyleFace& AFace) -> const TStyleFace* { return D.State == 1 ? &AFace : nullptr; };
    switch (D.Element) {
    case teButton:
        return ButtonPaint(L, D.Part, D.State);
    case teComboBox:
        return ComboPaint(L, D.Part, D.State);
    case teEdit: {
        using E = TStyleEditFaces;
        if (D.Part != kEditText)
            return {};
        return {Pick(L.Edit, {&E::Normal, &E::Hot, &E::Focused, &E::Disabled, &E::ReadOnly}, D.State)};
    }
    case teHeader:
        if (D.Part == kHeaderRoot)
            return {Single(L.HeaderRoot), shHeader};
        if (D.Part != kHeaderItem)
            return {};
        return {Pick(L.Header, {&TStyleHeaderFaces::Normal, &TStyleHeaderFaces::Hot, &TStyleHeaderFaces::Pressed},
                     D.State),
                shHeader};
    case teListView:
        return ListViewPaint(L, D.Part, D.State);
    case tePanel:
        if (D.Part == kPanelBevel)
            return {Single(L.PanelBevel), shBevel};
        return {D.Part == kPanelBackground ? Single(L.PanelBackground) : nullptr};
    case teProgress:
        if (D.Part < kProgressBar || D.Part > kProgressChunkVert)
            return {};
        return {Single(D.Part <= kProgressBarVert ? L.ProgressBar : L.ProgressChunk), shBox, glNone,
                D.Part == kProgressBarVert || D.Part == kProgressChunkVert};
    case teScrollBar:
        return ScrollBarPaint(L, D.Part, D.State);
    case teTab:
        if (D.Part == kTabPane)
            return {Single(L.TabPane)};
        if (D.Part != kTabItem)
            return {};
        return {Pick(L.Tab,
                     {&TStyleTabFaces::Normal, &TStyleTabFaces::Hot, &TStyleTabFaces::Selected,
                      &TStyleTabFaces::Disabled, &TStyleTabFaces::Focused},
                     D.State),
                shTab};
    case teTextLabel:
        if (D.Part == kDivider)
            return {Single(L.Divider)};
        if (D.Part != kTextLabel)
            return {};
        return {Pick(L.TextLabel, {&TStyleEnabledFaces::Normal, &TStyleEnabledFaces::Disabled}, D.State)};
    case teTrackBar:
        return TrackBarPaint(L, M, D.Part, D.State);
    case teWindow:
        return WindowPaint(L, D.Part, D.State);
    }
    return {};
}


void PlaceElement(const TThemedElementDetails& D, const TStyleMetrics& M, const TRect& ARect, int ADpi, TRect& ABody,
                  TRect& AGlyph)
{
    ABody = AGlyph = ARect;
    switch (D.Element) {
    case teButton:
        if (D.Part == kCheckBox || D.Part == kRadioButton) {
            int Side = Scaled(D.Part == kCheckBox ? M.CheckBoxSize : M.RadioSize, ADpi);
            ABody = AGlyph = Centred(ARect, Side, Side);
        }
        break;
    case teComboBox:
        if (D.Part == kComboReadOnly)
            AGlyph.Left = ARect.Right - Scaled(M.ScrollBarSize, ADpi);
        break;
    case teScrollBar:
        if (D.Part == kThumbHorz || D.Part == kThumbVert) {
            int Inset = Scaled(M.ScrollThumbInset, ADpi);
            ABody = D.Part == kThumbVert ? Inflated(ARect, -Inset, 0) : Inflated(ARect, 0, -Inset);
        }
        break;
    case teListView:
        if (D.Part == kGroupHeader) {
            AGlyph.Right = ARect.Right - Scaled(4, ADpi);
            AGlyph.Left = AGlyph.Right - Scaled(16, ADpi);
        }
        break;
    default:
        break;
    }
}

bool PaintLineElement(TCanvas* ACanvas, const TThemedElementDetails& D, const TRect& ARect, const TRect* AClip,
                      const TStyleFace& AFace, double AScale)
{
    const TRect& R = ARect;
    auto Row = [&](int AY, TColor AColor) { PaintLine(ACanvas, R.Left, AY, R.Right - 1, AY, AColor, AClip); };
    auto Column = [&](int AX, TColor AColor) { PaintLine(ACanvas, AX, R.Top, AX, R.Bottom - 1, AColor, AClip); };
    switch (D.Element) {
    case teListView:
        if (D.Part != kGroupHeaderLine)
            return false;
        Row((R.Top + R.Bottom) / 2, AFace.Border);
        return true;
    case teTextLabel:
        if (D.Part == kDivider) {
            int Y = R.Top + (R.Height() - 2) / 2;
            Row(Y, AFace.Shadow);
            Row(Y + 1, AFace.Light);
        }
        return true;   // a label's text is the caller's
    case teTrackBar:
        if (D.Part == kTics)
            Column(R.Left, AFace.Border);
        else if (D.Part == kTicsVert)
            Row(R.Top, AFace.Border);
        return D.Part == kTics || D.Part == kTicsVert;
    case teWindow:
        if (D.Part == kSysButton)
            return true;   // the window's icon goes there
        if (D.Part < kFrameLeft || D.Part > kSmallFrameBottom)
            return false;
        // The outline runs along the frame's outer edge only.
        PaintPart(ACanvas, R, AClip, TStyleFace{.Fill = AFace.Fill}, shBox, AScale);
        if (D.Part == kFrameLeft || D.Part == kSmallFrameLeft)
            Column(R.Left, AFace.Border);
        else if (D.Part == kFrameRight || D.Part == kSmallFrameRight)
            Column(R.Right - 1, AFace.Border);
        else
            Row(R.Bottom - 1, AFace.Border);
        return true;
    default:
        return false;
    }
}

}  // namespace StyleElements

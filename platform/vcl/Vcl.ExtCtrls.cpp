// Vcl.ExtCtrls.cpp: panels, bevels, images, flow panels and scroll boxes.
#include "Vcl.ExtCtrls.h"

void Frame3D(TCanvas* ACanvas, TRect& ARect, TColor ATopColor, TColor ABottomColor, int AWidth)
{
    TBrush* Brush = ACanvas->Brush();
    TColor Saved = Brush->Color();
    for (int I = 0; I < AWidth && ARect.Width() > 0 && ARect.Height() > 0; ++I) {
        const TRect& R = ARect;
        Brush->SetColor(ATopColor);
        ACanvas->FillRect(Rect(R.Left, R.Top, R.Right, R.Top + 1));
        ACanvas->FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom));
        Brush->SetColor(ABottomColor);
        ACanvas->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
        ACanvas->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
        ARect = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    }
    Brush->SetColor(Saved);
}

// ---- TCustomPanel ------------------------------------------------------------------------

void TCustomPanel::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelOuter(TBevelCut AValue)
{
    FBevelOuter = AValue;
    Realign();
}

void TCustomPanel::SetBevelInner(TBevelCut AValue)
{
    FBevelInner = AValue;
    Realign();
}

void TCustomPanel::SetBevelWidth(int AValue)
{
    FBevelWidth = std::max(AValue, 1);
    Realign();
}

void TCustomPanel::SetBorderWidth(int AValue)
{
    FBorderWidth = std::max(AValue, 0);
    Realign();
}

void TCustomPanel::SetShowCaption(bool AValue)
{
    FShowCaption = AValue;
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment AValue)
{
    FAlignment = AValue;
    Invalidate();
}

void TCustomPanel::SetVerticalAlignment(TVerticalAlignment AValue)
{
    FVerticalAlignment = AValue;
    Invalidate();
}

void TCustomPanel::SetParentBackground(bool AValue)
{
    FParentBackground = AValue;
    Invalidate();
}

void TCustomPanel::SetAutoSize(bool AValue)
{
    FAutoSize = AValue;
    Realign();
}

int TCustomPanel::FrameWidth() const
{
    return (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0) + FBorderWidth;
}

void TCustomPanel::AdjustClientRect(TRect& ARect) const
{
    int W = FrameWidth();
    ARect = Rect(ARect.Left + W, ARect.Top + W, std::max(ARect.Right - W, ARect.Left + W),
                 std::max(ARect.Bottom - W, ARect.Top + W));
}

void TCustomPanel::AlignControls(TRect& ARect)
{
    inherited::AlignControls(ARect);
    FitChildren();
}

// An auto-sized panel takes the size its children need, its frame around them.
void TCustomPanel::FitChildren()
{
    if (!FAutoSize || FFitting)
        return;
    int Right = 0;
    int Bottom = 0;
    bool Any = false;
    for (int I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (!C->Visible())
            continue;
        Any = true;
        Right = std::max(Right, C->Left() + C->Width());
        Bottom = std::max(Bottom, C->Top() + C->Height());
    }
    if (!Any)
        return;
    FFitting = true;
    int W = FrameWidth();
    SetBounds(Left(), Top(), Right + W, Bottom + W);
    FFitting = false;
}

void TCustomPanel::WndProc(TMessage& AMessage)
{
    if (AMessage.Msg == CM_CONTROLCHANGE || AMessage.Msg == CM_TEXTCHANGED)
        Invalidate();
    inherited::WndProc(AMessage);
}

void TCustomPanel::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TRect R = ClientRect();
    if (FParentBackground)
        Style->DrawParentBackground(this, Canvas(), &R);
    else {
        Canvas()->Brush()->SetColor(StyledColor(Color()));
        Canvas()->FillRect(R);
    }
    TColor Light = StyledColor(clBtnHighlight);
    TColor Dark = StyledColor(clBtnShadow);
    auto Bevel = [&](TBevelCut ACut) {
        if (ACut == bvLowered)
            Frame3D(Canvas(), R, Dark, Light, FBevelWidth);
        else if (ACut == bvRaised)
            Frame3D(Canvas(), R, Light, Dark, FBevelWidth);
        else if (ACut == bvSpace)
            R = Rect(R.Left + FBevelWidth, R.Top + FBevelWidth, R.Right - FBevelWidth, R.Bottom - FBevelWidth);
    };
    Bevel(FBevelOuter);
    R = Rect(R.Left + FBorderWidth, R.Top + FBorderWidth, R.Right - FBorderWidth, R.Bottom - FBorderWidth);
    Bevel(FBevelInner);
    if (!FShowCaption || Caption().empty())
        return;
    TTextFormat Format = {tfSingleLine};
    Format.Include(FAlignment == taCenter ? tfCenter : FAlignment == taRightJustify ? tfRight : tfLeft);
    Format.Include(FVerticalAlignment == taVerticalCenter ? tfVerticalCenter
                   : FVerticalAlignment == taAlignBottom  ? tfBottom
                                                          : tfTop);
    Canvas()->Font()->Assign(Font());
    DrawCaption(Canvas(), Caption(), R, Format,
                Style->GetStyleFontColor(Enabled() ? sfPanelTextNormal : sfPanelTextDisabled));
}

// ---- TCustomFlowPanel --------------------------------------------------------------------

void TCustomFlowPanel::SetAutoWrap(bool AValue)
{
    FAutoWrap = AValue;
    Realign();
}

void TCustomFlowPanel::SetFlowStyle(TFlowStyle AValue)
{
    FFlowStyle = AValue;
    Realign();
}

void TCustomFlowPanel::SetControlMargin(int AValue)
{
    FControlMargin = std::max(AValue, 0);
    Realign();
}

void TCustomFlowPanel::WndProc(TMessage& AMessage)
{
    inherited::WndProc(AMessage);
    if (AMessage.Msg == CM_CONTROLCHANGE)
        Realign();
}

// Children in their z-order, each after the one before along the flow; a child that would
// pass the edge starts a new row (column) when AutoWrap.
void TCustomFlowPanel::AlignControls(TRect& ARect)
{
    bool Columns = FFlowStyle >= fsTopBottomLeftRight;
    bool Reverse = FFlowStyle == fsRightLeftTopBottom || FFlowStyle == fsRightLeftBottomTop ||
                   FFlowStyle == fsBottomTopLeftRight || FFlowStyle == fsBottomTopRightLeft;
    bool ReverseLines = FFlowStyle == fsLeftRightBottomTop || FFlowStyle == fsRightLeftBottomTop ||
                        FFlowStyle == fsTopBottomRightLeft || FFlowStyle == fsBottomTopRightLeft;
    int M = FControlMargin;
    int Along = 0;     // distance from the flow's start edge
    int Across = 0;    // distance of the line from the lines' start edge
    int LineSize = 0;
    int Limit = Columns ? ARect.Height() : ARect.Width();
    for (int I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (!C->Visible())
            continue;
        int Length = (Columns ? C->Height() : C->Width()) + 2 * M;
        int Thick = (Columns ? C->Width() : C->Height()) + 2 * M;
        if (FAutoWrap && Along > 0 && Along + Length > Limit) {
            Across += LineSize;
            Along = 0;
            LineSize = 0;
        }
        int A = Reverse ? (Columns ? ARect.Bottom : ARect.Right) - Along - Length + M
                        : (Columns ? ARect.Top : ARect.Left) + Along + M;
        int B = ReverseLines ? (Columns ? ARect.Right : ARect.Bottom) - Across - Thick + M
                             : (Columns ? ARect.Left : ARect.Top) + Across + M;
        if (Columns)
            C->SetBounds(B, A, C->Width(), C->Height());
        else
            C->SetBounds(A, B, C->Width(), C->Height());
        Along += Length;
        LineSize = std::max(LineSize, Thick);
    }
    FitChildren();
}

// ---- TBevel ------------------------------------------------------------------------------

void TBevel::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape AValue)
{
    FShape = AValue;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle AValue)
{
    FStyle = AValue;
    Invalidate();
}

void TBevel::Paint()
{
    TColor Light = StyledColor(clBtnHighlight);
    TColor Dark = StyledColor(clBtnShadow);
    TColor First = FStyle == bsLowered ? Dark : Light;
    TColor Second = FStyle == bsLowered ? Light : Dark;
    TRect R = ClientRect();
    TCanvas* C = Canvas();
    auto Line = [&](TColor AColor, const TRect& ALine) {
        C->Brush()->SetColor(AColor);
        C->FillRect(ALine);
    };
    switch (FShape) {
    case bsBox:
        Frame3D(C, R, First, Second, 1);
        break;
    case bsFrame: {
        TRect Outer = Rect(R.Left, R.Top, R.Right - 1, R.Bottom - 1);
        TRect Inner = Rect(R.Left + 1, R.Top + 1, R.Right, R.Bottom);
        Frame3D(C, Inner, Second, Second, 1);
        Frame3D(C, Outer, First, First, 1);
        break;
    }
    case bsTopLine:
        Line(First, Rect(R.Left, R.Top, R.Right, R.Top + 1));
        Line(Second, Rect(R.Left, R.Top + 1, R.Right, R.Top + 2));
        break;
    case bsBottomLine:
        Line(First, Rect(R.Left, R.Bottom - 2, R.Right, R.Bottom - 1));
        Line(Second, Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
        break;
    case bsLeftLine:
        Line(First, Rect(R.Left, R.Top, R.Left + 1, R.Bottom));
        Line(Second, Rect(R.Left + 1, R.Top, R.Left + 2, R.Bottom));
        break;
    case bsRightLine:
        Line(First, Rect(R.Right - 2, R.Top, R.Right - 1, R.Bottom));
        Line(Second, Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
        break;
    case bsSpacer:
        break;
    }
}

// ---- TImage ------------------------------------------------------------------------------

void TImage::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FPicture = TPicture::Create();
    FPicture->SetOnChange(TNotifyEvent::Bind<&TImage::PictureChanged>(this));
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    if (FPicture != nullptr)
        FPicture->Free();
}

void TImage::PictureChanged(TObject*)
{
    Invalidate();
}

void TImage::SetStretch(bool AValue)
{
    FStretch = AValue;
    Invalidate();
}

void TImage::SetProportional(bool AValue)
{
    FProportional = AValue;
    Invalidate();
}

void TImage::SetCenter(bool AValue)
{
    FCenter = AValue;
    Invalidate();
}

TRect TImage::DestRect() const
{
    int W = FPicture->Width();
    int H = FPicture->Height();
    int CW = Width();
    int CH = Height();
    if (W <= 0 || H <= 0)
        return Rect(0, 0, 0, 0);
    if (FStretch || (FProportional && (W > CW || H > CH))) {
        if (FProportional) {
            // The largest size of the picture's shape that fits.
            if (int64_t(CW) * H > int64_t(CH) * W) {
                W = int(int64_t(W) * CH / H);
                H = CH;
            } else {
                H = int(int64_t(H) * CW / W);
                W = CW;
            }
        } else {
            W = CW;
            H = CH;
        }
    }
    int X = FCenter ? (CW - W) / 2 : 0;
    int Y = FCenter ? (CH - H) / 2 : 0;
    return Rect(X, Y, X + W, Y + H);
}

void TImage::Paint()
{
    TGraphic* Graphic = FPicture->Graphic();
    if (Graphic == nullptr || Graphic->Empty())
        return;
    TRect Dest = DestRect();
    if (Dest.Width() == Graphic->Width() && Dest.Height() == Graphic->Height())
        Canvas()->Draw(Dest.Left, Dest.Top, Graphic);
    else
        Canvas()->StretchDraw(Dest, Graphic);
}

// ---- Scroll box --------------------------------------------------------------------------

void TControlScrollBar::Construct(TScrollingWinControl* AControl, TScrollBarKind AKind)
{
    inherited::Construct();
    FControl = AControl;
    FBar.Kind = AKind;
    FBar.Max = 0;
}

void TControlScrollBar::SetPosition(int AValue)
{
    FControl->MoveTo(this, AValue);
}

void TControlScrollBar::SetVisible(bool AValue)
{
    FVisible = AValue;
    FControl->UpdateScrollBars();
}

void TScrollingWinControl::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FHorz = TControlScrollBar::Create(this, sbHorizontal);
    FVert = TControlScrollBar::Create(this, sbVertical);
}

TScrollingWinControl::~TScrollingWinControl()
{
    if (FHorz != nullptr)
        FHorz->Free();
    if (FVert != nullptr)
        FVert->Free();
}

TRect TScrollingWinControl::ClientRect() const
{
    int Bar = StyleServices()->Metrics().ScrollBarSize;
    int W = Width() - (FVert != nullptr && FVert->IsScrollBarVisible() ? Bar : 0);
    int H = Height() - (FHorz != nullptr && FHorz->IsScrollBarVisible() ? Bar : 0);
    return Rect(0, 0, std::max(W, 0), std::max(H, 0));
}

// The content's extent is the children's, measured from the unscrolled origin; a bar shows
// when its extent passes the client area (which the other bar may narrow).
void TScrollingWinControl::UpdateScrollBars()
{
    if (FUpdating)
        return;
    FUpdating = true;
    int Right = 0;
    int Bottom = 0;
    for (int I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (!C->Visible() || C->Align() == alClient)
            continue;
        Right = std::max(Right, C->Left() + C->Width() + FHorz->Position());
        Bottom = std::max(Bottom, C->Top() + C->Height() + FVert->Position());
    }
    FHorz->FRange = Right;
    FVert->FRange = Bottom;
    int Bar = StyleServices()->Metrics().ScrollBarSize;
    bool Horz = false;
    bool Vert = false;
    for (int Pass = 0; Pass < 2; ++Pass) {
        Horz = FHorz->FVisible && Right > Width() - (Vert ? Bar : 0);
        Vert = FVert->FVisible && Bottom > Height() - (Horz ? Bar : 0);
    }
    FHorz->FShown = Horz;
    FVert->FShown = Vert;
    TRect Client = ClientRect();
    FHorz->FBar.Bounds = Rect(0, Client.Bottom, Client.Right, Height());
    FHorz->FBar.Max = std::max(Right - 1, 0);
    FHorz->FBar.Page = Client.Width();
    FVert->FBar.Bounds = Rect(Client.Right, 0, Width(), Client.Bottom);
    FVert->FBar.Max = std::max(Bottom - 1, 0);
    FVert->FBar.Page = Client.Height();
    FUpdating = false;
    // Content that fits again slides back.
    for (TControlScrollBar* B : {FHorz, FVert}) {
        int Limit = B->FShown ? B->FBar.MaxPosition() : 0;
        if (B->FBar.Position > Limit)
            MoveTo(B, Limit);
    }
    Invalidate();
}

void TScrollingWinControl::MoveTo(TControlScrollBar* ABar, int APosition)
{
    int Limit = ABar->FShown ? ABar->FBar.MaxPosition() : 0;
    APosition = std::clamp(APosition, 0, std::max(Limit, 0));
    int Delta = ABar->FBar.Position - APosition;
    if (Delta == 0)
        return;
    ABar->FBar.Position = APosition;
    bool Horizontal = ABar == FHorz;
    FUpdating = true;
    DisableAlign();
    for (int I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (C->Align() == alNone)
            C->SetBounds(C->Left() + (Horizontal ? Delta : 0), C->Top() + (Horizontal ? 0 : Delta), C->Width(),
                         C->Height());
    }
    EnableAlign();
    FUpdating = false;
    Invalidate();
    if (FOnScroll)
        FOnScroll(this);
}

void TScrollingWinControl::ScrollBy(int ADeltaX, int ADeltaY)
{
    MoveTo(FHorz, FHorz->Position() - ADeltaX);
    MoveTo(FVert, FVert->Position() - ADeltaY);
}

void TScrollingWinControl::ScrollInView(TControl* AControl)
{
    if (AControl == nullptr || AControl->Parent() != this)
        return;
    TRect Client = ClientRect();
    auto Needed = [](int AStart, int ALength, int AView) {
        if (AStart < 0)
            return AStart;
        if (AStart + ALength > AView)
            return std::min(AStart + ALength - AView, AStart);
        return 0;
    };
    int DX = Needed(AControl->Left(), AControl->Width(), Client.Width());
    int DY = Needed(AControl->Top(), AControl->Height(), Client.Height());
    ScrollBy(-DX, -DY);
}

void TScrollingWinControl::WndProc(TMessage& AMessage)
{
    inherited::WndProc(AMessage);
    if (AMessage.Msg == CM_CONTROLCHANGE)
        UpdateScrollBars();
}

void TScrollingWinControl::ControlBoundsChanged(TControl* AControl)
{
    inherited::ControlBoundsChanged(AControl);
    UpdateScrollBars();
}

void TScrollingWinControl::Resize()
{
    inherited::Resize();
    UpdateScrollBars();
}

void TScrollingWinControl::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    // The bars lie outside the client area: the canvas draws there all the same.
    for (TControlScrollBar* B : {FHorz, FVert})
        if (B->IsScrollBarVisible())
            B->FBar.Paint(Canvas(), Style, TScrollBarPart::hNone);
}

void TScrollingWinControl::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    for (TControlScrollBar* B : {FHorz, FVert}) {
        if (!B->IsScrollBarVisible() || B->FBar.HitTest(Point(AX, AY)) == TScrollBarPart::hNone)
            continue;
        int Before = B->FBar.Position;
        B->FBar.MouseDown(Point(AX, AY), B->FIncrement, std::max(B->FBar.Page - B->FIncrement, B->FIncrement));
        int After = B->FBar.Position;
        B->FBar.Position = Before;
        MoveTo(B, After);
        if (B->FBar.Dragging())
            FDragged = B;
    }
}

void TScrollingWinControl::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    if (FDragged != nullptr && FDragged->FTracking)
        MoveTo(FDragged, FDragged->FBar.TrackPosition(Point(AX, AY)));
}

void TScrollingWinControl::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    if (FDragged != nullptr) {
        MoveTo(FDragged, FDragged->FBar.TrackPosition(Point(AX, AY)));
        FDragged->FBar.MouseUp();
        FDragged = nullptr;
    }
    for (TControlScrollBar* B : {FHorz, FVert})
        B->FBar.MouseUp();
    Invalidate();
    inherited::MouseUp(AButton, AShift, AX, AY);
}

bool TScrollingWinControl::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    if (inherited::DoMouseWheel(AShift, AWheelDelta, AMousePos))
        return true;
    TControlScrollBar* Bar = AShift.Contains(ssShift) || !FVert->IsScrollBarVisible() ? FHorz : FVert;
    if (!Bar->IsScrollBarVisible())
        return false;
    // Three lines a notch, a line being the bar's increment.
    MoveTo(Bar, Bar->Position() - AWheelDelta * 3 * Bar->FIncrement / WHEEL_DELTA);
    return true;
}

void TScrollBox::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

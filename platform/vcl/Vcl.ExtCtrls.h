// Vcl.ExtCtrls.h: panels, bevels, images, flow panels and scroll boxes. UI thread only.
#pragma once

#include "Vcl.StdCtrls.h"

X_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace);
X_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer);
X_ENUM(TBevelStyle, bsLowered, bsRaised);
X_ENUM(TVerticalAlignment, taAlignTop, taAlignBottom, taVerticalCenter);
X_ENUM(TFlowStyle, fsLeftRightTopBottom, fsRightLeftTopBottom, fsLeftRightBottomTop, fsRightLeftBottomTop,
       fsTopBottomLeftRight, fsBottomTopLeftRight, fsTopBottomRightLeft, fsBottomTopRightLeft);

// Draws AWidth one-pixel frames, top and left in ATopColor, bottom and right in ABottomColor,
// and shrinks ARect inside them.
void Frame3D(TCanvas* ACanvas, TRect& ARect, TColor ATopColor, TColor ABottomColor, int AWidth);

// ---- Panel -------------------------------------------------------------------------------

class TCustomPanel : public TCustomControl {
    X_CLASS(TCustomPanel, TCustomControl)
public:
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut AValue);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut AValue);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int AValue);
    // Space between the bevels, which the aligned children keep clear of.
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int AValue);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool AValue);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment AValue);
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment AValue);
    // True: the parent's background shows instead of Color.
    bool ParentBackground() const { return FParentBackground; }
    void SetParentBackground(bool AValue);
    // The panel's size follows its children.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool AValue);

protected:
    TCustomPanel() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void AdjustClientRect(TRect& ARect) const override;
    void AlignControls(TRect& ARect) override;
    // The border width of bevels and border together.
    int FrameWidth() const;
    void FitChildren();

private:
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    bool FShowCaption = true;
    TAlignment FAlignment = taCenter;
    TVerticalAlignment FVerticalAlignment = taVerticalCenter;
    bool FParentBackground = true;
    bool FAutoSize = false;
    bool FFitting = false;
};

class TPanel : public TCustomPanel {
    X_CLASS(TPanel, TCustomPanel)
protected:
    TPanel() = default;
};

// Places its children one after another in rows (or columns), wrapping when AutoWrap.
class TCustomFlowPanel : public TCustomPanel {
    X_CLASS(TCustomFlowPanel, TCustomPanel)
public:
    bool AutoWrap() const { return FAutoWrap; }
    void SetAutoWrap(bool AValue);
    TFlowStyle FlowStyle() const { return FFlowStyle; }
    void SetFlowStyle(TFlowStyle AValue);
    // Space left around each child.
    int ControlMargin() const { return FControlMargin; }
    void SetControlMargin(int AValue);

protected:
    TCustomFlowPanel() = default;
    void AlignControls(TRect& ARect) override;
    void ControlBoundsChanged(TControl*) override { Realign(); }
    void WndProc(TMessage& AMessage) override;

private:
    bool FAutoWrap = true;
    TFlowStyle FFlowStyle = fsLeftRightTopBottom;
    int FControlMargin = 0;
};

class TFlowPanel : public TCustomFlowPanel {
    X_CLASS(TFlowPanel, TCustomFlowPanel)
protected:
    TFlowPanel() = default;
};

// ---- Bevel -------------------------------------------------------------------------------

class TBevel : public TGraphicControl {
    X_CLASS(TBevel, TGraphicControl)
public:
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape AValue);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle AValue);

protected:
    TBevel() = default;
    void Construct(TComponent* AOwner) override;
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

// ---- Image -------------------------------------------------------------------------------

class TImage : public TGraphicControl {
    X_CLASS(TImage, TGraphicControl)
public:
    TPicture* Picture() const { return FPicture; }
    void SetPicture(TPicture* AValue) { FPicture->Assign(AValue); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool AValue);
    // Stretched keeping the picture's proportions (and never enlarged past its size when
    // Stretch is off).
    bool Proportional() const { return FProportional; }
    void SetProportional(bool AValue);
    bool Center() const { return FCenter; }
    void SetCenter(bool AValue);
    // Where the picture is drawn in the client area.
    TRect DestRect() const;

protected:
    TImage() = default;
    ~TImage() override;
    void Construct(TComponent* AOwner) override;
    void Paint() override;

private:
    void PictureChanged(TObject*);
    TPicture* FPicture = nullptr;
    bool FStretch = false;
    bool FProportional = false;
    bool FCenter = false;
};

// ---- Scroll box --------------------------------------------------------------------------

// One bar of a scroll box: its range follows the children; Position scrolls them.
class TControlScrollBar : public TPersistent {
    X_CLASS(TControlScrollBar, TPersistent)
public:
    TScrollBarKind Kind() const { return FBar.Kind; }
    int Position() const { return FBar.Position; }
    void SetPosition(int AValue);
    // The extent of the content; 0 while the children fit.
    int Range() const { return FRange; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool AValue);
    bool IsScrollBarVisible() const { return FVisible && FShown; }
    int Increment() const { return FIncrement; }
    void SetIncrement(int AValue) { FIncrement = std::max(AValue, 1); }
    // Dragging the thumb scrolls at once (True) or when it is dropped.
    bool Tracking() const { return FTracking; }
    void SetTracking(bool AValue) { FTracking = AValue; }
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool AValue) { FSmooth = AValue; }

protected:
    TControlScrollBar() = default;
    void Construct(class TScrollingWinControl* AControl, TScrollBarKind AKind);

private:
    friend class TScrollingWinControl;
    TScrollingWinControl* FControl = nullptr;
    TScrollBarPart FBar;
    int FRange = 0;
    bool FVisible = true;
    bool FShown = false;
    int FIncrement = 8;
    bool FTracking = true;
    bool FSmooth = false;
};

using TScrollBoxEvent = TMethod<void(TObject* ASender)>;

class TScrollingWinControl : public TCustomControl {
    X_CLASS(TScrollingWinControl, TCustomControl)
public:
    TControlScrollBar* HorzScrollBar() const { return FHorz; }
    TControlScrollBar* VertScrollBar() const { return FVert; }
    // Less the bars that show.
    TRect ClientRect() const override;
    // Scrolls the children by (ADeltaX, ADeltaY) pixels.
    void ScrollBy(int ADeltaX, int ADeltaY);
    // Scrolls so that the child shows whole, when it can.
    void ScrollInView(TControl* AControl);
    // Finds the bars' ranges from the children again.
    void UpdateScrollBars();
    // Fires after every scroll, when the client area's content moved.
    TNotifyEvent OnScroll() const { return FOnScroll; }
    void SetOnScroll(TNotifyEvent AValue) { FOnScroll = AValue; }

protected:
    TScrollingWinControl() = default;
    ~TScrollingWinControl() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos) override;
    void ControlBoundsChanged(TControl* AControl) override;

private:
    friend class TControlScrollBar;
    void MoveTo(TControlScrollBar* ABar, int APosition);
    TControlScrollBar* FHorz = nullptr;
    TControlScrollBar* FVert = nullptr;
    TControlScrollBar* FDragged = nullptr;
    bool FUpdating = false;
    TNotifyEvent FOnScroll;
};

class TScrollBox : public TScrollingWinControl {
    X_CLASS(TScrollBox, TScrollingWinControl)
protected:
    TScrollBox() = default;
    void Construct(TComponent* AOwner) override;
};

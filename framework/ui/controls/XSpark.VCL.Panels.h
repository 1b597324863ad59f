// XSpark.VCL.Panels.h: the framework's skinned containers: a panel, a group box with a frame, a
// divider or nothing round its caption, a scroll box that reports scrolling and sizing, and a
// scroll bar that follows the mouse wheel. Each paints with its own skin's style, so that a
// container and its contents keep their style. UI thread only.
#pragma once

#include "Vcl.ExtCtrls.h"
#include "Vcl.StdCtrls.h"
#include "XSpark.VCL.h"

X_ENUM(TXFrameStyle, xfsNone, xfsGroupBox, xfsDivider);

class TXScrollBar : public TScrollBar {
    X_CLASS(TXScrollBar, TScrollBar)
protected:
    TXScrollBar() = default;
    // A wheel notch (120) up moves the position 120 back, through the scroll handling.
    void WndProc(TMessage& AMessage) override;
};

class TXCustomPanel : public TXSkinnedWin<TCustomPanel> {
    X_CLASS(TXCustomPanel, TXSkinnedWin<TCustomPanel>)
protected:
    TXCustomPanel() = default;
    void PaintSelf() override;
    void Paint() override;
};

class TXPanel : public TXCustomPanel {
    X_CLASS(TXPanel, TXCustomPanel)
protected:
    TXPanel() = default;
};

class TXCustomGroupBox : public TXSkinnedWin<TCustomControl> {
    X_CLASS(TXCustomGroupBox, TXSkinnedWin<TCustomControl>)
public:
    // True: the parent shows through the box.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool AValue);
    TXFrameStyle FrameStyle() const { return FFrameStyle; }
    void SetFrameStyle(TXFrameStyle AValue);

protected:
    TXCustomGroupBox() = default;
    void Construct(TComponent* AOwner) override;
    void CreateParams(TCreateParams& AParams) override;
    void WndProc(TMessage& AMessage) override;
    void PaintSelf() override;
    void Paint() override;
    void AdjustClientRect(TRect& ARect) const override;

private:
    // The caption's place along the top, (0, 0, 0, 0) without a caption.
    TRect CaptionRect(TCanvas* ACanvas);
    void Changed();

    bool FTransparent = false;
    TXFrameStyle FFrameStyle = xfsGroupBox;
};

class TXGroupBox : public TXCustomGroupBox {
    X_CLASS(TXGroupBox, TXCustomGroupBox)
protected:
    TXGroupBox() = default;
};

class TXScrollBox : public TXSkinnedWin<TScrollBox> {
    X_CLASS(TXScrollBox, TXSkinnedWin<TScrollBox>)
public:
    // Fires after the box was resized; OnScroll fires after it scrolled or was resized.
    TNotifyEvent OnSized() const { return FOnSized; }
    void SetOnSized(TNotifyEvent AValue) { FOnSized = AValue; }

protected:
    TXScrollBox() = default;
    void Construct(TComponent* AOwner) override;
    void Resize() override;

private:
    TNotifyEvent FOnSized;
};

// Leaves the box's painting to the box, which paints with its own skin's style.
class TXScrollBoxStyleHook : public TXSkinStyleHook {
    X_CLASS(TXScrollBoxStyleHook, TXSkinStyleHook)
protected:
    TXScrollBoxStyleHook() = default;
    void Construct(TWinControl* AControl) override;
};

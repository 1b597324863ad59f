// XSpark.VCL.Buttons.h: the framework's push button and check box: the platform's, each with a
// control skin, and style hooks that paint them with their skin's style while it takes
// messages. UI thread only.
#pragma once

#include "Vcl.StdCtrls.h"
#include "XSpark.VCL.h"

class TXCustomButton : public TXSkinnedWin<TCustomButton> {
    X_CLASS(TXCustomButton, TXSkinnedWin<TCustomButton>)
public:
    // Held down by the mouse or by Space.
    bool IsPressed() const { return Pressed(); }

protected:
    TXCustomButton() = default;
};

class TXButton : public TXCustomButton {
    X_CLASS(TXButton, TXCustomButton)
protected:
    TXButton() = default;
};

class TXCheckBox : public TXSkinnedWin<TCheckBox> {
    X_CLASS(TXCheckBox, TXSkinnedWin<TCheckBox>)
public:
    bool IsPressed() const { return Pressed(); }

protected:
    TXCheckBox() = default;
};

class TXButtonStyleHook : public TXSkinStyleHook {
    X_CLASS(TXButtonStyleHook, TXSkinStyleHook)
protected:
    TXButtonStyleHook() = default;
    void Paint(TCanvas* ACanvas) override;
};

class TXCheckBoxStyleHook : public TXSkinStyleHook {
    X_CLASS(TXCheckBoxStyleHook, TXSkinStyleHook)
protected:
    TXCheckBoxStyleHook() = default;
    void Paint(TCanvas* ACanvas) override;
};

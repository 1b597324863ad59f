// Vcl.Buttons.h: speed buttons: windowless buttons for tool bars, plain or staying down, with a
// caption or a glyph. UI thread only.
#pragma once

#include "Vcl.StdCtrls.h"

class TSpeedButton : public TGraphicControl {
    X_CLASS(TSpeedButton, TGraphicControl)
public:
    // Buttons of one parent with the same GroupIndex (not 0) stay down one at a time.
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int AValue);
    bool Down() const { return FDown; }
    // Setting it on a grouped button lets the others of the group up.
    void SetDown(bool AValue);
    // A grouped button that is down comes up when clicked again.
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool AValue);
    // A flat button shows its face only under the mouse or when down.
    bool Flat() const { return FFlat; }
    void SetFlat(bool AValue);
    // A copy of the bitmap, drawn left of the caption (in the middle without one); its
    // bottom-left pixel's colour is transparent.
    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* AValue);
    void Click() override;

protected:
    TSpeedButton() = default;
    ~TSpeedButton() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void Paint() override;

private:
    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    bool FPressed = false;
    bool FOver = false;
    TBitmap* FGlyph = nullptr;
};

// XSpark.Interfaces.h: the framework's interface on its own controls, so that frames and
// dialogs place, show and size a control without knowing its class.
#pragma once

#include "Rtl.Interfaces.h"
#include "Vcl.Controls.h"
#include "XCore.Engine.Interfaces.h"

struct IXControl : IInterface {
    X_INTERFACE_ID(IInterface, "{5C0A7E52-3D1B-4F7A-9E61-2B8C4D7F0A93}");
    virtual TRect GetBoundsRect() = 0;
    virtual void SetBoundsRect(const TRect& ARect) = 0;
    virtual int GetClientWidth() = 0;
    virtual void SetClientWidth(int AValue) = 0;
    virtual int GetClientHeight() = 0;
    virtual void SetClientHeight(int AValue) = 0;
    virtual TWinControl* GetParent() = 0;
    virtual void SetParent(TWinControl* AParent) = 0;
    virtual bool GetVisible() = 0;
    virtual void SetVisible(bool AValue) = 0;
    virtual TIntf<IXObservable> GetObservable() = 0;
    // Sets the parent, the alignment unless alNone, and shows the control.
    virtual void Place(TWinControl* AParent, TAlign AAlign) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // From 96 DPI to the screen's.
    virtual void ScaleToScreen() = 0;
};

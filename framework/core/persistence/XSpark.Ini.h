// XSpark.Ini.h: the interface of settings objects. Its getter is the one the observable
// component already has, so a settings object answers it without another observable.
#pragma once

#include "XCore.Engine.Interfaces.h"

struct IXIni : IInterface {
    X_INTERFACE_WITHOUT_ID(IInterface);
    virtual TIntf<IXObservable> GetObservable() = 0;
    virtual void BeginUpdate() = 0;
    // Closing the last level tells the observers once.
    virtual void EndUpdate() = 0;
    virtual void Changed() = 0;
};

// XCore.Engine.Aspects.h: the framework's aspects, the payloads of notifications.
// The class tree is part of the contract: a subscriber to a class hears all its descendants.
#pragma once

#include <cstdint>

#include "Rtl.Types.h"
#include "XCore.Classes.h"
#include "XCore.Errors.h"

class TXCustomAspect : public TXObject {
    X_CLASS(TXCustomAspect, TXObject)
protected:
    TXCustomAspect() = default;
};

// Declares an aspect without fields: a pure signal.
#define X_SIGNAL_ASPECT(Name, Base) \
    class Name : public Base {      \
        X_CLASS(Name, Base)         \
    protected:                      \
        Name() = default;           \
    }

// ---- Application -------------------------------------------------------------------------

X_SIGNAL_ASPECT(TXAppTerminateAspect, TXCustomAspect);
X_SIGNAL_ASPECT(TXAppTerminatedAspect, TXCustomAspect);

// Another instance asks this one to come to the front.
class TXAppCustomActivateAspect : public TXCustomAspect {
    X_CLASS(TXAppCustomActivateAspect, TXCustomAspect)
public:
    int32_t Value = 0;

protected:
    TXAppCustomActivateAspect() = default;
    X_REINTRODUCE(void Construct(int32_t AValue));
};

class TXAppOpenAspect : public TXCustomAspect {
    X_CLASS(TXAppOpenAspect, TXCustomAspect)
public:
    int32_t Value = 0;

protected:
    TXAppOpenAspect() = default;
    X_REINTRODUCE(void Construct(int32_t AValue));
};

// ---- Object state and system -------------------------------------------------------------

X_SIGNAL_ASPECT(TXObjectStateAspect, TXCustomAspect);
X_SIGNAL_ASPECT(TXDestroyingAspect, TXObjectStateAspect);
X_SIGNAL_ASPECT(TXSystemAspect, TXCustomAspect);
X_SIGNAL_ASPECT(TXSystemTimeChangedAspect, TXSystemAspect);

// ---- Time --------------------------------------------------------------------------------

X_SIGNAL_ASPECT(TXTimeAspect, TXCustomAspect);

// An exact minute, also for minutes caught up after a pause.
class TXTimeExactMinuteAspect : public TXTimeAspect {
    X_CLASS(TXTimeExactMinuteAspect, TXTimeAspect)
public:
    TDateTime Time;
    uint16_t Count = 0;   // the minute count given by the clock

protected:
    TXTimeExactMinuteAspect() = default;
    X_REINTRODUCE(void Construct(uint16_t ACount, TDateTime ATime));
};

X_SIGNAL_ASPECT(TXTimeMinuteAspect, TXTimeAspect);
X_SIGNAL_ASPECT(TXTimeHourAspect, TXTimeAspect);
X_SIGNAL_ASPECT(TXTimeDayAspect, TXTimeAspect);
X_SIGNAL_ASPECT(TXTimeChangedAspect, TXTimeAspect);

class TXTimeTickAspect : public TXTimeAspect {
    X_CLASS(TXTimeTickAspect, TXTimeAspect)
public:
    uint8_t Value = 0;

protected:
    TXTimeTickAspect() = default;
    X_REINTRODUCE(void Construct(uint8_t AValue));
};

// ---- Actions -----------------------------------------------------------------------------

// Sent before a window system command; an observer that sets Refused vetoes it, and the
// observers after it and the sender see that.
class TXRequestActionAspect : public TXCustomAspect {
    X_CLASS(TXRequestActionAspect, TXCustomAspect)
public:
    String Text;
    int32_t Action = 0;
    int32_t Data = 0;
    bool Refused = false;

    // An observer's veto.
    void Refuse() { Refused = true; }

protected:
    TXRequestActionAspect() = default;
    X_REINTRODUCE(void Construct(int32_t AAction, int32_t AData));
};

// A request by action id to the application engine, or the notice of a performed system command.
class TXActionAspect : public TXCustomAspect {
    X_CLASS(TXActionAspect, TXCustomAspect)
public:
    String Text;
    int32_t Action = 0;
    int32_t Data = 0;

    static TXActionAspect* CreateWithText(const String& AText, int32_t AAction, int32_t AData)
    {
        return Create(AText, AAction, AData);
    }
    static TXActionAspect* CreateWithData(int32_t AAction, int32_t AData) { return Create(String(), AAction, AData); }

protected:
    TXActionAspect() = default;
    // Create (Action), with Data 0.
    X_REINTRODUCE(void Construct(int32_t AAction)) { Construct(String(), AAction, 0); }
    X_REINTRODUCE(void Construct(const String& AText, int32_t AAction, int32_t AData));
};

// ---- Changes -----------------------------------------------------------------------------

X_SIGNAL_ASPECT(TXChangedAspect, TXCustomAspect);

template <class T>
class TXDataChangedAspect : public TXChangedAspect {
    X_CLASS(TXDataChangedAspect, TXChangedAspect)
public:
    T Value{};

    // Copies Value from an aspect of this class; handled in every case.
    bool AssignFrom(TXObject* ASource) override
    {
        if (auto* Source = AsOrNull<TXDataChangedAspect>(ASource))
            Value = Source->Value;
        return true;
    }

protected:
    TXDataChangedAspect() = default;
    X_REINTRODUCE(void Construct(const T& AValue))
    {
        inherited::Construct();
        Value = AValue;
    }
};

class TXDateTimeChangedAspect : public TXDataChangedAspect<TDateTime> {
    X_CLASS(TXDateTimeChangedAspect, TXDataChangedAspect<TDateTime>)
protected:
    TXDateTimeChangedAspect() = default;
};

class TXStringChangedAspect : public TXDataChangedAspect<String> {
    X_CLASS(TXStringChangedAspect, TXDataChangedAspect<String>)
protected:
    TXStringChangedAspect() = default;
};

X_SIGNAL_ASPECT(TXSizeChangedAspect, TXChangedAspect);
X_SIGNAL_ASPECT(TXMovingAspect, TXChangedAspect);
X_SIGNAL_ASPECT(TXMovedAspect, TXChangedAspect);
X_SIGNAL_ASPECT(TXShownAspect, TXChangedAspect);
X_SIGNAL_ASPECT(TXHiddenAspect, TXChangedAspect);
X_SIGNAL_ASPECT(TXFocusChangedAspect, TXChangedAspect);

// ---- Operations and progress -------------------------------------------------------------

X_SIGNAL_ASPECT(TXOperationAspect, TXCustomAspect);

class TXCustomOperationTerminatedAspect : public TXOperationAspect {
    X_CLASS(TXCustomOperationTerminatedAspect, TXOperationAspect)
public:
    String Text;
    TXErrorData ErrorData;   // a copy: later changes to the worker's record do not reach it

protected:
    TXCustomOperationTerminatedAspect() = default;
    X_REINTRODUCE(void Construct(const String& AText, const TXErrorData& AErrorData));
};

// A worker's operation ended; Text is the worker's name.
class TXOperationTerminatedAspect : public TXCustomOperationTerminatedAspect {
    X_CLASS(TXOperationTerminatedAspect, TXCustomOperationTerminatedAspect)
protected:
    TXOperationTerminatedAspect() = default;
};

X_SIGNAL_ASPECT(TXProgressAspect, TXOperationAspect);

class TXProgressSectionChangedAspect : public TXProgressAspect {
    X_CLASS(TXProgressSectionChangedAspect, TXProgressAspect)
public:
    String Text;

protected:
    TXProgressSectionChangedAspect() = default;
    X_REINTRODUCE(void Construct(const String& AText));
};

class TXProgressStyleChangedAspect : public TXProgressAspect {
    X_CLASS(TXProgressStyleChangedAspect, TXProgressAspect)
public:
    uint8_t Style = 0;

protected:
    TXProgressStyleChangedAspect() = default;
    X_REINTRODUCE(void Construct(uint8_t AStyle));
};

class TXProgressChangedAspect : public TXProgressAspect {
    X_CLASS(TXProgressChangedAspect, TXProgressAspect)
public:
    int32_t Position = 0;   // 0..1000

protected:
    TXProgressChangedAspect() = default;
    X_REINTRODUCE(void Construct(int32_t APosition));
};

// The modal result a dialog closing on an action takes: the action id when it is one of the
// platform's modal results (1..10), otherwise 0.
int32_t ActionToModalResult(int32_t AAction);

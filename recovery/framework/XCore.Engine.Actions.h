// XCore.Engine.Actions.h: the recovery program's commands, its wizard actions (cancel, back,
// next, help, about) and the aspects its engine, log and job threads send.
// Aspects are copied into notifications by their senders; none holds a reference to another object.
#pragma once

#include <cstdint>

#include "XCore.Classes.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Interfaces.h"

// Action ids of the wizard's buttons.
inline constexpr int32_t kActionCancel = -30;
inline constexpr int32_t kActionPrevious = -31;
inline constexpr int32_t kActionNext = -32;
inline constexpr int32_t kActionHelp = -100;
inline constexpr int32_t kActionAbout = -200;

// The base of the program's commands. Queued through an engine, so made counted
// (CreateRefCounted) by the code that posts it.
class TXCommand : public TXNamedPersistent, public IXCommand {
    X_CLASS(TXCommand, TXNamedPersistent)
    X_INTERFACES(IXCommand)
public:
    bool CanExecute() override { return true; }
    // The command's action; nothing here.
    bool Execute() override { return true; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXCommand() = default;
};

class TXActionCancelAspect : public TXActionAspect {
    X_CLASS(TXActionCancelAspect, TXActionAspect)
protected:
    TXActionCancelAspect() = default;
    using TXActionAspect::Construct;
    void Construct(int32_t AData) { inherited::Construct(String(), kActionCancel, AData); }
};

// Declares an action aspect whose id is fixed and that carries no data.
#define X_FIXED_ACTION_ASPECT(Name, Id)                     \
    class Name : public TXActionAspect {                    \
        X_CLASS(Name, TXActionAspect)                       \
    protected:                                              \
        Name() = default;                                   \
        using TXActionAspect::Construct;                    \
        void Construct() override { inherited::Construct(Id); } \
    }

X_FIXED_ACTION_ASPECT(TXActionPreviousAspect, kActionPrevious);
X_FIXED_ACTION_ASPECT(TXActionNextAspect, kActionNext);
X_FIXED_ACTION_ASPECT(TXActionHelpAspect, kActionHelp);
X_FIXED_ACTION_ASPECT(TXActionAboutAspect, kActionAbout);

// A cancel that an observer may veto with Refuse; the sender reads Refused afterwards.
class TXRequestActionCancelAspect : public TXRequestActionAspect {
    X_CLASS(TXRequestActionCancelAspect, TXRequestActionAspect)
protected:
    TXRequestActionCancelAspect() = default;
    using TXRequestActionAspect::Construct;
    void Construct(int32_t AData) { inherited::Construct(kActionCancel, AData); }
};

// Broadcast by an engine to its gears once they are all linked.
X_SIGNAL_ASPECT(TXAssembleAspect, TXCustomAspect);
X_SIGNAL_ASPECT(TXLogClearAspect, TXCustomAspect);

class TXLogStringAspect : public TXCustomAspect {
    X_CLASS(TXLogStringAspect, TXCustomAspect)
public:
    String Text;

protected:
    TXLogStringAspect() = default;
    using TXCustomAspect::Construct;
    void Construct(const String& AText);
};

// How long one read took.
class TXTimeElapsedTicks : public TXCustomAspect {
    X_CLASS(TXTimeElapsedTicks, TXCustomAspect)
public:
    uint32_t Milliseconds = 0;

protected:
    TXTimeElapsedTicks() = default;
    using TXCustomAspect::Construct;
    void Construct(uint32_t AMilliseconds);
};

// A job thread has ended: sent on the UI thread with the job's name and error record.
class TXOperationThreadTerminatedAspect : public TXCustomAspect {
    X_CLASS(TXOperationThreadTerminatedAspect, TXCustomAspect)
public:
    String Name;
    TXErrorData ErrorData;

protected:
    TXOperationThreadTerminatedAspect() = default;
    using TXCustomAspect::Construct;
    void Construct(const String& AName, const TXErrorData& AErrorData);
};

// XCore.Engine.Worker.h: workers, the framework's model of a long operation: an observable with
// a name, a progress sink and an end that comes exactly once, with its error record.
// The end notifications run in the thread that ends the worker; only progress crosses to the
// engine's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.h"
#include "XCore.Errors.h"

// A progress sink. The framework's own sink does nothing; the programs bring those that report.
struct IXProgress : virtual IXObservable {
    X_INTERFACE_ID(IXObservable, "{9629854F-687C-48C9-B834-011214A23A34}");
    virtual int32_t GetPosition() = 0;
    virtual void Reset() = 0;
    virtual void BeginSubRange(const String& AText, uint8_t APercent) = 0;
    virtual void BeginSubRange(uint8_t APercent) = 0;
    virtual void BeginStepRange(const String& AText) = 0;
    virtual void BeginStepRange() = 0;
    virtual void AddSteps(uint32_t ACount) = 0;
    virtual void SetStepCount(uint32_t ACount) = 0;
    virtual void StepIt() = 0;
    virtual void StepBy(uint32_t ACount) = 0;
    virtual void SetPercent(uint8_t APercent) = 0;
    virtual void SetPerMille(uint16_t APerMille) = 0;
    virtual void Finish() = 0;
};

struct IXWorker : virtual IXObservable {
    X_INTERFACE_ID(IXObservable, "{F8750091-49E0-49BC-B3F6-CE3BACF87C85}");
    virtual String GetName() = 0;
    virtual void SetName(const String& AValue) = 0;
    // What long loops poll; any thread may ask.
    virtual bool IsTerminated() = 0;
    // Ended by cancellation (error code 1).
    virtual bool IsCancelled() = 0;
    virtual TXErrorData GetErrorData() = 0;
    virtual TIntf<IXProgress> GetProgress() = 0;
    // Running again, with no error: the worker can be reused.
    virtual void ResetError() = 0;
    // Ends the worker with AErrorData (code 0 for success); nothing once it has ended.
    virtual void TerminateWithError(const TXErrorData& AErrorData) = 0;
    // Ends the worker as cancelled (code 1); nothing once it has ended.
    virtual void Terminate() = 0;
};

// Sent last, whenever a worker ends.
X_SIGNAL_ASPECT(TXTaskTerminatedAspect, TXCustomAspect);

// A progress sink that does nothing; GetPosition answers 0.
class TXEmptyProgress : public XCore::Engine::TXObservable, public virtual IXProgress {
    X_CLASS(TXEmptyProgress, XCore::Engine::TXObservable)
    X_INTERFACES(IXProgress)
public:
    int32_t GetPosition() override { return 0; }
    void Reset() override {}
    void BeginSubRange(const String&, uint8_t) override {}
    void BeginSubRange(uint8_t) override {}
    void BeginStepRange(const String&) override {}
    void BeginStepRange() override {}
    void AddSteps(uint32_t) override {}
    void SetStepCount(uint32_t) override {}
    void StepIt() override {}
    void StepBy(uint32_t) override {}
    void SetPercent(uint8_t) override {}
    void SetPerMille(uint16_t) override {}
    void Finish() override {}

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXEmptyProgress() = default;
};

// The sink every worker starts with: one for the process, never freed, so that no worker can
// outlive it.
TXEmptyProgress* EmptyProgress();

class TXCustomWorker : public XCore::Engine::TXObservable, public virtual IXWorker {
    X_CLASS(TXCustomWorker, XCore::Engine::TXObservable)
    X_INTERFACES(IXWorker)
public:
    String GetName() override;
    void SetName(const String& AValue) override;
    bool IsTerminated() override { return FTerminated.load(); }
    bool IsCancelled() override;
    TXErrorData GetErrorData() override;
    TIntf<IXProgress> GetProgress() override { return FProgress; }
    void ResetError() override;
    void TerminateWithError(const TXErrorData& AErrorData) override;
    void Terminate() override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

    // Relays what the progress sink announces from here on.
    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TXCustomWorker() = default;
    void Init() override;
    // A descendant's own sink, set in its Init, before the relay subscribes to it.
    void SetProgress(const TIntf<IXProgress>& AProgress) { FProgress = AProgress; }
    // Runs once when the worker ends, before the end notifications.
    virtual void DoTerminated() {}

private:
    // Records the end; False when the worker had ended already.
    bool EndWith(const TXErrorData& AErrorData);
    // Hands a progress notification to the observers, on the engine's thread when there is one.
    void RelayProgress(IXNotification* ANotification);

    String FName;
    std::atomic<bool> FTerminated{false};
    TXErrorData FErrorData;
    std::mutex FStateLock;   // the name and the end state, which other threads read
    TIntf<IXProgress> FProgress;
};

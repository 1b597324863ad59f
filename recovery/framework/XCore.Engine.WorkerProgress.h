// XCore.Engine.WorkerProgress.h: the progress of a recovery job, as nested sections on one
// 0..1000 scale, announced to the job's worker, which relays it to the UI thread.
// A progress object belongs to the thread that runs the job; only its notifications travel.
#pragma once

#include <cstdint>

#include "XCore.Engine.Worker.h"
#include "XCore.Progress.h"

class TXWorkerProgress;

// A range of the framework's progress tree with a caption, reporting to its progress object.
class TXProgressSection : public TXProgress {
    X_CLASS(TXProgressSection, TXProgress)
public:
    const String& Text() const { return FText; }
    TXWorkerProgress* Owner() const { return FOwner; }
    TXProgressSection* Parent() const { return static_cast<TXProgressSection*>(inherited::Parent()); }
    TXProgressSection* Child() const { return static_cast<TXProgressSection*>(inherited::Child()); }

    // A new section under this one, replacing (freeing, not finishing) the open child.
    TXProgressSection* BeginSubRange(const String& AText, uint8_t APercent);
    TXProgressSection* BeginStepRange(const String& AText);
    // Count grows by ACount; the position grows in proportion, so the bar does not move.
    void AddSteps(uint32_t ACount);
    void SetPerMille(uint16_t APerMille);
    using TXProgress::FreeChild;
    // Position 0, without a report, and no child.
    void Restart();

protected:
    TXProgressSection() = default;
    void Construct(TXWorkerProgress* AOwner, TXProgressSection* AParent, const String& AText);
    void ReportAbsolute(int32_t AValue) override;

private:
    String FText;
    TXWorkerProgress* FOwner = nullptr;
};

// Counted through its interface; the worker that made it holds it.
class TXWorkerProgress : public XCore::Engine::TXObservable, public virtual IXProgress {
    X_CLASS(TXWorkerProgress, XCore::Engine::TXObservable)
    X_INTERFACES(IXProgress)
public:
    int32_t Position() const { return FPosition; }
    int32_t LastSent() const { return FLastSent; }
    TXProgressSection* Root() const { return FRoot; }
    TXProgressSection* Current() const { return FCurrent; }

    int32_t GetPosition() override { return FPosition; }
    void Reset() override;
    void BeginSubRange(const String& AText, uint8_t APercent) override;
    void BeginSubRange(uint8_t APercent) override { BeginSubRange(String(), APercent); }
    void BeginStepRange(const String& AText) override;
    void BeginStepRange() override { BeginStepRange(String()); }
    void AddSteps(uint32_t ACount) override { FCurrent->AddSteps(ACount); }
    void SetStepCount(uint32_t ACount) override { FCurrent->SetStepCount(ACount); }
    void StepIt() override { FCurrent->StepIt(); }
    void StepBy(uint32_t ACount) override;
    void SetPercent(uint8_t APercent) override { FCurrent->SetPercent(APercent); }
    void SetPerMille(uint16_t APerMille) override { FCurrent->SetPerMille(APerMille); }
    // Ends the current section at its parent's end step; the parent becomes current.
    void Finish() override;

    // The bar never moves back, except to 0; a change is announced once.
    void SetAbsolute(int32_t AValue);

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXWorkerProgress() = default;
    ~TXWorkerProgress() override;
    using XCore::Engine::TXObservable::Construct;
    void Init() override;

private:
    int32_t FPosition = 0;
    int32_t FLastSent = 0;
    TXProgressSection* FRoot = nullptr;   // owned
    TXProgressSection* FCurrent = nullptr;
};

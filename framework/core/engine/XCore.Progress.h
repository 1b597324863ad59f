// XCore.Progress.h: nested progress ranges on one absolute scale of 0..1000. Each part of an
// operation counts its own steps in a TXProgress; the manager turns them into absolute
// positions and posts every change through its gear, so that displays hear it on the engine's
// thread. Ranges and the manager belong to the thread that runs the operation.
#pragma once

#include <algorithm>
#include <cstdint>

#include "XCore.Classes.h"
#include "XCore.Engine.Worker.h"
#include "XCore.Engine.h"

class TXProgressManager;

// One range: Position of Count steps, mapped onto Span absolute units from Base.
class TXProgress : public TXObject {
    X_CLASS(TXProgress, TXObject)
public:
    uint32_t Position() const { return FPosition; }
    uint32_t Count() const { return FCount; }
    int32_t Base() const { return FBase; }
    int32_t Span() const { return FSpan; }
    // The parent's step position at which this range ends.
    uint32_t EndPosition() const { return FEndPosition; }
    TXProgress* Parent() const { return FParent; }
    TXProgress* Child() const { return FChild; }
    TXProgressManager* Manager() const { return FManager; }

    // Clamped to Count; reports the absolute position.
    void SetPosition(uint32_t AValue);
    // A count that is not 0 and differs replaces Count; Position is clamped without a report.
    void SetCountValue(uint32_t AValue);
    void SetStepCount(uint32_t AValue);
    void StepIt();
    void SetPercent(uint8_t APercent);
    // Opens a child covering APercent (top bit cleared, so 0..127) of this range from its
    // position, finishing the open child first. The child is this range's: the next
    // BeginSubRange, BeginStepRange or Finish frees it.
    TXProgress* BeginSubRange(uint8_t APercent);
    // As BeginSubRange, covering exactly the next step.
    TXProgress* BeginStepRange();
    // Reports the end of the range to its parent (the root: the manager's position becomes
    // 1000) and closes its child.
    void Finish();

protected:
    TXProgress() = default;
    ~TXProgress() override;
    X_REINTRODUCE(void Construct(TXProgress* AParent));

    // Where the absolute position goes: the manager, in this class.
    virtual void ReportAbsolute(int32_t AValue);
    void SetSpan(int32_t AValue) { FSpan = AValue; }
    // Clamped to Count, without a report.
    void SetPositionQuietly(uint32_t AValue) { FPosition = std::min(AValue, FCount); }
    // Makes AChild, a new range whose parent is this one, the child covering APercent of this
    // range from its position, or exactly its next step. The open child must be gone already.
    void OpenSubRange(TXProgress* AChild, uint32_t APercent);
    void OpenStepRange(TXProgress* AChild);
    void FreeChild();

private:
    friend class TXProgressManager;

    // Finishes and frees the open child, which moves this range to the child's end.
    void CloseChild();
    void OpenChild(TXProgress* AChild, uint32_t AEndPosition, int32_t ASpan);
    // The absolute position of step AStep of this range.
    int32_t AbsoluteAt(uint64_t AStep) const;

    uint32_t FPosition = 0;
    uint32_t FCount = 1000;
    int32_t FBase = 0;
    int32_t FSpan = 0;
    uint32_t FEndPosition = 0;
    TXProgress* FParent = nullptr;
    TXProgress* FChild = nullptr;   // owned
    TXProgressManager* FManager = nullptr;
};

// Keeps the absolute position, the section text and the style of one operation's runs, and
// sends each change through its target gear.
class TXProgressManager : public TXCustomWorker {
    X_CLASS(TXProgressManager, TXCustomWorker)
public:
    const String& Section() const { return FSection; }
    uint8_t Style() const { return FStyle; }
    bool Running() const { return FRunning; }
    TXProgress* Root() const { return FRoot; }
    TXProgress* Current() const { return FCurrent; }

    // Opens a new run: a fresh root range, the worker running again; sends the section and the
    // style, and the position when it was not sent last.
    TXProgress* Start(const String& ASection);
    void SetSection(const String& AText);
    void SetStyle(uint8_t AStyle);
    int32_t GetPosition() const { return FPosition; }
    // Positions only move forward: a value that is not 0 and not above the current one is
    // ignored, so nested ranges reporting out of order never move the display back.
    void SetPosition(int32_t AValue);

protected:
    TXProgressManager() = default;
    ~TXProgressManager() override;
    using TXCustomWorker::Construct;
    // AGear owns this manager, so it is held without counting.
    void Construct(IXGear* AGear);
    void DoTerminated() override;

private:
    friend class TXProgress;

    template <class TAspect>
    void Send(TAspect* AAspect);
    void SendPosition();

    String FSection;
    uint8_t FStyle = 0;
    bool FRunning = false;
    int32_t FLastSent = 0;
    int32_t FPosition = 0;
    TXProgress* FRoot = nullptr;   // owned
    TXProgress* FCurrent = nullptr;
    IXGear* FTarget = nullptr;
};

// A gear through which one operation's progress reaches the engine's thread.
class TXProgressGear : public XCore::Engine::TXGear {
    X_CLASS(TXProgressGear, XCore::Engine::TXGear)
public:
    TXProgressManager* Manager() const { return FManager; }

protected:
    TXProgressGear() = default;
    ~TXProgressGear() override;
    void Init() override;

private:
    TXProgressManager* FManager = nullptr;   // owned
};

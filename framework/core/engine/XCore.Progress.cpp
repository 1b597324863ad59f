// XCore.Progress.cpp: progress ranges, the manager and its gear.
// Products are taken in 64 bits: Span × Position overflows 32 bits once a range counts more
// than about two million steps (a byte count, say).
#include "XCore.Progress.h"

#include <algorithm>
#include <limits>

#include "XCore.Engine.Notifications.h"

namespace {

// ANumerator / ADenominator rounded to the nearest integer, halves to the even neighbour.
int64_t RoundDiv(int64_t ANumerator, int64_t ADenominator)
{
    bool Negative = (ANumerator < 0) != (ADenominator < 0);
    uint64_t Numerator = ANumerator < 0 ? 0 - uint64_t(ANumerator) : uint64_t(ANumerator);
    uint64_t Denominator = ADenominator < 0 ? 0 - uint64_t(ADenominator) : uint64_t(ADenominator);
    uint64_t Quotient = Numerator / Denominator;
    uint64_t Twice = 2 * (Numerator % Denominator);
    if (Twice > Denominator || (Twice == Denominator && Quotient % 2 != 0))
        ++Quotient;
    return Negative ? -int64_t(Quotient) : int64_t(Quotient);
}

uint32_t ClampToUInt32(uint64_t AValue)
{
    return static_cast<uint32_t>(std::min<uint64_t>(AValue, std::numeric_limits<uint32_t>::max()));
}

// The percentage argument of a sub-range: its top bit is not part of it.
uint32_t PercentOf(uint8_t APercent)
{
    return APercent & 0x7Fu;
}

}  // namespace

// ---- TXProgress ---------------------------------------------------------------------------

void TXProgress::Construct(TXProgress* AParent)
{
    inherited::Construct();
    FParent = AParent;
    if (AParent != nullptr)
        FManager = AParent->FManager;
}

TXProgress::~TXProgress()
{
    FreeChild();
}

int32_t TXProgress::AbsoluteAt(uint64_t AStep) const
{
    return static_cast<int32_t>(RoundDiv(int64_t(FSpan) * int64_t(AStep), FCount) + FBase);
}

void TXProgress::SetPosition(uint32_t AValue)
{
    FPosition = std::min(AValue, FCount);
    if (FManager != nullptr)
        FManager->SetPosition(AbsoluteAt(FPosition));
}

void TXProgress::SetCountValue(uint32_t AValue)
{
    if (AValue != 0 && AValue != FCount)
        FCount = AValue;
    FPosition = std::min(FPosition, FCount);
}

void TXProgress::SetStepCount(uint32_t AValue)
{
    if (AValue != 0)
        SetCountValue(AValue);
}

void TXProgress::StepIt()
{
    SetPosition(ClampToUInt32(uint64_t(FPosition) + 1));
}

void TXProgress::SetPercent(uint8_t APercent)
{
    SetPosition(ClampToUInt32(static_cast<uint64_t>(RoundDiv(int64_t(APercent) * FCount, 100))));
}

TXProgress* TXProgress::BeginSubRange(uint8_t APercent)
{
    CloseChild();
    uint32_t Percent = PercentOf(APercent);
    uint64_t Steps = static_cast<uint64_t>(RoundDiv(int64_t(Percent) * FCount, 100));
    return OpenChild(ClampToUInt32(FPosition + Steps), static_cast<int32_t>(RoundDiv(int64_t(Percent) * FSpan, 100)));
}

TXProgress* TXProgress::BeginStepRange()
{
    CloseChild();
    uint64_t Next = uint64_t(FPosition) + 1;
    return OpenChild(ClampToUInt32(Next), AbsoluteAt(Next) - AbsoluteAt(FPosition));
}

void TXProgress::CloseChild()
{
    if (FChild == nullptr)
        return;
    FChild->Finish();
    FreeChild();
}

TXProgress* TXProgress::OpenChild(uint32_t AEndPosition, int32_t ASpan)
{
    TXProgress* Child = Create(this);
    Child->FBase = AbsoluteAt(FPosition);
    Child->FEndPosition = AEndPosition;
    Child->FSpan = ASpan;
    FChild = Child;
    if (FManager != nullptr)
        FManager->FCurrent = Child;
    return Child;
}

void TXProgress::Finish()
{
    SetPosition(FCount);
    if (FParent != nullptr)
        FParent->SetPosition(FEndPosition);
    else if (FManager != nullptr)
        FManager->FPosition = 1000;
    FreeChild();
    if (FManager != nullptr)
        FManager->FCurrent = FParent;
}

void TXProgress::FreeChild()
{
    FreeAndNil(FChild);
}

// ---- TXProgressManager --------------------------------------------------------------------

template <class TAspect>
void TXProgressManager::Send(TAspect* AAspect)
{
    TIntf<IXNotification> Notification = TXNotification<TAspect>::New(AAspect);
    if (FTarget != nullptr)
        FTarget->PostNotification(Notification);
}

void TXProgressManager::Construct(IXGear* AGear)
{
    inherited::Construct(TIntf<IXEngine>());
    FTarget = AGear;
}

TXProgressManager::~TXProgressManager()
{
    FreeAndNil(FRoot);
}

TXProgress* TXProgressManager::Start(const String& ASection)
{
    FreeAndNil(FRoot);
    FCurrent = nullptr;
    FRunning = true;
    ResetError();
    FRoot = TXProgress::Create(nullptr);
    FRoot->FSpan = 1000;
    FRoot->FManager = this;
    FCurrent = FRoot;
    FSection = ASection;
    Send(TXProgressSectionChangedAspect::Create(FSection));
    Send(TXProgressStyleChangedAspect::Create(FStyle));
    if (FPosition != FLastSent)
        SendPosition();
    return FRoot;
}

void TXProgressManager::SetSection(const String& AText)
{
    if (AText == FSection)
        return;
    FSection = AText;
    Send(TXProgressSectionChangedAspect::Create(FSection));
}

void TXProgressManager::SetStyle(uint8_t AStyle)
{
    if (AStyle == FStyle)
        return;
    FStyle = AStyle;
    Send(TXProgressStyleChangedAspect::Create(FStyle));
}

void TXProgressManager::SetPosition(int32_t AValue)
{
    if (AValue != 0 && AValue <= FPosition)
        return;
    FPosition = AValue;
    if (FPosition != FLastSent)
        SendPosition();
}

void TXProgressManager::DoTerminated()
{
    inherited::DoTerminated();
    FRunning = false;
}

void TXProgressManager::SendPosition()
{
    FLastSent = FPosition;
    Send(TXProgressChangedAspect::Create(FPosition));
}

// ---- TXProgressGear -----------------------------------------------------------------------

void TXProgressGear::Init()
{
    inherited::Init();
    FManager = TXProgressManager::Create(static_cast<IXGear*>(this));
}

TXProgressGear::~TXProgressGear()
{
    FreeAndNil(FManager);
}

// XCore.Engine.WorkerProgress.cpp: progress sections and the worker's progress object.
#include "XCore.Engine.WorkerProgress.h"

#include <cmath>

#include "XCore.Engine.Notifications.h"

namespace {

// Halves go to the even neighbour.
uint32_t Nearest(double AValue)
{
    return static_cast<uint32_t>(std::nearbyint(AValue));
}

}  // namespace

// ---- TXProgressSection -------------------------------------------------------------------

void TXProgressSection::Construct(TXWorkerProgress* AOwner, TXProgressSection* AParent, const String& AText)
{
    inherited::Construct(AParent);
    FOwner = AOwner;
    FText = AText;
    if (AParent == nullptr)
        SetSpan(1000);   // the root spans the whole scale
}

void TXProgressSection::ReportAbsolute(int32_t AValue)
{
    FOwner->SetAbsolute(AValue);
}

TXProgressSection* TXProgressSection::BeginSubRange(const String& AText, uint8_t APercent)
{
    FreeChild();
    TXProgressSection* Section = Create(FOwner, this, AText);
    OpenSubRange(Section, APercent);
    return Section;
}

TXProgressSection* TXProgressSection::BeginStepRange(const String& AText)
{
    FreeChild();
    TXProgressSection* Section = Create(FOwner, this, AText);
    OpenStepRange(Section);
    return Section;
}

void TXProgressSection::AddSteps(uint32_t ACount)
{
    if (ACount == 0)
        return;
    uint64_t NewCount = uint64_t(Count()) + ACount;
    uint32_t NewPosition = Nearest(double(Position()) * double(NewCount) / double(Count()));
    SetCountValue(static_cast<uint32_t>(std::min<uint64_t>(NewCount, UINT32_MAX)));
    SetPositionQuietly(NewPosition);
}

void TXProgressSection::Restart()
{
    FreeChild();
    SetPositionQuietly(0);
}

void TXProgressSection::SetPerMille(uint16_t APerMille)
{
    SetPosition(Nearest(APerMille * double(Count()) * 0.001));
}

// ---- TXWorkerProgress --------------------------------------------------------------------

void TXWorkerProgress::Init()
{
    inherited::Init();
    FRoot = TXProgressSection::Create(this, nullptr, String());
    FCurrent = FRoot;
}

TXWorkerProgress::~TXWorkerProgress()
{
    FreeAndNil(FRoot);
}

void TXWorkerProgress::Reset()
{
    FPosition = 0;
    FRoot->Restart();
    FCurrent = FRoot;
}

void TXWorkerProgress::BeginSubRange(const String& AText, uint8_t APercent)
{
    FCurrent = FCurrent->BeginSubRange(AText, APercent);
}

void TXWorkerProgress::BeginStepRange(const String& AText)
{
    FCurrent = FCurrent->BeginStepRange(AText);
}

void TXWorkerProgress::StepBy(uint32_t ACount)
{
    if (ACount != 0)
        FCurrent->SetPosition(static_cast<uint32_t>(std::min<uint64_t>(uint64_t(FCurrent->Position()) + ACount, UINT32_MAX)));
}

void TXWorkerProgress::Finish()
{
    TXProgressSection* Section = FCurrent;
    Section->SetPosition(Section->Count());
    TXProgressSection* Parent = Section->Parent();
    if (Parent == nullptr) {
        SetAbsolute(1000);
        return;
    }
    Parent->SetPosition(Section->EndPosition());
    FCurrent = Parent;
    Parent->FreeChild();
}

void TXWorkerProgress::SetAbsolute(int32_t AValue)
{
    if (AValue != 0 && AValue <= FPosition)
        return;
    FPosition = AValue;
    if (FPosition == FLastSent)
        return;
    FLastSent = FPosition;
    // Without an engine this reaches the worker's relay, which posts it to the UI thread.
    PostNotification(TXNotification<TXProgressChangedAspect>::New(TXProgressChangedAspect::Create(FPosition)));
}

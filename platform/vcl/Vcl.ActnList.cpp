// Vcl.ActnList.cpp: actions and action lists.
#include "Vcl.ActnList.h"

#include <algorithm>

#include "Rtl.SysUtils.h"
#include "Vcl.Forms.h"

// ---- TBasicAction ------------------------------------------------------------------------

void TBasicAction::SetOnExecute(TNotifyEvent AValue)
{
    FOnExecute = AValue;
    Change();
}

void TBasicAction::RegisterChanges(TNotifyEvent AClient)
{
    FClients.push_back(AClient);
}

void TBasicAction::UnRegisterChanges(TNotifyEvent AClient)
{
    std::erase(FClients, AClient);
}

void TBasicAction::Change()
{
    // A client may unregister while it hears the change.
    for (TNotifyEvent Client : std::vector<TNotifyEvent>(FClients))
        Client(this);
}

bool TBasicAction::Execute()
{
    if (FOnExecute) {
        FOnExecute(this);
        return true;
    }
    return ForEachTarget(true);
}

bool TBasicAction::Update()
{
    if (FOnUpdate) {
        FOnUpdate(this);
        return true;
    }
    return ForEachTarget(false);
}

bool TBasicAction::ForEachTarget(bool AExecute)
{
    TCustomForm* Active = nullptr;
    for (int I = 0; I < Application->ComponentCount() && Active == nullptr; ++I)
        if (auto* Form = dynamic_cast<TCustomForm*>(Application->Components(I)); Form != nullptr && Form->Active())
            Active = Form;
    if (Active == nullptr)
        return false;
    for (TObject* Target : {static_cast<TObject*>(Active->ActiveControl()), static_cast<TObject*>(Active)}) {
        if (Target == nullptr || !HandlesTarget(Target))
            continue;
        if (AExecute)
            ExecuteTarget(Target);
        else
            UpdateTarget(Target);
        return true;
    }
    return false;
}

// ---- TContainedAction --------------------------------------------------------------------

TContainedAction::~TContainedAction()
{
    SetActionList(nullptr);
}

void TContainedAction::SetActionList(TActionList* AValue)
{
    if (AValue == FActionList)
        return;
    if (FActionList != nullptr)
        std::erase(FActionList->FActions, this);
    FActionList = AValue;
    if (AValue != nullptr)
        AValue->FActions.push_back(this);
}

int TContainedAction::Index() const
{
    if (FActionList == nullptr)
        return -1;
    const auto& List = FActionList->FActions;
    return int(std::find(List.begin(), List.end(), this) - List.begin());
}

bool TContainedAction::Execute()
{
    if (FActionList != nullptr && FActionList->ExecuteAction(this))
        return true;
    if (Application->ExecuteAction(this))
        return true;
    return inherited::Execute();
}

bool TContainedAction::Update()
{
    if (FActionList != nullptr && FActionList->UpdateAction(this))
        return true;
    if (Application->UpdateAction(this))
        return true;
    return inherited::Update();
}

// ---- TCustomAction -----------------------------------------------------------------------

void TCustomAction::SetCaption(const String& AValue)
{
    if (AValue == FCaption)
        return;
    FCaption = AValue;
    Change();
}

void TCustomAction::SetChecked(bool AValue)
{
    if (AValue == FChecked)
        return;
    FChecked = AValue;
    if (AValue && FGroupIndex > 0 && ActionList() != nullptr)
        for (int I = 0; I < ActionList()->ActionCount(); ++I)
            if (auto* Other = dynamic_cast<TCustomAction*>(ActionList()->Actions(I));
                Other != nullptr && Other != this && Other->FGroupIndex == FGroupIndex)
                Other->SetChecked(false);
    Change();
}

void TCustomAction::SetEnabled(bool AValue)
{
    if (AValue == FEnabled)
        return;
    FEnabled = AValue;
    Change();
}

void TCustomAction::SetVisible(bool AValue)
{
    if (AValue == FVisible)
        return;
    FVisible = AValue;
    Change();
}

void TCustomAction::SetHint(const String& AValue)
{
    if (AValue == FHint)
        return;
    FHint = AValue;
    Change();
}

void TCustomAction::SetImageIndex(int AValue)
{
    if (AValue == FImageIndex)
        return;
    FImageIndex = AValue;
    Change();
}

bool TCustomAction::Execute()
{
    Update();
    if (!FEnabled)
        return false;
    if (FAutoCheck && !(FChecked && FGroupIndex > 0))
        SetChecked(!FChecked);
    return inherited::Execute();
}

// ---- TActionList -------------------------------------------------------------------------

TActionList::~TActionList()
{
    while (!FActions.empty())
        FActions.back()->SetActionList(nullptr);
}

TContainedAction* TActionList::Actions(int AIndex) const
{
    if (AIndex < 0 || AIndex >= ActionCount())
        RaiseListIndexError(AIndex);
    return FActions[size_t(AIndex)];
}

bool TActionList::ExecuteAction(TBasicAction* AAction)
{
    bool Handled = false;
    if (FOnExecute)
        FOnExecute(AAction, Handled);
    return Handled;
}

bool TActionList::UpdateAction(TBasicAction* AAction)
{
    bool Handled = false;
    if (FOnUpdate)
        FOnUpdate(AAction, Handled);
    return Handled;
}

void TActionList::UpdateActions()
{
    for (TContainedAction* Action : std::vector<TContainedAction*>(FActions))
        Action->Update();
}

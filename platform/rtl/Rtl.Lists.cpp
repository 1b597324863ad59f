// Rtl.Lists.cpp: the classic pointer lists and the component list's free notifications.
#include "Rtl.Lists.h"

namespace XRtlDetail {

void RaiseArgumentOutOfRange(int64_t)
{
    throw EArgumentOutOfRangeException(SArgumentOutOfRange);
}

}  // namespace XRtlDetail

// ---- TList -------------------------------------------------------------------------------

int TList::IndexOf(void* AItem) const
{
    auto Found = std::find(FItems.begin(), FItems.end(), AItem);
    return Found == FItems.end() ? -1 : static_cast<int>(Found - FItems.begin());
}

int TList::Remove(void* AItem)
{
    int Index = IndexOf(AItem);
    if (Index >= 0)
        Delete(Index);
    return Index;
}

void* TList::Extract(void* AItem)
{
    int Index = IndexOf(AItem);
    return Index >= 0 ? ExtractAt(Index) : nullptr;
}

void TList::Sort(TListSortCompare ACompare)
{
    std::stable_sort(FItems.begin(), FItems.end(), [&](void* A, void* B) { return ACompare(A, B) < 0; });
}

// ---- TObjectList -------------------------------------------------------------------------

void TObjectList::Notify(void* const& AItem, TListNotification AAction)
{
    inherited::Notify(AItem, AAction);
    if (FOwnsObjects && AAction == lnDeleted && AItem != nullptr)
        XRtlDetail::ListItem<TObject*>(AItem)->Free();
}

// ---- TComponentList ----------------------------------------------------------------------

namespace {

// Watches the listed components for their list; it has no owner, so the free notifications
// it asks for run both ways whoever owns the components.
class TComponentListNexus : public TComponent {
    X_CLASS(TComponentListNexus, TComponent)
protected:
    TComponentListNexus() = default;
    X_REINTRODUCE(void Construct(TComponentList* AList))
    {
        inherited::Construct(nullptr);
        FList = AList;
    }
    void Notification(TComponent* AComponent, TOperation AOperation) override
    {
        inherited::Notification(AComponent, AOperation);
        // Every entry goes: a component listed twice must not stay behind as a dangling pointer.
        if (AOperation == opRemove)
            while (FList->IndexOf(AComponent) >= 0)
                FList->Extract(AComponent);
    }

private:
    TComponentList* FList = nullptr;
};

}  // namespace

void TComponentList::Construct(bool AOwnsObjects)
{
    inherited::Construct(AOwnsObjects);
    FNexus = TComponentListNexus::Create(this);
}

TComponentList::~TComponentList()
{
    // The items went in BeforeDestruction, each one's notification with it.
    if (FNexus != nullptr)
        FNexus->Free();
}

void TComponentList::Notify(void* const& AItem, TListNotification AAction)
{
    if (auto* Component = XRtlDetail::ListItem<TComponent*>(AItem); Component != nullptr) {
        if (AAction == lnAdded)
            FNexus->FreeNotification(Component);
        else if (IndexOf(Component) < 0)   // still listed elsewhere: keep hearing of it
            FNexus->RemoveFreeNotification(Component);
    }
    inherited::Notify(AItem, AAction);
}

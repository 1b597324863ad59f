// Components (ownership, names, free notifications), collections and the class registry.
#include "Rtl.Classes.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.SysUtils.h"

namespace {

// Remembers the notifications it hears and forgets a watched component that goes.
class TWatcher : public TComponent {
    X_CLASS(TWatcher, TComponent)
public:
    TComponent* Watched = nullptr;
    std::vector<String> Heard;

    void Watch(TComponent* AComponent)
    {
        Watched = AComponent;
        AComponent->FreeNotification(this);
    }

protected:
    TWatcher() = default;
    void Notification(TComponent* AComponent, TOperation AOperation) override
    {
        inherited::Notification(AComponent, AOperation);
        Heard.push_back((AOperation == opInsert ? "+" : "-") + AComponent->Name());
        if (AOperation == opRemove && AComponent == Watched)
            Watched = nullptr;
    }
};

TComponent* NewComponent(TComponent* AOwner, const String& AName)
{
    TComponent* C = TComponent::Create(AOwner);
    C->SetName(AName);
    return C;
}

TEST(ComponentTest, OwnerFreesWhatItOwnsAndHearsItComeAndGo)
{
    TOwned<TWatcher> Owner = Owned(TWatcher::Create(static_cast<TComponent*>(nullptr)));
    TComponent* A = NewComponent(Owner.get(), "A");
    TComponent* B = NewComponent(Owner.get(), "B");
    EXPECT_EQ(Owner->ComponentCount(), 2);
    EXPECT_EQ(Owner->FindComponent("b"), B);
    EXPECT_EQ(B->ComponentIndex(), 1);
    A->Free();
    EXPECT_EQ(Owner->ComponentCount(), 1);
    EXPECT_EQ(Owner->Components(0), B);
    // Names are given after insertion here, so the insert is heard with an empty name.
    EXPECT_EQ(Owner->Heard, (std::vector<String>{"+", "+", "-A"}));
    EXPECT_THROW(Owner->Components(1), EListError);
}

TEST(ComponentTest, NamesAreIdentifiersUniqueWithinTheOwner)
{
    TOwned<TComponent> Owner = Owned(TComponent::Create(static_cast<TComponent*>(nullptr)));
    TComponent* A = NewComponent(Owner.get(), "Panel");
    TComponent* B = NewComponent(Owner.get(), "Label");
    EXPECT_THROW(B->SetName("PANEL"), EComponentError);
    EXPECT_EQ(B->Name(), "Label");
    EXPECT_NO_THROW(A->SetName("panel"));   // a change of letter case only
    EXPECT_THROW(B->SetName("1st"), EComponentError);
    EXPECT_NO_THROW(B->SetName(""));
    // A named component cannot join an owner that already has its name.
    TComponent* Stray = NewComponent(nullptr, "Panel");
    EXPECT_THROW(Owner->InsertComponent(Stray), EComponentError);
    EXPECT_EQ(Stray->Owner(), nullptr);
    Stray->Free();
}

TEST(ComponentTest, FreeNotificationsReachComponentsOfOtherOwners)
{
    TOwned<TComponent> Form1 = Owned(TComponent::Create(static_cast<TComponent*>(nullptr)));
    TOwned<TComponent> Form2 = Owned(TComponent::Create(static_cast<TComponent*>(nullptr)));
    TWatcher* Watcher = TWatcher::Create(Form1.get());
    TComponent* Target = NewComponent(Form2.get(), "Target");
    Watcher->Watch(Target);
    EXPECT_TRUE(Target->ComponentState().Contains(csFreeNotification));
    Target->Free();
    EXPECT_EQ(Watcher->Watched, nullptr);

    // The other way round: a freed watcher leaves no dangling entry behind.
    TComponent* Target2 = NewComponent(Form2.get(), "Target2");
    Watcher->Watch(Target2);
    Watcher->Free();
    EXPECT_FALSE(Target2->ComponentState().Contains(csFreeNotification));
}

std::vector<String> GEvents;

class TItem : public TCollectionItem {
    X_CLASS(TItem, TCollectionItem)
public:
    String Caption;
    void Assign(TPersistent* ASource) override
    {
        if (auto* Item = AsOrNull<TItem>(ASource))
            Caption = Item->Caption;
        else
            inherited::Assign(ASource);
    }

protected:
    TItem() = default;
};

class TItems : public TCollection {
    X_CLASS(TItems, TCollection)
protected:
    TItems() = default;
    void Update(TCollectionItem* AItem) override { GEvents.push_back(AItem ? "update item" : "update all"); }
    void Notify(TCollectionItem*, TCollectionNotification AAction) override
    {
        static const char* Names[] = {"added", "extracting", "deleting"};
        GEvents.push_back(Names[AAction]);
    }
};

TEST(CollectionTest, ItemsJoinMoveAndLeaveWithNotifications)
{
    TOwned<TItems> Items = Owned(TItems::Create(TItem::StaticClass()));
    GEvents.clear();
    auto* First = static_cast<TItem*>(Items->Add());
    auto* Second = static_cast<TItem*>(Items->Add());
    EXPECT_EQ(GEvents, (std::vector<String>{"added", "update all", "added", "update all"}));
    EXPECT_EQ(Second->Index(), 1);
    EXPECT_EQ(Second->ID(), 1);

    GEvents.clear();
    Second->SetIndex(0);   // the object keeps its identity
    EXPECT_EQ(Items->Items(0), Second);
    EXPECT_EQ(First->Index(), 1);
    EXPECT_EQ(GEvents, (std::vector<String>{"update all"}));
    EXPECT_THROW(Second->SetIndex(5), EListError);

    GEvents.clear();
    Items->Delete(0);
    EXPECT_EQ(GEvents, (std::vector<String>{"deleting", "extracting", "update all"}));
    EXPECT_EQ(Items->Count(), 1);
    EXPECT_EQ(Items->FindItemID(0), First);

    auto* Inserted = static_cast<TItem*>(Items->Insert(0));
    EXPECT_EQ(Items->Items(0), Inserted);
}

TEST(CollectionTest, AssignCopiesItemsInsideOneUpdate)
{
    TOwned<TItems> Source = Owned(TItems::Create(TItem::StaticClass()));
    static_cast<TItem*>(Source->Add())->Caption = "one";
    static_cast<TItem*>(Source->Add())->Caption = "two";
    TOwned<TItems> Dest = Owned(TItems::Create(TItem::StaticClass()));
    Dest->Add();
    GEvents.clear();
    Dest->Assign(Source.get());
    ASSERT_EQ(Dest->Count(), 2);
    EXPECT_EQ(static_cast<TItem*>(Dest->Items(1))->Caption, "two");
    EXPECT_EQ(std::count(GEvents.begin(), GEvents.end(), "update all"), 1);
    EXPECT_EQ(Dest->Items(0)->GetDisplayName(), "TItem");
    EXPECT_EQ(Dest->Items(0)->GetNamePath(), "TItems[0]");
}

TEST(CollectionTest, AssignFromAnotherKindRaisesTheConversionError)
{
    TOwned<TItems> Items = Owned(TItems::Create(TItem::StaticClass()));
    TOwned<TComponent> Component = Owned(TComponent::Create(static_cast<TComponent*>(nullptr)));
    try {
        Items->Assign(Component.get());
        FAIL() << "no conversion error";
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Cannot assign a TComponent to a TItems");
    }
    EXPECT_THROW(Items->Assign(nullptr), EConvertError);
}

TEST(ClassRegistryTest, FindsRegisteredClassesByNameIgnoringCase)
{
    RegisterClasses({TItem::StaticClass(), TItems::StaticClass()});
    RegisterClass(TItem::StaticClass());   // again: nothing happens
    EXPECT_EQ(GetClass("titem"), TItem::StaticClass());
    EXPECT_EQ(FindClass("TItems"), TItems::StaticClass());
    EXPECT_THROW(FindClass("TNothing"), EClassNotFound);
    UnRegisterClass(TItems::StaticClass());
    EXPECT_EQ(GetClass("TItems"), nullptr);
}

}  // namespace

// The persistable classes: filerable and changeable objects, sorted object lists, persistent
// collections with the language fall-back, class collections and the change counter.
#include "XClasses.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace XClasses;

// A named object with a sort key; Value decides the order, Name whether two are the same.
class TTestObject : public TXChangeableObject {
    X_CLASS(TTestObject, TXChangeableObject)
public:
    int Value() const { return FValue; }
    void SetValue(int AValue) { FValue = AValue; }
    int DataStorableCalls = 0;
    void SetDataStorable(bool AValue) override
    {
        ++DataStorableCalls;
        inherited::SetDataStorable(AValue);
    }
    bool AssignFrom(TPersistent* ASource) override
    {
        if (auto* Source = AsOrNull<TTestObject>(ASource))
            FValue = Source->FValue;
        return inherited::AssignFrom(ASource);
    }
    static TTestObject* Make(const String& AName, int AValue)
    {
        TTestObject* Obj = Create();
        Obj->SetName(AName);
        Obj->SetValue(AValue);
        return Obj;
    }

protected:
    TTestObject() = default;

private:
    int FValue = 0;
};

int CompareValues(TObject* A, TObject* B)
{
    return static_cast<TTestObject*>(A)->Value() - static_cast<TTestObject*>(B)->Value();
}

bool SameNames(TObject* A, TObject* B)
{
    return static_cast<TTestObject*>(A)->GetName() == static_cast<TTestObject*>(B)->GetName();
}

// A source that no class here knows, and a receiver whose own assignment raises.
class TForeign : public TPersistent {
    X_CLASS(TForeign, TPersistent)
public:
    int AssignToCalls = 0;
    void AssignTo(TPersistent* ADest) override
    {
        if (auto* Dest = AsOrNull<TXFilerableObject>(ADest)) {
            ++AssignToCalls;
            Dest->SetText("from AssignTo");
            return;
        }
        inherited::AssignTo(ADest);
    }

protected:
    TForeign() = default;
};

class TRaisingObject : public TXFilerableObject {
    X_CLASS(TRaisingObject, TXFilerableObject)
public:
    bool AssignFrom(TPersistent*) override { throw EConvertError("refused"); }

protected:
    TRaisingObject() = default;
};

struct TCountingListener {
    int Count = 0;
    void Changed(TObject*) { ++Count; }
};

std::vector<String> Names(const TXObjectList& AList)
{
    std::vector<String> Result;
    for (TObject* Obj : AList)
        Result.push_back(static_cast<TTestObject*>(Obj)->GetName());
    return Result;
}

// ---- Flags, counter, tags ----------------------------------------------------------------

TEST(XClassesFlagsTest, ThisPlatformCountsAsXPOrLaterAndStartsInNoMode)
{
    EXPECT_TRUE(IsWinXPOrLater);
    EXPECT_FALSE(IsCardMode);
    EXPECT_FALSE(IsDemoMode);
}

struct TCounterLog {
    std::vector<String> Calls;
    void Begin() { Calls.push_back("begin"); }
    void End() { Calls.push_back("end"); }
};

TEST(XChangeCounterTest, CallsBeginOnTheFirstLevelAndEndWhenTheLastCloses)
{
    TCounterLog Log;
    TXChangeCounter Counter;
    Counter.Init(TXChangeCallback::Bind<&TCounterLog::Begin>(&Log), TXChangeCallback::Bind<&TCounterLog::End>(&Log));
    Counter.BeginUpdate();
    Counter.BeginUpdate();
    Counter.EndUpdate();
    EXPECT_EQ(Log.Calls, (std::vector<String>{"begin"}));
    Counter.EndUpdate();
    Counter.EndUpdate();   // unbalanced: the end runs again
    EXPECT_EQ(Log.Calls, (std::vector<String>{"begin", "end", "end"}));
    EXPECT_EQ(Counter.Count, -1);
}

class TChangeablePersistent : public TXChangeablePersistent {
    X_CLASS(TChangeablePersistent, TXChangeablePersistent)
public:
    std::vector<String> Calls;
    bool Raise = false;
    bool AssignFrom(TPersistent*) override
    {
        Calls.push_back("assign");
        if (Raise)
            throw EConvertError("refused");
        return true;
    }

protected:
    TChangeablePersistent() = default;
    void BeginChange() override { Calls.push_back("begin"); }
    void EndChange() override { Calls.push_back("end"); }
};

TEST(XChangeCounterTest, AnAssignmentRunsInsideOneChangeEvenWhenItRaises)
{
    TOwned<TChangeablePersistent> Obj = Owned(TChangeablePersistent::Create());
    TOwned<TChangeablePersistent> Source = Owned(TChangeablePersistent::Create());
    Obj->Assign(Source.get());
    EXPECT_EQ(Obj->Calls, (std::vector<String>{"begin", "assign", "end"}));
    Obj->Calls.clear();
    Obj->Raise = true;
    EXPECT_THROW(Obj->Assign(Source.get()), EConvertError);
    EXPECT_EQ(Obj->Calls, (std::vector<String>{"begin", "assign", "end"}));
}

TEST(XClassesTest, CompareByTagOrdersComponentsByTag)
{
    TOwned<TComponent> A = Owned(TComponent::Create(nullptr));
    TOwned<TComponent> B = Owned(TComponent::Create(nullptr));
    A->SetTag(5);
    B->SetTag(7);
    EXPECT_EQ(CompareByTag(A.get(), B.get()), -1);
    EXPECT_EQ(CompareByTag(B.get(), A.get()), 1);
    B->SetTag(5);
    EXPECT_EQ(CompareByTag(A.get(), B.get()), 0);
}

// ---- Filerable and changeable objects ----------------------------------------------------

TEST(XFilerableObjectTest, ClearingSetsTheDefaultsAndTheHeaderSpeaksEnglish)
{
    TOwned<TXFilerableObject> Obj = Owned(TXFilerableObject::Create());
    TOwned<TXLgObject> Header = Owned(TXLgObject::Create());
    Obj->SetLgID(7);
    Obj->SetText("x");
    Obj->SetIdx(3);
    Obj->SetDataStorable(false);
    Obj->Clear();
    Header->Clear();
    EXPECT_EQ(Obj->LgID(), 0u);
    EXPECT_EQ(Obj->Idx(), -1);
    EXPECT_TRUE(Obj->DataStorable());
    EXPECT_TRUE(Obj->IsEmpty());
    EXPECT_EQ(Header->LgID(), 9u);
    EXPECT_FALSE(Header->IsEmpty());
}

TEST(XFilerableObjectTest, AssignCopiesNameAndDataAndMarksTheStatus)
{
    TOwned<TTestObject> Source = Owned(TTestObject::Make("Source", 4));
    Source->SetLgID(7);
    Source->SetText("text");
    Source->SetDataStorable(false);
    Source->SetIdx(2);
    TOwned<TTestObject> Dest = Owned(TTestObject::Create());
    Dest->SetStatus(0b101);   // bits 0 and 2
    Dest->DataStorableCalls = 0;

    Dest->Assign(Source.get());
    EXPECT_EQ(Dest->GetName(), "Source");
    EXPECT_EQ(Dest->Value(), 4);
    EXPECT_EQ(Dest->LgID(), 7u);
    EXPECT_EQ(Dest->Text(), "text");
    EXPECT_FALSE(Dest->DataStorable());
    EXPECT_EQ(Dest->DataStorableCalls, 1);
    EXPECT_EQ(Dest->Idx(), 2);
    EXPECT_EQ(Dest->Status(), 0b1000001u);   // bit 2 cleared, bit 6 set, bit 0 kept

    TOwned<TTestObject> Other = Owned(TTestObject::Make("Other", 1));
    Other->TryAssign(Source.get());
    EXPECT_EQ(Other->GetName(), "Other");
    EXPECT_EQ(Other->Value(), 4);
}

TEST(XFilerableObjectTest, ARaisingAssignmentFallsBackOnTheSourcesAssignTo)
{
    TOwned<TRaisingObject> Dest = Owned(TRaisingObject::Create());
    TOwned<TForeign> Known = Owned(TForeign::Create());
    Dest->TryAssign(Known.get());
    EXPECT_EQ(Known->AssignToCalls, 1);
    EXPECT_EQ(Dest->Text(), "from AssignTo");

    TOwned<TXFilerableObject> Other = Owned(TXFilerableObject::Create());
    EXPECT_THROW(Dest->TryAssign(Other.get()), EConvertError);
}

TEST(XChangeableObjectTest, NestedUpdatesAndAssignmentsReportOneChange)
{
    TCountingListener Listener;
    int& Changes = Listener.Count;
    TOwned<TTestObject> Obj = Owned(TTestObject::Create());
    Obj->SetOnChange(TNotifyEvent::Bind<&TCountingListener::Changed>(&Listener));

    Obj->BeginUpdate();
    Obj->BeginUpdate();
    Obj->Changed();   // inside an update: held back
    Obj->EndUpdate();
    EXPECT_EQ(Changes, 0);
    Obj->EndUpdate();
    EXPECT_EQ(Changes, 1);

    TOwned<TTestObject> Source = Owned(TTestObject::Make("S", 1));
    Obj->Assign(Source.get());
    EXPECT_EQ(Changes, 2);
    Obj->TryAssign(Source.get());
    EXPECT_EQ(Changes, 3);
    Obj->EndUpdate();   // without a BeginUpdate: reports
    EXPECT_EQ(Changes, 4);
}

// ---- Object lists ------------------------------------------------------------------------

TOwned<TXObjectList> SortedList(TDuplicates ADuplicates)
{
    TOwned<TXObjectList> List = Owned(TXObjectList::Create(true));
    List->SetCompare(CompareValues);
    List->SetIsSame(SameNames);
    List->SetDuplicates(ADuplicates);
    List->SetSorted(true);
    for (auto [Name, Value] : {std::pair{"a", 1}, {"b", 2}, {"c", 2}, {"d", 3}})
        List->Add(TTestObject::Make(Name, Value));
    return List;
}

TEST(XObjectListTest, SortedAddPlacesByCompare)
{
    TOwned<TXObjectList> List = SortedList(dupIgnore);
    EXPECT_EQ(List->Add(TTestObject::Make("e", 0)), 0);
    EXPECT_EQ(List->Add(TTestObject::Make("f", 9)), 5);
    EXPECT_EQ(List->Add(TTestObject::Make("x", 2)), 4);   // equal but not the same: after the equal ones
    EXPECT_EQ(Names(*List), (std::vector<String>{"e", "a", "b", "c", "x", "d", "f"}));
}

TEST(XObjectListTest, SortedAddOfTheSameObjectFollowsDuplicates)
{
    TOwned<TXObjectList> Ignoring = SortedList(dupIgnore);
    TOwned<TTestObject> Same = Owned(TTestObject::Make("c", 2));
    EXPECT_EQ(Ignoring->Add(Same.get()), 2);
    EXPECT_EQ(Ignoring->Count(), 4);

    TOwned<TXObjectList> Refusing = SortedList(dupError);
    try {
        Refusing->Add(Same.get());
        FAIL() << "no error";
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "Duplicate");
    }
    EXPECT_EQ(Refusing->Count(), 4);

    TOwned<TXObjectList> Accepting = SortedList(dupAccept);
    TTestObject* Second = TTestObject::Make("c", 2);
    EXPECT_EQ(Accepting->Add(Second), 2);   // before the listed one
    EXPECT_EQ(Accepting->Items(2), Second);
    EXPECT_EQ(Names(*Accepting), (std::vector<String>{"a", "b", "c", "c", "d"}));
}

TEST(XObjectListTest, TurningSortedOnSortsTheList)
{
    TOwned<TXObjectList> List = Owned(TXObjectList::Create(true));
    List->SetCompare(CompareValues);
    for (auto [Name, Value] : {std::pair{"c", 3}, {"a", 1}, {"b", 2}})
        List->Add(TTestObject::Make(Name, Value));
    EXPECT_EQ(Names(*List), (std::vector<String>{"c", "a", "b"}));
    List->SetSorted(true);
    EXPECT_EQ(Names(*List), (std::vector<String>{"a", "b", "c"}));
}

struct TMoveCase {
    const char* Name;
    bool Listed;
    int Index;
    int Expected;
    std::vector<String> Order;
};

class MoveOrInsertTest : public ::testing::TestWithParam<TMoveCase> {};

TEST_P(MoveOrInsertTest, ClampsTheIndex)
{
    const TMoveCase& Case = GetParam();
    TOwned<TXObjectList> List = Owned(TXObjectList::Create(true));
    for (const char* Name : {"a", "b", "c"})
        List->Add(TTestObject::Make(Name, 0));
    TObject* Obj = Case.Listed ? List->Items(1) : TTestObject::Make("x", 0);
    EXPECT_EQ(List->MoveOrInsert(Case.Index, Obj), Case.Expected);
    EXPECT_EQ(Names(*List), Case.Order);
}

const TMoveCase kMoves[] = {
    {"InsertBeforeStart", false, -5, 0, {"x", "a", "b", "c"}},
    {"InsertPastEnd", false, 1000, 3, {"a", "b", "c", "x"}},
    {"MoveBeforeStart", true, -5, 0, {"b", "a", "c"}},
    {"MovePastEnd", true, 1000, 2, {"a", "c", "b"}},
};
INSTANTIATE_TEST_SUITE_P(Indexes, MoveOrInsertTest, ::testing::ValuesIn(kMoves),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(XObjectListTest, NamesAreFoundIgnoringCaseButDeletedOnlyWhenExact)
{
    TOwned<TXObjectList> List = Owned(TXObjectList::Create(true));
    for (const char* Name : {"Öl", "öl", "x", "Öl"})
        List->Add(TTestObject::Make(Name, 0));
    EXPECT_EQ(List->IndexOfName("ÖL"), 0);
    EXPECT_EQ(List->IndexOfName("y"), -1);
    List->DeleteByName("Öl");
    EXPECT_EQ(Names(*List), (std::vector<String>{"öl", "x"}));
}

TEST(XObjectListTest, AssignListCopiesTheHeaderAndThePersistentObjects)
{
    TOwned<TXObjectList> Source = Owned(TXObjectList::Create(true));
    Source->Header()->SetLgID(7);
    Source->Add(TTestObject::Make("a", 1));
    Source->Add(TComponent::Create(nullptr));   // no TXPersistent: not copied
    Source->Add(TTestObject::Make("b", 2));
    TOwned<TXObjectList> Dest = Owned(TXObjectList::Create(true));
    Dest->Add(TTestObject::Make("old", 0));

    Dest->AssignList(Source.get());
    EXPECT_EQ(Names(*Dest), (std::vector<String>{"a", "b"}));
    EXPECT_EQ(Dest->Header()->LgID(), 7u);
    EXPECT_NE(Dest->Items(0), Source->Items(0));
    EXPECT_TRUE(Dest->Items(1)->Is<TTestObject>());
    EXPECT_EQ(static_cast<TTestObject*>(Dest->Items(1))->Value(), 2);
}

// Copies are filled before they are added: a sorted list places them by their data, and a
// copy the same as a listed object is dropped instead of being lost outside the list.
TEST(XObjectListTest, CopiesIntoASortedListAreOrderedAndDuplicatesDropped)
{
    TOwned<TXObjectList> Source = Owned(TXObjectList::Create(true));
    for (auto [Name, Value] : {std::pair{"c", 3}, {"a", 1}, {"c", 3}})
        Source->Add(TTestObject::Make(Name, Value));
    TOwned<TXObjectList> Dest = SortedList(dupIgnore);
    Dest->Clear();
    Dest->AppendCopies(Source.get());
    EXPECT_EQ(Names(*Dest), (std::vector<String>{"a", "c"}));

    TOwned<TXObjectList> Refusing = SortedList(dupError);
    Refusing->Clear();
    EXPECT_THROW(Refusing->AppendCopies(Source.get()), EListError);
    EXPECT_EQ(Names(*Refusing), (std::vector<String>{"a", "c"}));
}

TEST(XObjectListTest, TypedAddNewMakesItemClassObjectsAndKeepsNoDuplicate)
{
    TOwned<TXTypedObjectList> List = Owned(TXTypedObjectList::Create(true));
    EXPECT_EQ(List->AddNew(), nullptr);
    List->SetItemClass(TTestObject::StaticClass());
    TObject* First = List->AddNew();
    ASSERT_NE(First, nullptr);
    EXPECT_TRUE(First->Is<TTestObject>());
    EXPECT_EQ(List->Count(), 1);

    List->SetCompare(CompareValues);
    List->SetIsSame(SameNames);
    List->SetSorted(true);
    EXPECT_EQ(List->AddNew(), First);   // a new blank object is the same as the listed one
    EXPECT_EQ(List->Count(), 1);
}

TEST(XObjectListTest, EmptyWhenEveryObjectIsAnEmptyFilerableObject)
{
    TOwned<TXObjectList> List = Owned(TXObjectList::Create(true));
    EXPECT_TRUE(List->IsEmpty());
    List->Add(TXFilerableObject::Create());
    EXPECT_TRUE(List->IsEmpty());
    List->Add(TComponent::Create(nullptr));
    EXPECT_FALSE(List->IsEmpty());
}

// ---- Collection items and collections ----------------------------------------------------

class TTestItem : public TXYCollectionItem {
    X_CLASS(TTestItem, TXYCollectionItem)
public:
    bool Raise = false;
    bool AssignFrom(TPersistent* ASource) override
    {
        if (Raise)
            throw EConvertError("refused");
        return inherited::AssignFrom(ASource);
    }

protected:
    TTestItem() = default;
};

class TChangeItem : public TXChangeablePersistentItem {
    X_CLASS(TChangeItem, TXChangeablePersistentItem)
protected:
    TChangeItem() = default;
};

TOwned<TXCollection> LanguageCollection(uint32_t AHeaderLgID, std::initializer_list<uint32_t> AIds)
{
    TOwned<TXCollection> Collection = Owned(TXCollection::Create(nullptr, TTestItem::StaticClass()));
    Collection->Header()->SetLgID(AHeaderLgID);
    for (uint32_t Id : AIds)
        static_cast<TTestItem*>(Collection->Add())->SetLgID(Id);
    return Collection;
}

TEST(XPersistentItemTest, ConstructionClearsAndAssignCopiesNameAndData)
{
    TOwned<TXCollection> Collection = LanguageCollection(9, {7, 0});
    auto* Source = static_cast<TTestItem*>(Collection->Items(0));
    auto* Dest = static_cast<TTestItem*>(Collection->Items(1));
    EXPECT_EQ(Dest->Idx(), -1);
    EXPECT_TRUE(Dest->DataStorable());
    EXPECT_TRUE(Dest->IsEmpty());
    Source->SetDisplayName("First");
    Source->SetText("text");
    Source->SetIdx(4);
    Dest->SetStatus(0b100);

    Dest->Assign(Source);
    EXPECT_EQ(Dest->GetDisplayName(), "First");
    EXPECT_EQ(Dest->LgID(), 7u);
    EXPECT_EQ(Dest->Text(), "text");
    EXPECT_EQ(Dest->Idx(), 4);
    EXPECT_EQ(Dest->Status(), 0b1000000u);
    EXPECT_TRUE(Dest->IsSameName(Source));
    EXPECT_FALSE(Dest->IsSameName(nullptr));

    Source->SetDisplayName("Renamed");
    Dest->TryAssign(Source);
    EXPECT_EQ(Dest->GetDisplayName(), "First");
}

TEST(XPersistentItemTest, ARaisingAssignmentEndsInTheSourcesAssignTo)
{
    TOwned<TXCollection> Collection = LanguageCollection(9, {1, 2});
    auto* Dest = static_cast<TTestItem*>(Collection->Items(1));
    Dest->Raise = true;
    EXPECT_THROW(Dest->Assign(Collection->Items(0)), EConvertError);
    TOwned<TForeign> Foreign = Owned(TForeign::Create());
    EXPECT_THROW(Dest->TryAssign(Foreign.get()), EConvertError);
}

TEST(XPersistentCollectionTest, AssignReplacesTheItemsAndCopiesTheHeader)
{
    TOwned<TXCollection> Source = LanguageCollection(7, {1, 2});
    Source->Items(0)->SetDisplayName("One");
    TOwned<TXCollection> Dest = LanguageCollection(9, {5, 6, 7});
    Dest->Assign(Source.get());
    ASSERT_EQ(Dest->Count(), 2);
    EXPECT_EQ(Dest->Header()->LgID(), 7u);
    EXPECT_EQ(Dest->Items(0)->GetDisplayName(), "One");
    EXPECT_EQ(static_cast<TTestItem*>(Dest->Items(1))->LgID(), 2u);
    EXPECT_EQ(Dest->IndexOfName("ONE"), 0);
    EXPECT_EQ(Dest->IndexOfName("two"), -1);
}

TEST(XPersistentCollectionTest, EnsureFirstItemAddsOnlyToAnEmptyCollection)
{
    TOwned<TXCollection> Collection = LanguageCollection(9, {});
    EXPECT_TRUE(Collection->IsEmpty());
    TCollectionItem* First = TXPersistentCollection::EnsureFirstItem(Collection.get());
    EXPECT_EQ(Collection->Count(), 1);
    EXPECT_TRUE(Collection->IsEmpty());
    EXPECT_EQ(TXPersistentCollection::EnsureFirstItem(Collection.get()), First);
    static_cast<TTestItem*>(First)->SetText("x");
    EXPECT_FALSE(Collection->IsEmpty());
}

struct TLgCase {
    const char* Name;
    uint32_t HeaderLgID;
    std::vector<uint32_t> Items;
    uint32_t Asked;
    int Expected;
};

class IndexOfLgIDTest : public ::testing::TestWithParam<TLgCase> {};

TEST_P(IndexOfLgIDTest, FallsBackInOrder)
{
    const TLgCase& Case = GetParam();
    TOwned<TXCollection> Collection = LanguageCollection(Case.HeaderLgID, {});
    for (uint32_t Id : Case.Items)
        static_cast<TTestItem*>(Collection->Add())->SetLgID(Id);
    EXPECT_EQ(Collection->IndexOfLgID(Case.Asked), Case.Expected);
}

const TLgCase kLanguages[] = {
    {"Exact", 9, {9, 0x0407, 7}, 0x0407, 1},
    {"PrimaryLanguage", 9, {9, 7}, 0x0407, 1},
    {"HeaderLanguage", 9, {9, 7}, 12, 0},
    {"HeaderBeforeNeutral", 7, {0, 7}, 12, 1},
    {"Neutral", 7, {9, 0}, 12, 1},
    {"EnglishLast", 7, {5, 9}, 12, 1},
    {"NothingFits", 9, {5, 6}, 12, -1},
};
INSTANTIATE_TEST_SUITE_P(Languages, IndexOfLgIDTest, ::testing::ValuesIn(kLanguages),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(XChangeablePersistentTest, ItemChangesReachTheCollection)
{
    TCountingListener Updates;
    TCountingListener ItemChanges;
    TOwned<TXChangeablePersistentCollection> Collection =
        Owned(TXChangeablePersistentCollection::Create(nullptr, TChangeItem::StaticClass()));
    Collection->SetOnUpdate(TNotifyEvent::Bind<&TCountingListener::Changed>(&Updates));
    auto* Item = static_cast<TChangeItem*>(Collection->Add());
    EXPECT_EQ(Updates.Count, 1);   // the insertion

    Item->BeginUpdate();
    Item->BeginUpdate();
    Item->EndUpdate();
    EXPECT_EQ(Updates.Count, 1);
    Item->EndUpdate();
    EXPECT_EQ(Updates.Count, 2);

    Item->SetOnChange(TNotifyEvent::Bind<&TCountingListener::Changed>(&ItemChanges));
    Item->EndUpdate();   // without a BeginUpdate
    EXPECT_EQ(Item->UpdateCount(), 0);
    EXPECT_EQ(ItemChanges.Count, 1);
    TOwned<TXChangeablePersistentCollection> Other =
        Owned(TXChangeablePersistentCollection::Create(nullptr, TChangeItem::StaticClass()));
    Item->Assign(Other->Add());
    EXPECT_EQ(ItemChanges.Count, 2);
}

TEST(XClassCollectionTest, AddClassKeepsOneItemPerClass)
{
    TOwned<TXClassCollection> Classes = Owned(TXClassCollection::Create(nullptr, TXClassItem::StaticClass()));
    TXClassItem* Item = Classes->AddClass(TTestObject::StaticClass());
    EXPECT_EQ(Item->GetDisplayName(), "TTestObject");
    EXPECT_EQ(Item->ItemClassRef(), TTestObject::StaticClass());
    EXPECT_EQ(Classes->AddClass(TTestObject::StaticClass()), Item);
    Classes->AddClass(TTestItem::StaticClass());
    EXPECT_EQ(Classes->Count(), 2);
    auto* Copy = static_cast<TXClassItem*>(Classes->Add());
    Copy->Assign(Item);
    EXPECT_EQ(Copy->ItemClassRef(), TTestObject::StaticClass());
    EXPECT_EQ(Copy->GetDisplayName(), "TTestObject");
}

TEST(XClassesTest, PublishedPropertiesAreTheLanguageAndTheItemName)
{
    TOwned<TXCollection> Collection = LanguageCollection(9, {7});
    TCollectionItem* Item = Collection->Items(0);
    Item->SetDisplayName("Item");
    EXPECT_EQ(GetPropText(Item, "LgID"), "7");
    EXPECT_EQ(GetPropText(Item, "Name"), "Item");
    TOwned<TXFilerableObject> Obj = Owned(TXFilerableObject::Create());
    SetPropText(Obj.get(), "LgID", "1031");
    EXPECT_EQ(Obj->LgID(), 1031u);
    EXPECT_EQ(GetPropInfo(Obj.get(), "Name"), nullptr);
}

}  // namespace

// Generic and classic lists: order operations, range errors, comparers, ownership and the
// component list's free notifications.
#include "Rtl.Lists.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

template <class TListType>
std::vector<typename std::decay_t<decltype(*std::declval<TListType>().begin())>> Contents(const TListType& AList)
{
    return {AList.begin(), AList.end()};
}

using TIntList = Generics::TList<int>;

TEST(GenericListTest, EditsKeepOrder)
{
    TOwned<TIntList> List = Owned(TIntList::Create());
    List->AddRange({1, 2, 3, 4});
    List->Insert(4, 5);
    List->Insert(0, 0);
    EXPECT_EQ(Contents(*List), (std::vector{0, 1, 2, 3, 4, 5}));
    List->Move(1, 4);   // 1 ends at index 4
    EXPECT_EQ(Contents(*List), (std::vector{0, 2, 3, 4, 1, 5}));
    List->Move(4, 0);
    List->Exchange(0, 5);
    EXPECT_EQ(Contents(*List), (std::vector{5, 0, 2, 3, 4, 1}));
    List->DeleteRange(1, 3);
    List->Delete(0);
    EXPECT_EQ(Contents(*List), (std::vector{4, 1}));
    List->AddRange(*List);
    List->SetItem(1, 7);
    EXPECT_EQ(Contents(*List), (std::vector{4, 7, 4, 1}));
    EXPECT_EQ(List->Remove(4), 0);
    EXPECT_EQ(List->Remove(9), -1);
    EXPECT_EQ(List->IndexOf(1), 2);
    EXPECT_EQ(List->Extract(7), 7);
    EXPECT_EQ(List->First(), 4);
    EXPECT_EQ(List->Last(), 1);
    List->Clear();
    EXPECT_EQ(List->Count(), 0);
    EXPECT_EQ(List->Capacity(), 0);
    EXPECT_THROW((void)List->Last(), EArgumentOutOfRangeException);
}

struct TRangeCase {
    const char* Name;
    std::function<void(TIntList&)> Apply;
};
void PrintTo(const TRangeCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class GenericListRangeTest : public ::testing::TestWithParam<TRangeCase> {};

TEST_P(GenericListRangeTest, RaisesArgumentOutOfRangeAndKeepsTheList)
{
    TOwned<TIntList> List = Owned(TIntList::Create());
    List->AddRange({10, 20, 30});
    try {
        GetParam().Apply(*List);
        FAIL() << "no exception";
    } catch (const EArgumentOutOfRangeException& E) {
        EXPECT_EQ(E.Message(), "Argument out of range");
    }
    EXPECT_EQ(Contents(*List), (std::vector{10, 20, 30}));
}

const TRangeCase kRangeCases[] = {
    {"GetPastEnd", [](TIntList& L) { (void)L.Items(3); }},
    {"GetNegative", [](TIntList& L) { (void)L[-1]; }},
    {"Set", [](TIntList& L) { L.SetItem(3, 0); }},
    {"InsertPastEnd", [](TIntList& L) { L.Insert(4, 0); }},
    {"Delete", [](TIntList& L) { L.Delete(3); }},
    {"DeleteRangePastEnd", [](TIntList& L) { L.DeleteRange(2, 2); }},
    {"DeleteRangeNegativeCount", [](TIntList& L) { L.DeleteRange(1, -1); }},
    {"Exchange", [](TIntList& L) { L.Exchange(0, 3); }},
    {"MoveTarget", [](TIntList& L) { L.Move(0, 3); }},
    {"CapacityBelowCount", [](TIntList& L) { L.SetCapacity(2); }},
    {"NegativeCount", [](TIntList& L) { L.SetCount(-1); }},
};
INSTANTIATE_TEST_SUITE_P(Operations, GenericListRangeTest, ::testing::ValuesIn(kRangeCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(GenericListTest, FindsAndSortsWithItsComparer)
{
    auto ByText = MakeComparer<String>([](const String& A, const String& B) { return CompareText(A, B); });
    TOwned<Generics::TList<String>> List = Owned(Generics::TList<String>::Create(ByText));
    List->AddRange({"beta", "Alpha", "ALPHA", "gamma"});
    EXPECT_EQ(List->IndexOf("BETA"), 0);
    EXPECT_TRUE(List->Contains("GAMMA"));
    List->Sort();   // stable: the two spellings of alpha keep their order
    EXPECT_EQ(Contents(*List), (std::vector<String>{"Alpha", "ALPHA", "beta", "gamma"}));
    List->Sort(DefaultComparer<String>());
    EXPECT_EQ(List->First(), "ALPHA");
}

// ---- Ownership ---------------------------------------------------------------------------

std::vector<String> GFreed;

class TTracked : public TObject {
    X_CLASS(TTracked, TObject)
public:
    String Name;
    ~TTracked() override { GFreed.push_back(Name); }

protected:
    TTracked() = default;
    void Construct(const String& AName) { Name = AName; }
};

TEST(GenericObjectListTest, FreesWhatItDeletesButNotWhatItExtracts)
{
    GFreed.clear();
    auto* List = Generics::TObjectList<TTracked>::Create();
    for (const char* Name : {"a", "b", "c", "d", "e"})
        List->Add(TTracked::Create(Name));
    TTracked* B = List->Items(1);
    List->SetItem(1, B);   // its own place: kept
    EXPECT_TRUE(GFreed.empty());
    List->Delete(0);
    TOwned<TTracked> Extracted = Owned(List->Extract(B));
    List->SetItem(0, TTracked::Create("f"));   // replaces c
    EXPECT_EQ(GFreed, (std::vector<String>{"a", "c"}));
    List->SetCount(1);
    EXPECT_EQ(GFreed, (std::vector<String>{"a", "c", "d", "e"}));
    List->Free();
    EXPECT_EQ(GFreed, (std::vector<String>{"a", "c", "d", "e", "f"}));
}

TEST(GenericObjectListTest, ListThatDoesNotOwnFreesNothing)
{
    GFreed.clear();
    TOwned<TTracked> Item = Owned(TTracked::Create("x"));
    auto* List = Generics::TObjectList<TTracked>::Create(false);
    List->Add(Item.get());
    List->Clear();
    List->Add(Item.get());
    List->Free();
    EXPECT_TRUE(GFreed.empty());
}

// ---- Classic lists -----------------------------------------------------------------------

int CompareInts(void* A, void* B)
{
    return *static_cast<int*>(A) - *static_cast<int*>(B);
}

TEST(ClassicListTest, SortsWithCompareFunctionAndRaisesListIndexError)
{
    int Values[] = {3, 1, 2};
    TOwned<TList> List = Owned(TList::Create());
    for (int& V : Values)
        List->Add(&V);
    List->Sort(&CompareInts);
    EXPECT_EQ(List->Items(0), &Values[1]);
    EXPECT_EQ(List->Last(), &Values[0]);
    EXPECT_EQ(List->Extract(&Values[2]), &Values[2]);
    EXPECT_EQ(List->Extract(&Values[2]), nullptr);
    try {
        List->Delete(5);
        FAIL() << "no exception";
    } catch (const EListError& E) {
        EXPECT_EQ(E.Message(), "List index out of bounds (5)");
    }
}

TEST(ClassicListTest, ObjectListOwnsAndClassListIsTyped)
{
    GFreed.clear();
    auto* Objects = TObjectList::Create();
    Objects->Add(TTracked::Create("a"));
    Objects->Add(TTracked::Create("b"));
    Objects->Remove(Objects->First());
    EXPECT_EQ(GFreed, (std::vector<String>{"a"}));
    Objects->Free();
    EXPECT_EQ(GFreed, (std::vector<String>{"a", "b"}));

    TOwned<TClassList> Classes = Owned(TClassList::Create());
    Classes->Add(TTracked::StaticClass());
    Classes->Add(TObject::StaticClass());
    EXPECT_EQ(Classes->IndexOf(TObject::StaticClass()), 1);
    EXPECT_EQ(Contents(*Classes), (std::vector<TClass>{TTracked::StaticClass(), TObject::StaticClass()}));
}

class TPart : public TComponent {
    X_CLASS(TPart, TComponent)
public:
    ~TPart() override { GFreed.push_back(Name()); }

protected:
    TPart() = default;
};

TPart* NewPart(TComponent* AOwner, const char* AName)
{
    TPart* Part = TPart::Create(AOwner);
    Part->SetName(AName);
    return Part;
}

TEST(ComponentListTest, DropsComponentsFreedElsewhere)
{
    GFreed.clear();
    TOwned<TComponent> Owner = Owned(TComponent::Create(nullptr));
    TOwned<TComponentList> List = Owned(TComponentList::Create(false));
    TPart* A = NewPart(Owner.get(), "A");
    TPart* B = NewPart(Owner.get(), "B");
    TPart* C = NewPart(nullptr, "C");
    for (TPart* Part : {A, B, C, A})
        List->Add(Part);
    A->Free();   // both entries go
    EXPECT_EQ(Contents(*List), (std::vector<TComponent*>{B, C}));
    List->Extract(C);
    C->Free();   // no longer watched: the list is left alone
    EXPECT_EQ(Contents(*List), (std::vector<TComponent*>{B}));
    Owner.reset();
    EXPECT_EQ(List->Count(), 0);
}

TEST(ComponentListTest, OwningListFreesItsComponentsAndOutlivesNone)
{
    GFreed.clear();
    TOwned<TComponent> Owner = Owned(TComponent::Create(nullptr));
    auto* List = TComponentList::Create();
    List->Add(NewPart(Owner.get(), "A"));
    List->Add(NewPart(Owner.get(), "B"));
    List->Delete(0);
    EXPECT_EQ(Owner->ComponentCount(), 1);
    List->Free();
    EXPECT_EQ(GFreed, (std::vector<String>{"A", "B"}));
    EXPECT_EQ(Owner->ComponentCount(), 0);
}

}  // namespace

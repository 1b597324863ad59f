// The framework's lists and owned collections: unique adds, keyed pairs, class, component and
// object lists, merging, synchronising, lookup by name and sorting.
#include "XCore.Collections.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

using namespace XCore::Collections;

using TIntXList = TXList<int>;

std::vector<int> Contents(const TIntXList& AList)
{
    return {AList.begin(), AList.end()};
}

TEST(XListTest, AddUniqueAddsOnlyWhatIsNotListed)
{
    TOwned<TIntXList> List = Owned(TIntXList::Create());
    for (int Value : {3, 1, 3, 2, 1})
        List->AddUnique(Value);
    EXPECT_EQ(Contents(*List), (std::vector{3, 1, 2}));
}

struct TDeleteCase {
    const char* Name;
    int From;
    int To;
    std::vector<int> Expected;
};
void PrintTo(const TDeleteCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class DeleteFromToTest : public ::testing::TestWithParam<TDeleteCase> {};

TEST_P(DeleteFromToTest, DeletesTheInclusiveRangeOrNothing)
{
    TOwned<TIntXList> List = Owned(TIntXList::Create());
    List->AddRange({0, 1, 2, 3, 4});
    List->DeleteFromTo(GetParam().From, GetParam().To);
    EXPECT_EQ(Contents(*List), GetParam().Expected);
}

const TDeleteCase kDeletes[] = {
    {"Middle", 1, 3, {0, 4}},
    {"All", 0, 4, {}},
    {"EndBeforeStart", 2, 1, {0, 1, 2, 3, 4}},
    {"NegativeStart", -1, 2, {0, 1, 2, 3, 4}},
    {"StartPastEnd", 5, 6, {0, 1, 2, 3, 4}},
};
INSTANTIATE_TEST_SUITE_P(Ranges, DeleteFromToTest, ::testing::ValuesIn(kDeletes),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(XListTest, DeleteFromToPastTheEndRaises)
{
    TOwned<TIntXList> List = Owned(TIntXList::Create());
    List->AddRange({0, 1, 2});
    EXPECT_THROW(List->DeleteFromTo(1, 3), EArgumentOutOfRangeException);
    EXPECT_EQ(List->Count(), 3);
}

TEST(XPairsTest, KeysFindTheFirstPairAndPairsCompareKeyThenValue)
{
    using TTexts = TXPairs<uint32_t, String>;
    TOwned<TTexts> Pairs = Owned(TTexts::Create());
    Pairs->Add(TTexts::TPairType::Create(7, "first"));
    Pairs->Add(TTexts::TPairType::Create(9, "nine"));
    Pairs->Add(TTexts::TPairType::Create(7, "second"));
    EXPECT_EQ(Pairs->IndexOfKey(7), 0);
    EXPECT_EQ(Pairs->GetValue(9), "nine");
    EXPECT_EQ(Pairs->GetValue(8), "");
    EXPECT_EQ(Pairs->IndexOfKey(8), -1);
    EXPECT_EQ(Pairs->IndexOf(TTexts::TPairType::Create(7, "second")), 2);
    Pairs->Sort();
    EXPECT_EQ(Pairs->Items(1).Value, "second");

    auto ByText = MakeComparer<String>([](const String& A, const String& B) { return CompareText(A, B); });
    using TByName = TXPairs<String, int>;
    TOwned<TByName> Named = Owned(TByName::Create(ByText));
    Named->Add(TByName::TPairType::Create("Key", 1));
    EXPECT_EQ(Named->GetValue("KEY"), 1);
}

int GCalls = 0;
void CountCall()
{
    ++GCalls;
}

TEST(XAnyProcedureListTest, MatchesCodeAndDataTogether)
{
    TOwned<TXAnyProcedureList> List = Owned(TXAnyProcedureList::Create());
    int A = 0;
    int B = 0;
    TXAnyProcedure Plain = TXAnyProcedure::FromProcedure(&CountCall);
    TXAnyProcedure OnA{Plain.Code, &A};
    TXAnyProcedure OnB{Plain.Code, &B};
    for (const TXAnyProcedure& Proc : {Plain, OnA, Plain, OnB, OnA})
        List->AddUnique(Proc);
    EXPECT_EQ(List->Count(), 3);
    EXPECT_EQ(List->Remove(OnB), 2);
    EXPECT_EQ(List->IndexOf(OnA), 1);
    GCalls = 0;
    List->First().Invoke();
    EXPECT_EQ(GCalls, 1);
}

// ---- Class, component and object lists ---------------------------------------------------

class TPart : public TComponent {
    X_CLASS(TPart, TComponent)
protected:
    TPart() = default;
};

TEST(XClassListTest, AppendsAndCopiesOtherClassLists)
{
    TOwned<TXClassList> Source = Owned(TXClassList::Create());
    Source->Add(TPart::StaticClass());
    Source->Add(TComponent::StaticClass());
    TOwned<TXClassList> Target = Owned(TXClassList::Create());
    Target->Add(TObject::StaticClass());
    Target->AppendFrom(Source.get());
    EXPECT_EQ(Target->Count(), 3);
    Target->CopyFrom(Source.get());
    EXPECT_EQ(Target->Count(), 2);
    EXPECT_EQ(Target->First(), TPart::StaticClass());
    Target->CopyFrom(Target.get());   // a copy of itself keeps it
    Target->CopyFrom(nullptr);
    EXPECT_EQ(Target->Count(), 2);
    Target->AppendFrom(Target.get());
    EXPECT_EQ(Target->Count(), 4);
}

TEST(XComponentListTest, AddUniqueAnswersTheOldIndexAndGetItemIsTyped)
{
    TOwned<TComponent> Owner = Owned(TComponent::Create(nullptr));
    TPart* A = TPart::Create(Owner.get());
    TPart* B = TPart::Create(Owner.get());
    TOwned<TXComponentList<TPart>> Parts = Owned(TXComponentList<TPart>::Create(false));
    EXPECT_EQ(Parts->AddUnique(A), 0);
    EXPECT_EQ(Parts->AddUnique(B), 1);
    EXPECT_EQ(Parts->AddUnique(A), 0);
    EXPECT_EQ(Parts->Count(), 2);
    EXPECT_EQ(Parts->GetItem(1), B);
    TOwned<TXComponentList<>> Components = Owned(TXComponentList<>::Create(false));
    Components->AddUnique(Owner.get());
    Owner.reset();
    EXPECT_EQ(Components->Count(), 0);
    EXPECT_EQ(Parts->Count(), 0);
}

class TNumber : public TXObject {
    X_CLASS(TNumber, TXObject)
public:
    int Value = 0;

protected:
    TNumber() = default;
};

int CompareNumbers(void* A, void* B)
{
    return static_cast<TNumber*>(static_cast<TObject*>(A))->Value - static_cast<TNumber*>(static_cast<TObject*>(B))->Value;
}

TEST(XObjectListTest, AddNewMakesItemsAndSortNeedsCompare)
{
    TOwned<TXObjectList<TNumber>> List = Owned(TXObjectList<TNumber>::Create());
    for (int Value : {3, 1, 2})
        List->AddNew()->Value = Value;
    TObject* First = List->First();
    List->AddUnique(First);
    EXPECT_EQ(List->Count(), 3);
    List->Sort();   // no Compare yet: nothing
    EXPECT_EQ(List->First(), First);
    List->SetCompare(&CompareNumbers);
    List->Sort();
    std::vector<int> Values;
    for (TObject* Item : *List)
        Values.push_back(static_cast<TNumber*>(Item)->Value);
    EXPECT_EQ(Values, (std::vector{1, 2, 3}));
    TOwned<TXCustomObjectList> Custom = Owned(TXCustomObjectList::Create());
    EXPECT_EQ(Custom->AddNew(), nullptr);
}

// ---- Collections -------------------------------------------------------------------------

class TValueItem : public TXCollectionItem {
    X_CLASS(TValueItem, TXCollectionItem)
public:
    int Value = 0;
    static inline int GFreed = 0;
    ~TValueItem() override { ++GFreed; }
    bool AssignFrom(TPersistent* ASource) override
    {
        if (auto* Source = AsOrNull<TValueItem>(ASource))
            Value = Source->Value;
        return inherited::AssignFrom(ASource);
    }

protected:
    TValueItem() = default;
};

class TOtherItem : public TXCollectionItem {
    X_CLASS(TOtherItem, TXCollectionItem)
protected:
    TOtherItem() = default;
};

class TBigValueItem : public TValueItem {
    X_CLASS(TBigValueItem, TValueItem)
protected:
    TBigValueItem() = default;
};

using TValues = TXCollection<TValueItem>;
using TEntries = std::vector<std::pair<String, int>>;

TOwned<TValues> NewValues(const TEntries& AEntries)
{
    TOwned<TValues> Values = Owned(TValues::Create(nullptr));
    for (const auto& [Name, Value] : AEntries) {
        TValueItem* Item = Values->Add();
        Item->SetDisplayName(Name);
        Item->Value = Value;
    }
    return Values;
}

TEntries Entries(const TValues& AValues)
{
    TEntries Result;
    for (int I = 0; I < AValues.Count(); ++I)
        Result.emplace_back(AValues.Items(I)->GetDisplayName(), AValues.Items(I)->Value);
    return Result;
}

struct TMergeCase {
    const char* Name;
    int Mode;
    TEntries Expected;
};
void PrintTo(const TMergeCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class MergeFromTest : public ::testing::TestWithParam<TMergeCase> {};

// "a" differs from the existing "A" only in letter case, which counts as the same name.
TEST_P(MergeFromTest, HandlesSameNamedAndNewItemsByMode)
{
    TOwned<TValues> Target = NewValues({{"A", 1}, {"B", 2}});
    TOwned<TValues> Source = NewValues({{"C", 30}, {"a", 10}});
    Target->MergeFrom(Source.get(), GetParam().Mode);
    EXPECT_EQ(Entries(*Target), GetParam().Expected);
}

const TMergeCase kMerges[] = {
    {"SkipExisting", xmmSkipExisting, {{"A", 1}, {"B", 2}, {"C", 30}}},
    {"Append", xmmAppend, {{"A", 1}, {"B", 2}, {"C", 30}, {"a", 10}}},
    {"AssignOrAppend", xmmAssignOrAppend, {{"a", 10}, {"B", 2}, {"C", 30}}},
    {"AssignExisting", xmmAssignExisting, {{"a", 10}, {"B", 2}}},
    {"UnknownModeAppends", 7, {{"A", 1}, {"B", 2}, {"C", 30}, {"a", 10}}},
};
INSTANTIATE_TEST_SUITE_P(Modes, MergeFromTest, ::testing::ValuesIn(kMerges),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(XCollectionTest, MergeRaisingOnDuplicateKeepsWhatItAppended)
{
    TOwned<TValues> Target = NewValues({{"A", 1}});
    TOwned<TValues> Source = NewValues({{"C", 30}, {"a", 10}, {"D", 40}});
    try {
        Target->MergeFrom(Source.get(), xmmRaiseOnExisting);
        FAIL() << "no exception";
    } catch (const EListError& E) {
        EXPECT_EQ(E.Message(), "Duplicate: a");
    }
    EXPECT_EQ(Entries(*Target), (TEntries{{"A", 1}, {"C", 30}}));
}

TEST(XCollectionTest, SyncByNameReusesItemsOfTheSameName)
{
    TOwned<TValues> Target = NewValues({{"A", 1}, {"B", 2}, {"B", 3}, {"b", 4}});
    TValueItem* FirstB = Target->Items(1);
    TOwned<TValues> Source = NewValues({{"B", 20}, {"C", 30}});
    TValueItem::GFreed = 0;
    Target->SyncByName(Source.get());
    EXPECT_EQ(Entries(*Target), (TEntries{{"B", 20}, {"C", 30}}));
    EXPECT_EQ(Target->Items(0), FirstB);
    EXPECT_EQ(TValueItem::GFreed, 3);   // A, b and the second B

    Target->SyncByName(Target.get());
    EXPECT_EQ(Target->Count(), 2);
    TOwned<TValues> Empty = NewValues({});
    Target->SyncByName(Empty.get());
    EXPECT_EQ(Target->Count(), 0);
}

TEST(XCollectionTest, FindsAndDeletesByNameIgnoringCase)
{
    TOwned<TValues> Values = NewValues({{"One", 1}, {"", 0}, {"two", 2}});
    EXPECT_EQ(Values->IndexOfName("TWO"), 2);
    EXPECT_EQ(Values->IndexOfName(""), 1);
    EXPECT_EQ(Values->FindByName("one"), Values->Items(0));
    EXPECT_EQ(Values->FindByName("three"), nullptr);
    Values->DeleteByName("ONE");
    Values->DeleteByName("three");
    EXPECT_EQ(Entries(*Values), (TEntries{{"", 0}, {"two", 2}}));
    TOwned<TCollection> Plain = Owned(TCollection::Create(TValueItem::StaticClass()));
    Plain->Add()->SetDisplayName("x");
    EXPECT_EQ(TXCustomCollection::IndexOfName(Plain.get(), "X"), 0);
}

TEST(XCollectionTest, SortOrdersByNameAndKeepsTheItems)
{
    TOwned<TValues> Values = NewValues({{"pear", 1}, {"Apple", 2}, {"fig", 3}, {"banana", 4}, {"apple", 5}});
    TValueItem* Pear = Values->Items(0);
    EXPECT_FALSE(Values->Comparer());
    Values->Sort();
    EXPECT_TRUE(Values->Comparer());
    std::vector<String> Names;
    for (int I = 0; I < Values->Count(); ++I)
        Names.push_back(LowerCase(Values->Items(I)->GetDisplayName()));
    EXPECT_EQ(Names, (std::vector<String>{"apple", "apple", "banana", "fig", "pear"}));
    EXPECT_EQ(Values->Items(4), Pear);

    Values->SetSorted(true);
    TOwned<TValues> More = NewValues({{"cherry", 6}});
    Values->Merge(More.get(), xmmAppend);
    EXPECT_EQ(Values->Items(3)->GetDisplayName(), "cherry");
}

TEST(XCollectionTest, ItemClassMustDescendFromTheCollectionsClass)
{
    TOwned<TValues> Big = Owned(TValues::Create(nullptr, TBigValueItem::StaticClass()));
    EXPECT_TRUE(Big->Add()->Is<TBigValueItem>());
    TOwned<TValues> Plain = Owned(TValues::Create(nullptr, TOtherItem::StaticClass()));
    EXPECT_EQ(Plain->Add()->ClassType(), TValueItem::StaticClass());
}

TEST(XCollectionTest, AppendFromCopiesAndSetDataStorableReachesItems)
{
    TOwned<TValues> Values = NewValues({{"a", 1}});
    TOwned<TValues> Source = NewValues({{"b", 2}, {"c", 3}});
    Values->AppendFrom(Source.get());
    EXPECT_EQ(Entries(*Values), (TEntries{{"a", 1}, {"b", 2}, {"c", 3}}));
    Values->SetDataStorable(false);
    EXPECT_FALSE(Values->Items(2)->DataStorable());
}

}  // namespace

// Construction, reference counting and assignment of the framework's base classes.
#include "XCore.Classes.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.SysUtils.h"
#include "XCore.Types.h"

namespace {

using enum TXObjectStateFlag;

std::vector<String> GLog;

// A persistent object with data, set up only through the hooks.
class TXSample : public TXNamedPersistent {
    X_CLASS(TXSample, TXNamedPersistent)
public:
    int Size = -1;
    TXObjectState StateSeenInClear;
    static inline bool GFailInClear = false;

    bool AssignFrom(TPersistent* ASource) override
    {
        if (auto* Sample = AsOrNull<TXSample>(ASource))
            Size = Sample->Size;
        return inherited::AssignFrom(ASource);
    }

protected:
    TXSample() = default;
    void Init() override { GLog.push_back("Init"); }
    void DoClear() override
    {
        GLog.push_back("Clear");
        StateSeenInClear = FState;
        if (GFailInClear)
            throw EConvertError("bad default");
        Size = 10;
    }
};

class TXCounted : public TXManagedObject {
    X_CLASS(TXCounted, TXManagedObject)
public:
    static inline int GDestroyed = 0;
    ~TXCounted() override { ++GDestroyed; }

protected:
    TXCounted() = default;
};

// A plain persistent object that knows nothing of TXSample: assigning it falls back to the
// platform's conversion error.
class TXStranger : public TPersistent {
    X_CLASS(TXStranger, TPersistent)
protected:
    TXStranger() = default;
};

TEST(XCoreClassesTest, CreationThroughAClassReferenceRunsTheDerivedHooks)
{
    GLog.clear();
    TOwned<TObject> Obj(CreateInstanceOf(TXSample::StaticClass()));
    ASSERT_NE(Obj, nullptr);
    EXPECT_EQ(GLog, (std::vector<String>{"Init", "Clear"}));
    auto* Sample = static_cast<TXSample*>(Obj.get());
    EXPECT_EQ(Sample->Size, 10);
    EXPECT_EQ(Sample->StateSeenInClear, TXObjectState{Creating});
    EXPECT_TRUE(Sample->State().IsEmpty());
}

TEST(XCoreClassesTest, AnExceptionInClearReachesTheCallerAndDestroysTheObject)
{
    TXSample::GFailInClear = true;
    EXPECT_THROW(TXSample::Create(), EConvertError);
    EXPECT_EQ(CreateInstanceOf(TXSample::StaticClass()), nullptr);
    TXSample::GFailInClear = false;
}

TEST(XCoreClassesTest, ReferenceCountModes)
{
    TXCounted::GDestroyed = 0;

    TXCounted* Uncounted = TXCounted::Create();
    EXPECT_EQ(Uncounted->_AddRef(), -1);
    EXPECT_EQ(Uncounted->_Release(), -1);
    EXPECT_EQ(Uncounted->_Release(), -1);
    EXPECT_EQ(TXCounted::GDestroyed, 0);
    Uncounted->Free();
    EXPECT_EQ(TXCounted::GDestroyed, 1);

    for (TXRefCountMode Mode : {rcmSingleThread, rcmInterlocked}) {
        TXCounted* Counted = TXCounted::Create(Mode);
        EXPECT_EQ(Counted->RefCount(), 0);
        EXPECT_EQ(Counted->_AddRef(), 1);
        EXPECT_EQ(Counted->_AddRef(), 2);
        EXPECT_EQ(Counted->_Release(), 1);
        // Freeing a counted object that is still referenced is refused.
        EXPECT_THROW(Counted->Free(), EInvalidOperation);
        EXPECT_EQ(Counted->_Release(), 0);
    }
    EXPECT_EQ(TXCounted::GDestroyed, 3);
}

TEST(XCoreClassesTest, InterlockedCountingIsExactAcrossThreads)
{
    TXCounted* Counted = TXCounted::Create(rcmInterlocked);
    Counted->_AddRef();
    std::vector<std::thread> Threads;
    for (int T = 0; T < 4; ++T)
        Threads.emplace_back([Counted] {
            for (int I = 0; I < 10000; ++I) {
                Counted->_AddRef();
                Counted->_Release();
            }
        });
    for (auto& T : Threads)
        T.join();
    EXPECT_EQ(Counted->RefCount(), 1);
    Counted->_Release();
}

TEST(XCoreClassesTest, AssignKeepNameCopiesTheDataButNotTheName)
{
    TOwned<TXSample> Source = Owned(TXSample::Create());
    TOwned<TXSample> Dest = Owned(TXSample::Create());
    Source->SetName("Source");
    Source->Size = 42;
    Dest->SetName("Dest");

    Dest->AssignKeepName(Source.get());
    EXPECT_EQ(Dest->Size, 42);
    EXPECT_EQ(Dest->GetName(), "Dest");
    EXPECT_TRUE(Dest->State().IsEmpty());

    Dest->Assign(Source.get());
    EXPECT_EQ(Dest->GetName(), "Source");
}

TEST(XCoreClassesTest, AssignInterfaceFallsBackToTheObjectBehindTheInterface)
{
    TOwned<TXSample> Source = Owned(TXSample::Create());
    TOwned<TXSample> Dest = Owned(TXSample::Create());
    Source->SetName("Named");
    Source->Size = 7;
    // Through IXNameable only the name travels; the fallback to the object copies the rest.
    Dest->AssignInterface(static_cast<IXNameable*>(Source.get()));
    EXPECT_EQ(Dest->GetName(), "Named");
    EXPECT_EQ(Dest->Size, 10);

    TOwned<TInterfacedObject> NoName = Owned(TInterfacedObject::Create());
    EXPECT_FALSE(Dest->AssignFromIntf(static_cast<IInterface*>(NoName.get())));
}

class TXPlain : public TXPersistent {
    X_CLASS(TXPlain, TXPersistent)
    bool AssignFrom(TPersistent*) override { return false; }

protected:
    TXPlain() = default;
};

TEST(XCoreClassesTest, AssignFromAnUnrelatedClassRaisesTheConversionErrorAndClearsTheFlags)
{
    TOwned<TXSample> Dest = Owned(TXSample::Create());
    TOwned<TXStranger> Stranger = Owned(TXStranger::Create());
    // TXNamedPersistent handles every source, so nothing is raised there ...
    EXPECT_NO_THROW(Dest->Assign(Stranger.get()));
    // ... while a class that does not handle it falls back to the platform, which raises.
    TOwned<TXPlain> Plain = Owned(TXPlain::Create());
    try {
        Plain->Assign(Stranger.get());
        FAIL() << "no conversion error";
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Cannot assign a TXStranger to a TXPlain");
    }
    EXPECT_TRUE(Plain->State().IsEmpty());
}

class TXSampleItem : public TXManagedCollectionItem {
    X_CLASS(TXSampleItem, TXManagedCollectionItem)
public:
    bool StorableSeenInClear = false;

protected:
    TXSampleItem() = default;
    void DoClear() override
    {
        inherited::DoClear();
        StorableSeenInClear = DataStorable();
    }
};

TEST(XCoreClassesTest, CollectionItemsJoinTheirCollectionAndCopyDisplayNames)
{
    TOwned<TCollection> Items = Owned(TCollection::Create(TXSampleItem::StaticClass()));
    auto* First = static_cast<TXSampleItem*>(Items->Add());
    EXPECT_TRUE(First->StorableSeenInClear);
    EXPECT_EQ(First->Collection(), Items.get());
    First->SetDisplayName("First");

    auto* Second = static_cast<TXSampleItem*>(Items->Add());
    Second->SetDisplayName("Second");
    Second->AssignKeepName(First);
    EXPECT_EQ(Second->GetDisplayName(), "Second");
    Second->Assign(First);
    EXPECT_EQ(Second->GetName(), "First");
    EXPECT_EQ(Items->Count(), 2);
}

TEST(XCoreClassesTest, MakeUniqueComponentNameCountsPastTakenNames)
{
    TOwned<TComponent> Owner = Owned(TComponent::Create(static_cast<TComponent*>(nullptr)));
    TComponent::Create(Owner.get())->SetName("Panel");
    TComponent::Create(Owner.get())->SetName("Panel1");
    TComponent* Fresh = TComponent::Create(Owner.get());
    EXPECT_EQ(MakeUniqueComponentName(Fresh, "Panel"), "Panel2");
    EXPECT_EQ(MakeUniqueComponentName(Fresh, "Label"), "Label");
}

}  // namespace
